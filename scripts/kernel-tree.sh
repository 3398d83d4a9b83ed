# The Linux kernel sources of the search benchmarks (Debian's linux-source
# package), unpacked once into the build tree. Sourced by scripts/bench-search
# and scripts/bench-host.
#
#   kernel_tree BUILD [SUBDIR]   prints the tree's folder (or SUBDIR of it),
#                                unpacking the newest tarball on first use

kernel_tree() {
    local build=$1 subdir=${2:-} tarball data tree
    tarball=$(ls /usr/src/linux-source-*.tar.* | sort -V | tail -n1) || return 1
    data=$build/bench-data
    tree=$data/$(basename "$tarball" | sed 's/\.tar\..*$//')
    if [ ! -d "$tree" ]; then
        echo "unpacking $tarball" >&2
        rm -rf "$data/.unpack"
        mkdir -p "$data/.unpack"
        tar -xf "$tarball" -C "$data/.unpack" || return 1
        mv "$data/.unpack/$(basename "$tree")" "$tree" # only a whole tree gets its name
        rm -rf "$data/.unpack"
    fi
    tree=$tree${subdir:+/$subdir}
    [ -d "$tree" ] || { echo "no folder $tree" >&2; return 1; }
    echo "$tree"
}
