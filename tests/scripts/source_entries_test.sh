#!/usr/bin/env bash
# scripts/source-entries.awk: the source entries made from apt's binary
# package entries keep their servers, suites, components and keys.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/tests/scripts/checks.sh"

# check CASE FORMAT INPUT EXPECTED
check() {
    expect "$1" "$4" "$(printf '%s\n' "$3" | awk -v format="$2" -f "$root/scripts/source-entries.awk")"
}

# ---- One-line entries
check "plain entry" one-line 'deb file:/mirror stable main contrib' \
    'deb-src file:/mirror stable main contrib'
check "options and indentation kept" one-line '  deb [arch=amd64 signed-by=/k.gpg] file:/m s main' \
    'deb-src [arch=amd64 signed-by=/k.gpg] file:/m s main'
check "comments and source entries give nothing" one-line \
    $'# deb file:/m s main\n#deb file:/m s main\ndeb-src file:/m s main\n' ''
check "every entry of a file" one-line $'deb file:/a s main\n\ndeb file:/b t main' \
    $'deb-src file:/a s main\ndeb-src file:/b t main'

# ---- deb822 stanzas
check "stanza with its key file" deb822 $'Types: deb\nURIs: file:/m\nSuites: s s-updates\nComponents: main\nSigned-By: /k.gpg' \
    $'Types: deb-src\nURIs: file:/m\nSuites: s s-updates\nComponents: main\nSigned-By: /k.gpg'
check "comments left out, each stanza kept apart" deb822 \
    $'# header\n\nTypes: deb\n# mirror\nURIs: file:/a\nSuites: s\n\nTypes: deb\nURIs: file:/b\nSuites: t' \
    $'Types: deb-src\nURIs: file:/a\nSuites: s\n\nTypes: deb-src\nURIs: file:/b\nSuites: t'
check "a key written out keeps its lines" deb822 \
    $'types: deb\nURIs: file:/m\nSigned-By:\n -----BEGIN PGP PUBLIC KEY BLOCK-----\n .\n abc' \
    $'Types: deb-src\nURIs: file:/m\nSigned-By:\n -----BEGIN PGP PUBLIC KEY BLOCK-----\n .\n abc'
check "disabled and source-only stanzas give nothing" deb822 \
    $'Types: deb\nURIs: file:/a\nEnabled: no\n\nTypes: deb-src\nURIs: file:/b\n\nTypes: debian\nURIs: file:/c' ''
check "binary among several types" deb822 $'Types: deb-src deb\nURIs: file:/m' \
    $'Types: deb-src\nURIs: file:/m'

test_summary
