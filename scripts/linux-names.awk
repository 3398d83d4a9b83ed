# Turns the Windows file names in trovfind's output back into the Linux form
# in which scripts/run was given its entries:
#
#   awk -f linux-names.awk FORMAT WINDOWS_ENTRY LINUX_ENTRY [WINDOWS_ENTRY LINUX_ENTRY]...
#
# FORMAT is trovfind's output form: hits ("NAME(LINE): TEXT"), names (-l: one
# NAME a line) or records (--records: tab-separated fields, the name escaped
# as "\\" "\t" "\n" "\r", then a "#counters" line). Standard input to standard
# output. A name takes the Linux form of the longest Windows entry that it
# equals or lies under (Z:\a\b lies under Z:\a, Z:\ab does not), with the rest
# of its path joined by "/"; a name under no entry and the line's text stay
# as they are.

BEGIN {
    format = ARGV[1]
    if (format != "hits" && format != "names" && format != "records" || ARGC % 2) {
        print "linux-names.awk: usage: FORMAT WINDOWS_ENTRY LINUX_ENTRY..." > "/dev/stderr"
        exit 2
    }
    entries = 0
    for (i = 2; i < ARGC; i += 2) add_entry(ARGV[i], ARGV[i + 1])
    ARGC = 1 # the rest of the command line is no input file
}

# Entries are kept longest Windows form first (insertion into a sorted list).
function add_entry(windows, linux,    root, j) {
    # GetFullPathName drops a trailing backslash except a drive root's (Z:\).
    root = windows ~ /^[A-Za-z]:\\$/
    if (!root) sub(/\\+$/, "", windows)
    if (!root && linux ~ /[^\/]/) sub(/\/+$/, "", linux)
    if (root && linux !~ /\/$/) linux = linux "/"
    if (format == "records") {
        windows = replace(windows, "\\\\", "\\\\")
        linux = escape(linux)
    }
    for (j = entries; j > 0 && length(win[j]) < length(windows); j--) {
        win[j + 1] = win[j]
        lin[j + 1] = lin[j]
        isRoot[j + 1] = isRoot[j]
    }
    win[j + 1] = windows
    lin[j + 1] = linux
    isRoot[j + 1] = root
    entries++
}

# trovfind's escaping of a field.
function escape(text) {
    text = replace(text, "\\\\", "\\\\")
    text = replace(text, "\t", "\\t")
    text = replace(text, "\n", "\\n")
    return replace(text, "\r", "\\r")
}

# Every match of the regular expression PATTERN in TEXT replaced by the plain
# string BY (gsub would read backslashes in BY, differently in each awk).
function replace(text, pattern, by,    parts, count, k, result) {
    count = split(text, parts, pattern)
    result = parts[1]
    for (k = 2; k <= count; k++) result = result by parts[k]
    return result
}

# The Linux form of one name (escaped in records, where an escaped backslash is
# the pair "\\": pairs do not overlap, so a left-to-right replacement of the
# pairs leaves "\t" and the like alone).
function linux_name(name,    j, size, rest, separator) {
    separator = format == "records" ? "\\\\\\\\" : "\\\\"
    for (j = 1; j <= entries; j++) {
        size = length(win[j])
        if (substr(name, 1, size) != win[j]) continue
        rest = substr(name, size + 1)
        if (!isRoot[j] && rest != "" && rest !~ "^" separator) continue
        return lin[j] replace(rest, separator, "/")
    }
    return name
}

format == "names" {
    print linux_name($0)
    next
}

format == "hits" && match($0, /\([0-9]+\): /) {
    # A Windows name has no ':' after its drive, so the first "(LINE): " ends it.
    print linux_name(substr($0, 1, RSTART - 1)) substr($0, RSTART)
    next
}

format == "records" && !/^#counters / && (tab = index($0, "\t")) {
    print linux_name(substr($0, 1, tab - 1)) substr($0, tab)
    next
}

{ print }
