# Turns apt's binary package entries into source entries for the same
# servers, suites and components, with the same options and keys:
#
#   awk -v format=one-line -f source-entries.awk /etc/apt/sources.list...
#   awk -v format=deb822 -f source-entries.awk /etc/apt/sources.list.d/*.sources
#
# One-line entries: "deb [options] URI SUITE COMPONENT..." gives the same line
# with deb-src. deb822 stanzas: each enabled stanza whose Types name deb gives
# the stanza with "Types: deb-src" (comments left out, the other fields kept,
# a key written out over several lines too).

BEGIN {
    if (format == "deb822") {
        RS = "" # a stanza a record
        FS = "\n"
    } else if (format != "one-line") {
        print "source-entries.awk: format=one-line or format=deb822" > "/dev/stderr"
        exit 2
    }
}

format == "one-line" && $1 == "deb" {
    sub(/^[ \t]*deb/, "deb-src")
    print
}

format == "deb822" {
    stanza = ""
    binary = 0
    enabled = 1
    for (i = 1; i <= NF; i++) {
        line = $i
        if (line ~ /^#/) continue
        field = tolower(line)
        if (field ~ /^types:/) {
            binary = (" " substr(line, 7) " ") ~ /[ \t]deb[ \t]/
            line = "Types: deb-src"
        } else if (field ~ /^enabled:[ \t]*no[ \t]*$/) {
            enabled = 0
        }
        stanza = stanza line "\n"
    }
    if (binary && enabled) {
        if (stanzas++) printf "\n"
        printf "%s", stanza
    }
}
