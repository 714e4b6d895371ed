# bash completion for quillfen: its commands and options, the configured
# targets and their versions, asked of quillfen itself.
#
# Names are data: a version's name is never evaluated (no compgen -W over
# names, no eval); it is matched by prefix in the shell itself and inserted
# as one word that the shell reads back exactly, whatever it holds (blanks,
# quotes, $, backquotes, *).

# The configuration the command line being completed names, if any.
_quillfen_config()
{
    local i
    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
            -c | -config) printf '%s\n' "${COMP_WORDS[i]}" "${COMP_WORDS[i + 1]//\\/}" ;;
        esac
    done
}

# Adds each NUL-ended name of standard input that begins with the word
# being completed (its backslashes taken as escapes), quoted for the shell.
# A name holding a line break is still one name.
_quillfen_offer()
{
    local typed=${1//\\/} name
    while IFS= read -r -d '' name; do
        if [[ -n $name && $name == "$typed"* ]]; then
            printf -v name '%q' "$name"
            COMPREPLY+=("$name")
        fi
    done
}

_quillfen()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local -a config
    mapfile -t config < <(_quillfen_config)
    COMPREPLY=()
    case $prev in
        -c | -config)
            compopt -o filenames 2>/dev/null
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
        _quillfen_offer "$cur" < <(tr '\n' '\0' <<'WORDS'
--list
--set
--to-link
--rename
--previous
--history
--add
--trash
--prune
--dry-run
--json
--help
--version
-e
-c
-config
-h
--null
WORDS
        )
        return
    fi
    local operand=$((COMP_CWORD - at))
    if ((operand == 1)); then
        # The links' names as configured.
        _quillfen_offer "$cur" < <(quillfen -e "${config[@]}" --null --list 2>/dev/null)
    elif ((operand == 2)) && [[ $command == --add ]]; then
        compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
    elif ((operand == 2)) && [[ $command == --set || $command == --rename || $command == --trash ]]; then
        _quillfen_offer "$cur" < <(quillfen -e "${config[@]}" --null --list "${COMP_WORDS[at + 1]//\\/}" 2>/dev/null)
    fi
}
complete -F _quillfen quillfen
