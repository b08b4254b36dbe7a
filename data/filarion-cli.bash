# bash completion of filarion-cli: the commands, the options, and folders for the folder argument.
_filarion_cli() {
    local cur prev
    cur=${COMP_WORDS[COMP_CWORD]}
    prev=${COMP_WORDS[COMP_CWORD - 1]}
    if [ "$COMP_CWORD" -eq 1 ]; then
        mapfile -t COMPREPLY < <(compgen -W "replace number fill insert list undo table --help --version" -- "$cur")
        return
    fi
    case $prev in
    -p | --pattern)
        mapfile -t COMPREPLY < <(compgen -W "'*.JPG' '*.txt' '*.doc' '*.BMP' '*.*'" -- "$cur")
        return
        ;;
    esac
    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "--pattern --dry-run --json --quiet --yes --no-extension --help" -- "$cur")
    elif [ "$COMP_CWORD" -eq 2 ]; then
        mapfile -t COMPREPLY < <(compgen -d -- "$cur")
    fi
}
complete -o filenames -F _filarion_cli filarion-cli
