# bash completion for Tavlo's programs: tavlo, tlma and omlegg. Installed under each program's
# name; whichever is completed first defines all three.

_tavlo_commands="init records codes customers products backup copy-invoice print-invoice ehf invoices generate archive report statistics ocr-import"

# The tables of the data folder FOLDER: its table files, less the archive pair (--archive).
_tavlo_tables()
{
    local file name
    for file in "$1"/*.TPS; do
        [[ -f $file ]] || continue
        name=${file##*/}
        name=${name%.TPS}
        [[ $name == BAKTURA || $name == BAKLINJE ]] || printf '%s\n' "$name"
    done
}

# The options of a command (and subcommand), as its help describes them.
_tavlo_options()
{
    case "$1 $2" in
        "records "*) echo "--key --fields --format --filter --archive" ;;
        "codes "*) echo "--overwrite --from-group --to-group --from-nr --to-nr" ;;
        "copy-invoice "*) echo "--credit --status --no-dates --no-lines" ;;
        "print-invoice "*) echo "--type --pdf" ;;
        "ehf "*) echo "--out" ;;
        "invoices set-status") echo "--redate --ids --filter" ;;
        "invoices set-paid") echo "--date --due-date --overwrite --ids --filter" ;;
        "generate "*) echo "--basis --customers --bases --date" ;;
        "archive "*) echo "--ids --filter --restore --from --to" ;;
        "report invoices") echo "--customer --name --status --from-date --to-date --from-due --to-due --from-paid --to-paid --unpaid --credit-notes --filter --sort --pdf" ;;
        "report customers") echo "--group --postnr --from-date --to-date --from-due --to-due --from-paid --to-paid --unpaid --filter --contacts --sort --pdf" ;;
        "report products") echo "--group --vat --stock --filter --sort --pdf" ;;
        "statistics "*) echo "--year --format --archive" ;;
    esac
}

_tavlo()
{
    local cur prev words cword
    _init_completion || return

    if ((cword == 1)); then
        COMPREPLY=($(compgen -W "$_tavlo_commands help --help --version" -- "$cur"))
        return
    fi
    local command=${words[1]} sub="" folder_at=2
    case $command in
        help)
            ((cword == 2)) && COMPREPLY=($(compgen -W "$_tavlo_commands all" -- "$cur"))
            return ;;
        codes | customers | products) sub=import; folder_at=3 ;;
        invoices) sub=set-status; folder_at=3 ;;
        report) sub=invoices; folder_at=3 ;;
    esac
    if ((folder_at == 3)); then
        if ((cword == 2)); then
            case $command in
                invoices) COMPREPLY=($(compgen -W "set-status set-paid" -- "$cur")) ;;
                report) COMPREPLY=($(compgen -W "invoices customers products" -- "$cur")) ;;
                *) COMPREPLY=($(compgen -W "import export" -- "$cur")) ;;
            esac
            return
        fi
        sub=${words[2]}
    fi

    case $prev in
        --pdf) _filedir pdf; return ;;
        --out) _filedir -d; return ;;
        --format) COMPREPLY=($(compgen -W "csv json" -- "$cur")); return ;;
        --credit-notes | --vat) COMPREPLY=($(compgen -W "only none" -- "$cur")); return ;;
        --type) COMPREPLY=($(compgen -W "1 2 3" -- "$cur")); return ;;
        --sort)
            case $sub in
                invoices) COMPREPLY=($(compgen -W "fakturanr kundeid kundenavn status fakturadato forfallsdato betaltdato" -- "$cur")) ;;
                customers) COMPREPLY=($(compgen -W "kundenr navn adresse postnr kundegruppe betalingsbetingelse" -- "$cur")) ;;
                products) COMPREPLY=($(compgen -W "produktnr navn produktgruppe" -- "$cur")) ;;
            esac
            return ;;
        --key | --fields | --filter | --ids | --status | --date | --year | --basis | --customers | \
            --bases | --from | --to | --from-* | --to-* | --customer | --name | --group | --postnr)
            return ;; # a value the folder's data decides
    esac

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$(_tavlo_options "$command" "$sub")" -- "$cur"))
    elif ((cword == folder_at)); then
        _filedir -d
    elif [[ $command == records ]] && ((cword == 3)); then
        COMPREPLY=($(compgen -W "$(_tavlo_tables "${words[2]}")" -- "${cur^^}"))
    elif [[ $command == records ]] && ((cword == 4)); then
        COMPREPLY=($(compgen -W "list insert update delete" -- "$cur"))
    elif [[ $command == backup ]]; then
        _filedir -d
    else
        _filedir
    fi
}
complete -F _tavlo tavlo

_tlma()
{
    local cur prev words cword
    _init_completion || return
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "--last-folder --version --help" -- "$cur"))
    elif [[ $cur == /* ]] && [[ /A == "$cur"* ]]; then
        COMPREPLY=(/A)
        _filedir -d
    else
        _filedir -d
    fi
}
complete -F _tlma tlma

_omlegg()
{
    local cur prev words cword
    _init_completion || return
    case $prev in
        --vat) COMPREPLY=($(compgen -W "yes no" -- "$cur")); return ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "--vat --version --help" -- "$cur"))
    else
        _filedir -d
    fi
}
complete -F _omlegg omlegg
