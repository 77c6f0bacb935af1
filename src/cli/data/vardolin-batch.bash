# Bash completion for vardolin-batch: its options, the values of those that
# take a few known ones, folders for PATH and --target, files for --report.

_vardolin_batch()
{
    local cur=${COMP_WORDS[COMP_CWORD]}
    local prev=${COMP_WORDS[COMP_CWORD - 1]}
    # "--mode=3" arrives as three words: --mode, =, 3.
    if [[ $cur == = ]]; then
        prev=${COMP_WORDS[COMP_CWORD - 1]}
        cur=
    elif [[ $prev == = && $COMP_CWORD -ge 2 ]]; then
        prev=${COMP_WORDS[COMP_CWORD - 2]}
    fi

    COMPREPLY=()
    case $prev in
        --mode)
            mapfile -t COMPREPLY < <(compgen -W '1 2 3 4' -- "$cur")
            return
            ;;
        --quality)
            mapfile -t COMPREPLY < <(compgen -W '0 1 2 3 4 5 6 7 8 9 10 11' -- "$cur")
            return
            ;;
        --size)
            # The entries of the size list in the working folder.
            local sizes=
            [[ -r Vardolin_size.txt ]] && sizes=$(tr -d '\r' <Vardolin_size.txt)
            mapfile -t COMPREPLY < <(compgen -W "$sizes" -- "$cur")
            return
            ;;
        --target)
            compopt -o filenames 2>/dev/null
            mapfile -t COMPREPLY < <(compgen -d -- "$cur")
            return
            ;;
        --report)
            compopt -o filenames 2>/dev/null
            mapfile -t COMPREPLY < <(compgen -f -- "$cur")
            return
            ;;
        --fail-on)
            mapfile -t COMPREPLY < <(compgen -W 'none warning' -- "$cur")
            return
            ;;
        --jobs | --max-kb | --shard)
            return
            ;;
    esac

    if [[ $cur == -* ]]; then
        local options='--size --quality --mode --target --structure --subfolders --overwrite --keep-date
                       --today --jobs --max-kb --dry-run --list --report --quiet --shard --fail-on --help
                       --version'
        mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
        return
    fi
    compopt -o filenames 2>/dev/null
    mapfile -t COMPREPLY < <(compgen -d -- "$cur")
}
complete -F _vardolin_batch vardolin-batch
