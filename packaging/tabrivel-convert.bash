# bash completion for tabrivel-convert
_tabrivel_convert() {
    local cur prev
    cur=${COMP_WORDS[COMP_CWORD]}
    prev=${COMP_WORDS[COMP_CWORD-1]}
    case $prev in
        --dialect)
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
        --table-name|--delimiter|--batch)
            return ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "--table-name --delimiter --no-semicolon --insert-only \
            --encoding -o --output --dialect --transaction --batch --null --names --types \
            --trim --iso --copy --sqlite --replace -j --jobs --progress --no-progress --help \
            --version" \
            -- "$cur"))
        return
    fi
    # Tables: .dbf files in any case, and folders to walk into.
    compopt -o filenames 2>/dev/null
    COMPREPLY=($(compgen -f -X '!*.@(dbf|DBF|Dbf)' -- "$cur") $(compgen -d -- "$cur"))
}
shopt -s extglob 2>/dev/null
complete -F _tabrivel_convert tabrivel-convert
