# bash completion for velkaro-time: commands, options, and city names where a city goes.

_velkaro_time() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
    local commands="velkaro city sun format to-utc calc cities now sync"
    local i command="" data=()
    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
            --data) data=(--data "${COMP_WORDS[i+1]}"); ((i++)) ;;
            --at|--variant|--format|--local|--to|--server|--port) ((i++)) ;;
            -*) ;;
            *) [[ -z $command ]] && command=${COMP_WORDS[i]} ;;
        esac
    done

    case $prev in
        --data) COMPREPLY=($(compgen -d -- "$cur")); return ;;
        --at|--variant|--format|--local|--server|--port) return ;;
    esac

    local city=false
    if [[ $prev == --to ]]; then
        city=true
    elif [[ $cur != -* && ( $command == city || $command == sun || $command == to-utc || $command == calc ) ]]; then
        # Only the word right after the command is a city.
        local positional=0
        for ((i = 1; i < COMP_CWORD; i++)); do
            case ${COMP_WORDS[i]} in
                --data|--at|--variant|--format|--local|--to|--server|--port) ((i++)) ;;
                -*) ;;
                *) ((positional++)) ;;
            esac
        done
        [[ $positional == 1 ]] && city=true
    fi

    if $city; then
        # Names hold blanks: one per line, matched against the typed word without its quoting.
        local word=${cur//\\ / } quote=""
        [[ $word == [\"\']* ]] && quote=${word:0:1} word=${word:1}
        local IFS=$'\n' name
        COMPREPLY=()
        while IFS= read -r name; do
            [[ ${name,,} == "${word,,}"* ]] || continue
            if [[ -n $quote ]]; then COMPREPLY+=("$quote$name$quote")
            else COMPREPLY+=("$(printf '%q' "$name")")
            fi
        done < <(command velkaro-time "${data[@]}" cities 2>/dev/null | cut -f1)
        return
    fi

    if [[ -z $command || $cur == -* ]]; then
        local options="--data --help --version"
        case $command in
            velkaro) options+=" --at --variant" ;;
            city) options+=" --at --format" ;;
            sun) options+=" --at" ;;
            format|to-utc) options+=" --local" ;;
            calc) options+=" --local --to --format" ;;
            sync) options+=" --server --ntp --port --json" ;;
        esac
        if [[ -z $command && $cur != -* ]]; then
            COMPREPLY=($(compgen -W "$commands" -- "$cur"))
        else
            COMPREPLY=($(compgen -W "$options" -- "$cur"))
        fi
    fi
}
complete -F _velkaro_time velkaro-time
