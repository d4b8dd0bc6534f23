#!/usr/bin/env bash
# The completion of sprite-cli offers exactly the commands and options that
# sprite-cli --help lists, and for each command those of its own --help; each
# manual page names every option that its program's --help lists, and lists
# no other.
#
#   options_match_help.sh COMPLETION MANUAL_FOLDER SPRITE_CLI [SPRITE]
set -euo pipefail
completion=$1 manuals=$2 cli=$3 window=${4:-}
failed=0

# The options of a --help text: the first column of its indented lines that start with "-".
help_options() {
  sed -n 's/^ \+\(-[^ ].*\)/\1/p' | sed 's/  .*//' | tr ',' '\n' | sed 's/^ *//; s/[= ].*//' | sort -u
}

# The commands of a --help text: the first word of each line under "Commands:".
help_commands() {
  sed -n '/^Commands:/,/^$/s/^  \([a-z]\+\) .*/\1/p' | sort -u
}

# What the completion offers for a command line whose last word is being completed.
completed() {
  bash -c 'source "$0"; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _sprite_cli
           printf "%s\n" "${COMPREPLY[@]}"' "$completion" sprite-cli "$@" | sed 's/=$//' | sort -u
}

expect_same() {
  local what=$1 wanted=$2 got=$3
  if [ "$wanted" != "$got" ]; then
    echo "FAILED: $what"
    diff <(echo "$wanted") <(echo "$got") | sed -n 's/^</  only in --help:/p; s/^>/  only in the completion:/p' || true
    failed=1
  fi
}

[ -n "$("$cli" --help | help_options)" ] || { echo "FAILED: no options found in sprite-cli --help"; exit 1; }
expect_same "sprite-cli -<Tab>" "$("$cli" --help | help_options)" "$(completed -)"
expect_same "sprite-cli <Tab>" "$("$cli" --help | help_commands)" "$(completed "")"
for command in encode decode palette list info extract replace insert append delete move; do
  expect_same "sprite-cli $command -<Tab>" "$("$cli" "$command" --help | help_options)" \
    "$(completed "$command" -)"
  expect_same "sprite-cli -q $command --quiet -<Tab>" "$("$cli" "$command" --help | help_options)" \
    "$(completed -q "$command" --quiet -)"
done

# A manual page writes every "-" of an option as "\-".
check_manual() {
  local program=$1 page=$2 option
  for option in $("$program" --help | help_options); do
    if ! grep -qF -- "${option//-/\\-}" "$page"; then
      echo "FAILED: $(basename "$page") does not name $option"
      failed=1
    fi
  done
}
# And the other way round: every option a page's OPTIONS section heads an
# entry with is one its program's --help lists.
check_help() {
  local program=$1 page=$2 option listed
  listed=$("$program" --help | help_options)
  for option in $(sed -n '/^\.SH OPTIONS/,/^\.SH /{/^\.TP/{n;p}}' "$page" |
    grep -oE '\\-(\\-[a-z0-9]+(\\-[a-z0-9]+)*|[a-zA-Z])\b' | sed 's/\\//g' | sort -u); do
    if ! grep -qxF -- "$option" <<<"$listed"; then
      echo "FAILED: $(basename "$page") names $option, which $(basename "$program") --help does not list"
      failed=1
    fi
  done
}
check_manual "$cli" "$manuals/sprite-cli.1"
[ -z "$window" ] || check_manual "$window" "$manuals/sprite.1"
check_help "$cli" "$manuals/sprite-cli.1"
[ -z "$window" ] || check_help "$window" "$manuals/sprite.1"

[ "$failed" -eq 0 ] && echo "the completion and the manual pages match --help"
exit "$failed"
