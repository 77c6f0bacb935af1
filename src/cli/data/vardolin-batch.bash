# Bash completion for vardolin-batch: its options, the values of those that
# take a few known ones (--mode, --quality, --size, --fail-on), folders for
# PATH and --target, files for --report and --settings.

# The folder whose size list the command would read: beside the file given
# with --settings, else the working folder when it holds Vardolin.ini, else
# the window's folder; none with --no-settings.
_vardolin_batch_list_folder()
{
    local i word
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        if [[ $word == --no-settings ]]; then
            return
        elif [[ $word == --settings && ${COMP_WORDS[i + 1]} == = ]]; then
            dirname -- "${COMP_WORDS[i + 2]}"
            return
        elif [[ $word == --settings ]]; then
            dirname -- "${COMP_WORDS[i + 1]}"
            return
        fi
    done
    if [[ -e Vardolin.ini ]]; then
        echo .
    else
        echo "${XDG_CONFIG_HOME:-$HOME/.config}/vardolin"
    fi
}

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
        --format)
            mapfile -t COMPREPLY < <(compgen -W 'keep jpeg webp avif' -- "$cur")
            return
            ;;
        --size)
            # The entries of the size list the run would read; the built-in
            # ones where there is none.
            local folder sizes='400,300 500,375 640,480 768,1024 800,600 1024,768 1152,864 1280,720 1280,768 1280,1024'
            folder=$(_vardolin_batch_list_folder)
            [[ -n $folder && -r $folder/Vardolin_size.txt ]] && sizes=$(tr -d '\r' <"$folder/Vardolin_size.txt")
            mapfile -t COMPREPLY < <(compgen -W "$sizes" -- "$cur")
            return
            ;;
        --target)
            compopt -o filenames 2>/dev/null
            mapfile -t COMPREPLY < <(compgen -d -- "$cur")
            return
            ;;
        --report | --settings)
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
        local options='--size --quality --mode --target --structure --no-structure --subfolders --no-subfolders
                       --overwrite --no-overwrite --keep-date --today --jobs --max-kb --format --keep-metadata
                       --keep-location --no-metadata --optimize --no-optimize --dry-run --list --report --quiet
                       --shard --fail-on --settings --no-settings --help --version'
        mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
        return
    fi
    compopt -o filenames 2>/dev/null
    mapfile -t COMPREPLY < <(compgen -d -- "$cur")
}
complete -F _vardolin_batch vardolin-batch
