# bash completion for sprite-cli: its commands, the options each command takes
# (as its --help lists them) and the files that fit where the cursor is.
# Needs nothing from the bash-completion package.

_sprite_cli_files() {
  # Each argument: a pattern for names, "" for folders only, "*" for any name.
  # Folders always, to walk into.
  compopt -o filenames 2>/dev/null
  local IFS=$'\n' pattern
  for pattern in "$@"; do
    if [ "$pattern" = "*" ]; then
      COMPREPLY+=($(compgen -f -- "$cur"))
      return
    fi
    if [ -n "$pattern" ]; then
      COMPREPLY+=($(compgen -f -X "!$pattern" -- "$cur"))
    fi
  done
  COMPREPLY+=($(compgen -d -- "$cur"))
}

_sprite_cli() {
  local cur=${COMP_WORDS[COMP_CWORD]}
  local prev=${COMP_WORDS[COMP_CWORD - 1]}
  COMPREPLY=()

  # "--output=FILE" arrives as three words, "--output" "=" "FILE", since "=" breaks words.
  if [ "$cur" = "=" ]; then
    cur=""
  elif [ "$prev" = "=" ] && [ "$COMP_CWORD" -ge 2 ]; then
    prev=${COMP_WORDS[COMP_CWORD - 2]}
  fi

  # The command is the first word that is neither an option nor an option's
  # value; the words of that kind after it are its operands.
  local command="" ended="" operands=0 i word
  for ((i = 1; i < COMP_CWORD; i++)); do
    word=${COMP_WORDS[i]}
    if [ -n "$ended" ]; then
      if [ -z "$command" ]; then command=$word; else ((operands++)); fi
      continue
    fi
    case $word in
      --) ended=1 ;;
      -o | -C | --output | --directory | --palette | --list | --sheet | --alpha-threshold | --opaque-index0 | --colours | --colors | --dither)
        [ "${COMP_WORDS[i + 1]}" = "=" ] && ((i++))
        ((i++))
        ;;
      -*) ;;
      *) if [ -z "$command" ]; then command=$word; else ((operands++)); fi ;;
    esac
  done

  if [ -z "$ended" ]; then
    case $prev in
      -o | --output)
        _sprite_cli_files "*"
        return
        ;;
      -C | --directory)
        _sprite_cli_files ""
        return
        ;;
      --palette)
        _sprite_cli_files "*.[gG][pP][lL]" "*.[pP][aA][lL]" "*.[pP][nN][gG]" "*.[bB][mM][pP]" "*.[sS][pP][rR]"
        return
        ;;
      --list)
        _sprite_cli_files "*"
        return
        ;;
      --sheet | --alpha-threshold | --colours | --colors)
        return
        ;;
      --dither)
        COMPREPLY=($(compgen -W "none floyd-steinberg ordered" -- "$cur"))
        return
        ;;
      --opaque-index0)
        COMPREPLY=($(compgen -W "keep see-through" -- "$cur"))
        return
        ;;
    esac
  fi

  if [ -z "$ended" ] && [[ $cur == -* ]]; then
    local options
    case $command in
      encode) options="-o --output= --palette= --colours= --colors= --dither= --alpha-threshold= --opaque-index0= --sheet= --skip-empty -q --quiet -h --help" ;;
      decode) options="-C --directory= --png --opaque --sheet= --list= -q --quiet -h --help" ;;
      palette) options="-o --output= -q --quiet -h --help" ;;
      list) options="--json -q --quiet -h --help" ;;
      extract) options="-C --directory= --png --opaque --list= -q --quiet -h --help" ;;
      replace | insert | append) options="--alpha-threshold= --dither= -q --quiet -h --help" ;;
      delete | move | info) options="-q --quiet -h --help" ;;
      *) options="-o --output= -C --directory= --png --opaque --sheet= --skip-empty --list= --palette= --colours= --colors= --dither= --alpha-threshold= --opaque-index0= --json -q --quiet -h --help --version --" ;;
    esac
    COMPREPLY=($(compgen -W "$options" -- "$cur"))
    [[ ${COMPREPLY[0]-} == *= ]] && compopt -o nospace 2>/dev/null
    return
  fi

  case $command in
    "") COMPREPLY=($(compgen -W "encode decode palette list info extract replace insert append delete move" -- "$cur")) ;;
    encode) _sprite_cli_files "*.[bB][mM][pP]" "*.[pP][nN][gG]" ;;
    decode | palette | list | info) _sprite_cli_files "*.[sS][pP][rR]" ;;
    extract | replace | insert | append | delete | move)
      # The archive first; then entry numbers, which are not completed, and pictures.
      if [ "$operands" -eq 0 ]; then
        _sprite_cli_files "*.[sS][pP][rR]"
      elif [ "$command" = "append" ] || { [ "$operands" -ge 2 ] && [[ $command == replace || $command == insert ]]; }; then
        _sprite_cli_files "*.[bB][mM][pP]" "*.[pP][nN][gG]"
      fi
      ;;
  esac
}

complete -F _sprite_cli sprite-cli
