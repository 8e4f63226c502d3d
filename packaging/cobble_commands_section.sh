#!/usr/bin/env bash
# Writes the COMMANDS section of cobble(1) for help2man: the --help of every command, as the
# program prints it, found by following the "Subcommands:" lists of the helps themselves, so
# that the manual page cannot miss a command or drift from the program.
# Usage: cobble_commands_section.sh COBBLE OUTPUT
set -euo pipefail
cobble=$1
output=$2

# The names listed under "Subcommands:" in a help text.
subcommands() {
    awk '/^Subcommands:/ { listing = 1; next }
         listing && /^  [^ ]/ { print $1; next }
         listing { exit }'
}

# A help text as literal roff lines: backslashes escaped, control characters at line starts
# defused.
as_roff() {
    sed -e 's/\\/\\e/g' -e "s/^\\([.']\\)/\\\\\\&\\1/"
}

describe() {
    local help
    help=$("$cobble" "$@" --help)
    printf '.SS "cobble %s"\n.nf\n' "$*"
    printf '%s\n' "$help" | as_roff
    printf '.fi\n'
    local name
    for name in $(printf '%s\n' "$help" | subcommands); do
        describe "$@" "$name"
    done
}

{
    printf '[COMMANDS]\n'
    for name in $("$cobble" --help | subcommands); do
        describe "$name"
    done
} > "$output.new"
mv "$output.new" "$output"
