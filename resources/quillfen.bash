# bash completion for quillfen: its commands and options, the configured
# targets and their versions, asked of quillfen itself.

# The configuration the command line being completed names, if any.
_quillfen_config()
{
    local i
    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
            -c | -config) printf '%s\n' "${COMP_WORDS[i]}" "${COMP_WORDS[i + 1]}" ;;
        esac
    done
}

_quillfen()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local IFS=$'\n'
    local -a config
    mapfile -t config < <(_quillfen_config)
    COMPREPLY=()
    case $prev in
        -c | -config)
            mapfile -t COMPREPLY < <(compgen -f -- "$cur")
            return
            ;;
    esac
    local i command="" at=0
    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
            --list | --set | --to-link | --rename | --previous | --history | --add | --trash | --prune)
                command=${COMP_WORDS[i]}
                at=$i
                ;;
        esac
    done
    if [[ -z $command || $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W $'--list\n--set\n--to-link\n--rename\n--previous\n--history\n--add\n--trash\n--prune\n--dry-run\n--json\n--help\n--version\n-e\n-c\n-config\n-h' -- "$cur")
        return
    fi
    local operand=$((COMP_CWORD - at))
    if ((operand == 1)); then
        # The links' names as configured.
        local -a targets
        mapfile -t targets < <(quillfen -e "${config[@]}" --list 2>/dev/null | cut -f2 | sed 's/.*://' | sort -u)
        mapfile -t COMPREPLY < <(compgen -W "${targets[*]}" -- "$cur")
    elif ((operand == 2)) && [[ $command == --add ]]; then
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
    elif ((operand == 2)) && [[ $command == --set || $command == --rename || $command == --trash ]]; then
        local -a versions
        mapfile -t versions < <(quillfen -e "${config[@]}" --list "${COMP_WORDS[at + 1]}" 2>/dev/null | cut -c3-)
        mapfile -t COMPREPLY < <(compgen -W "${versions[*]}" -- "$cur")
    fi
}
complete -F _quillfen quillfen
