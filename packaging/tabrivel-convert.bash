# bash completion for tabrivel-convert

# The options, one a line with 1 after those that take a value, read from the program's own
# --help: the completion offers what the program takes, however its options change.
_tabrivel_convert_options() {
    "$1" --help 2>/dev/null | awk -F'  +' '/^  -/ {
        count = split($2, names, /, /)
        for (i = 1; i <= count; i++) {
            split(names[i], words, " ")
            print words[1], ($2 ~ /</ ? 1 : 0)
        }
    }'
}

_tabrivel_convert() {
    local cur prev name takes options="" valued=" "
    cur=${COMP_WORDS[COMP_CWORD]}
    prev=${COMP_WORDS[COMP_CWORD-1]}
    while read -r name takes; do
        options+=" $name"
        [[ $takes == 1 ]] && valued+="$name "
    done < <(_tabrivel_convert_options "${COMP_WORDS[0]}")
    case $prev in
        --dialect|--to)
            COMPREPLY=($(compgen -W "sqlite postgresql mysql sqlserver" -- "$cur"))
            return ;;
        --encoding)
            COMPREPLY=($(compgen -W "cp437 cp850 cp852 cp866 cp1250 cp1251 cp1252 cp1253 \
                cp1254 cp1255 cp1256 cp1257 cp1258 cp932 cp936 cp949 cp950 UTF-8" -- "$cur"))
            return ;;
        -o|--output|--sqlite)
            compopt -o filenames 2>/dev/null
            COMPREPLY=($(compgen -f -- "$cur"))
            return ;;
        -j|--jobs)
            COMPREPLY=($(compgen -W "1 2 4 8" -- "$cur"))
            return ;;
        --extension)
            COMPREPLY=($(compgen -W "dbf DBF" -- "$cur"))
            return ;;
    esac
    # Any other value (a name, a number, a connection string) is the user's own.
    [[ $valued == *" $prev "* ]] && return
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi
    # Tables: .dbf files in any case, and folders, which stand for the tables in them.
    compopt -o filenames 2>/dev/null
    COMPREPLY=($(compgen -f -X '!*.@([dD][bB][fF])' -- "$cur") $(compgen -d -- "$cur"))
}
shopt -s extglob 2>/dev/null
complete -F _tabrivel_convert tabrivel-convert
