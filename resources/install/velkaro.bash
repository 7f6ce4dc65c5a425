# bash completion for velkaro: its two options.
_velkaro() {
    COMPREPLY=($(compgen -W "--help --version" -- "${COMP_WORDS[COMP_CWORD]}"))
}
complete -F _velkaro velkaro
