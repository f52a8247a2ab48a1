#!/usr/bin/env bash
# fullfoering.sh COMPLETION TAVLO: the bash completion offers what the program takes.
set -uo pipefail
completion=$1 tavlo=$2

fail() { echo "FEIL: $*" >&2; exit 1; }

source /usr/share/bash-completion/bash_completion || fail "bash-completion mangler"
source "$completion"

# The words offered for the command line LINE (the last word is the one being completed).
offered() {
    local line=$1
    read -ra COMP_WORDS <<< "$line"
    [[ $line == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE=$line
    COMP_POINT=${#line}
    COMPREPLY=()
    local function
    function=$(complete -p "${COMP_WORDS[0]}" | sed 's/.*-F \([^ ]*\) .*/\1/')
    "$function" "${COMP_WORDS[0]}" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    printf '%s\n' "${COMPREPLY[@]}" | sort
}

expect() { # LINE WORD...: each WORD is offered
    local line=$1 got
    shift
    got=$(offered "$line")
    for w in "$@"; do
        grep -qxF -- "$w" <<< "$got" || fail "«$line» gir ikke $w, bare: $(tr '\n' ' ' <<< "$got")"
    done
}

exactly() { # LINE WORDS: exactly these
    local line=$1 got
    got=$(offered "$line" | tr '\n' ' ')
    [[ $got == "$2 " ]] || fail "«$line» gir «$got», ventet «$2»"
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# Every command the program lists, and no other.
commands=$("$tavlo" --help | sed -n '/^Kommandoer:/,/^$/{s/^  \([a-z-]*\) .*/\1/p}' | sort)
[[ -n $commands ]] || fail "tavlo --help lister ingen kommandoer"
listed=$(offered "tavlo " | grep -v -e '^-' -e '^help$')
[[ $listed == "$commands" ]] || fail "kommandoene: $(tr '\n' ' ' <<< "$listed") / $(tr '\n' ' ' <<< "$commands")"
expect "tavlo help " all records statistics
exactly "tavlo --v" "--version"

# The tables of the folder named, each one that records takes.
"$tavlo" init data > /dev/null || fail "tavlo init"
mkdir annet
exactly "tavlo records d" "data"
tables=$(offered "tavlo records data ")
for t in KUNDE FAKTURA KODEVERK PARAM; do grep -qx "$t" <<< "$tables" || fail "tabellen $t"; done
grep -qx BAKTURA <<< "$tables" && fail "arkivparet er ingen tabell for records"
for t in $tables; do
    "$tavlo" records data "$t" list > /dev/null 2>&1 || fail "records tar ikke tabellen $t"
done
exactly "tavlo records data kun" "KUNDE"
exactly "tavlo records data KUNDE l" "list"

# Subcommands, options and their values.
exactly "tavlo report " "customers invoices products"
exactly "tavlo invoices set-" "set-paid set-status"
exactly "tavlo codes " "export import"
expect "tavlo report invoices data --" --sort --unpaid --credit-notes --pdf
expect "tavlo report customers data --" --contacts --postnr
exactly "tavlo report products data --sort " "navn produktgruppe produktnr"
exactly "tavlo statistics data --format " "csv json"
exactly "tavlo print-invoice data 12 --type " "1 2 3"
expect "tavlo backup data " annet
exactly "tavlo ocr-import d" "data"
expect "tlma --" --last-folder --version --help
exactly "omlegg --vat " "no yes"
echo "ok"
