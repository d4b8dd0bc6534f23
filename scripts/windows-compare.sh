#!/usr/bin/env bash
# sprite-cli.exe under Wine against sprite-cli on Linux: the same exit status,
# the same log, the same archive, bitmaps and PNGs, byte for byte, for the
# samples and for random bitmaps and damaged files, written as "ärchiv.spr"
# and chosen by a wildcard that the Windows program expands itself.
#   LINUX_CLI  the Linux program (default build/default/src/sprite-cli)
#   COUNT      how many random bitmaps (default 40)
set -euo pipefail
source "$(dirname "$0")/windows-wine.sh"
linux_cli="${LINUX_CLI:-$root/build/default/src/sprite-cli}"
win_cli="$build/src/sprite-cli.exe"
[ -x "$linux_cli" ] || cmake --build --preset default --target sprite-cli >/dev/null
work="$(mktemp -d)"
trap 'wine_cleanup 2>/dev/null || true; rm -rf "$work"' EXIT

le16() { printf "$(printf '\\x%02x\\x%02x' $(($1 & 255)) $((($1 >> 8) & 255)))"; }
le32() { le16 $(($1 & 65535)); le16 $((($1 >> 16) & 65535)); }
# An uncompressed 8-bit bitmap of random size and palette whose pixels are mostly
# background (0) with random spans, as sprites are; sometimes stored top row first.
random_bitmap() {
  local width=$((RANDOM % 180 + 1)) rows=$((RANDOM % 90 + 1)) height
  local stride=$(((width + 3) / 4 * 4))
  height=$rows
  [ $((RANDOM % 4)) -ne 0 ] || height=$((-rows))
  {
    printf 'BM'; le32 $((1078 + stride * rows)); le32 0; le32 1078
    le32 40; le32 "$width"; le32 $((height & 0xFFFFFFFF)); le16 1; le16 8; le32 0
    le32 $((stride * rows)); le32 0; le32 0; le32 256; le32 0
    head -c 1024 /dev/urandom
    head -c $((stride * rows)) /dev/urandom | tr '\001-\277' '\000'
  } >"$1"
}

mkdir -p "$work/in" "$work/lin" "$work/win"
n=0
add() { n=$((n + 1)); cp "$1" "$work/in/$(printf %03d "$n")-$2"; }
for f in "$root"/samples/*.bmp; do add "$f" "$(basename "$f")"; done
for _ in $(seq "${COUNT:-40}"); do random_bitmap "$work/one.bmp"; add "$work/one.bmp" random.bmp; done
head -c 700 "$root/samples/hero_walk_1.bmp" >"$work/one.bmp"; add "$work/one.bmp" cut.bmp
printf 'not a picture\n' >"$work/one.bmp"; add "$work/one.bmp" text.bmp
printf 'BM' >"$work/one.bmp"; add "$work/one.bmp" two-bytes.bmp
for side in lin win; do cp "$work"/in/* "$work/$side/"; done

status=0
run() { "$@" || status=$?; }
(cd "$work/lin" && run "$linux_cli" encode -o ärchiv.spr ./*.bmp >log-encode.txt 2>/dev/null; echo "$status" >status-encode)
(cd "$work/win" && run wine "$win_cli" encode -o ärchiv.spr '*.bmp' >log-encode.txt 2>/dev/null; echo "$status" >status-encode)
(cd "$work/lin" && mkdir out && run "$linux_cli" decode -C out ärchiv.spr >log-decode.txt 2>/dev/null; echo "$status" >status-decode)
(cd "$work/win" && mkdir out && run wine "$win_cli" decode -C out ärchiv.spr >log-decode.txt 2>/dev/null; echo "$status" >status-decode)
# The Linux log names the files with "./", as the shell expanded them.
sed -i 's|\./||' "$work"/lin/log-encode.txt
# An archive through standard output and back through standard input.
(cd "$work/win" && wine "$win_cli" encode -q -o - '*.bmp' >piped.spr 2>/dev/null || true)
(cd "$work/win" && mkdir piped && wine "$win_cli" decode -q -C piped - <piped.spr >/dev/null 2>&1 || true)
cmp "$work/win/piped.spr" "$work/win/ärchiv.spr" || { echo "windows-compare: the archive on standard output differs" >&2; exit 1; }
# A console is a terminal, as on Linux: no archive is written onto one or read
# from one (Wine gives a program on a pseudo-terminal a console); the null
# device is none.
for args in "encode -q -o - 001-*.bmp" "decode -q -C piped -" "null"; do
  status=0
  if [ "$args" = null ]; then
    (cd "$work/win" && wine "$win_cli" encode -q -o - '001-*.bmp' >/dev/null 2>&1) || status=$?
    [ "$status" != 2 ] && continue
  else
    (cd "$work/win" && timeout 60 script -qec "wine '$win_cli' $args" /dev/null </dev/null >/dev/null 2>&1) || status=$?
    [ "$status" = 2 ] && continue
  fi
  echo "windows-compare: $args on a console or the null device ended with status $status" >&2
  exit 1
done
for file in status-encode status-decode log-encode.txt log-decode.txt ärchiv.spr; do
  cmp "$work/lin/$file" "$work/win/$file" || { echo "windows-compare: $file differs" >&2; exit 1; }
done
decoded=$(ls "$work/lin/out" | wc -l)
[ "$decoded" -gt 0 ] && [ "$decoded" = "$(ls "$work/win/out" | wc -l)" ]
for file in "$work"/lin/out/*.bmp; do
  cmp "$file" "$work/win/out/$(basename "$file")"
done
# The bitmaps of the archive read from standard input are the same bitmaps.
paste -d ' ' <(ls "$work/win/out"/*.bmp) <(ls "$work/win/piped"/*.bmp) | while read -r a b; do cmp "$a" "$b"; done
[ "$(ls "$work/win/piped" | wc -l)" = "$decoded" ]
# The same pictures as PNGs, and an archive encoded back from them.
(cd "$work/lin" && mkdir png && "$linux_cli" decode -q --png -C png ärchiv.spr &&
  "$linux_cli" encode -q -o back.spr png) || true
(cd "$work/win" && mkdir png && wine "$win_cli" decode -q --png -C png ärchiv.spr &&
  wine "$win_cli" encode -q -o back.spr png) >/dev/null 2>&1 || true
pngs=$(ls "$work/lin/png" | wc -l)
[ "$pngs" = "$decoded" ] && [ "$pngs" = "$(ls "$work/win/png" | wc -l)" ] ||
  { echo "windows-compare: decode --png wrote $pngs and $(ls "$work/win/png" | wc -l) PNGs for $decoded bitmaps" >&2; exit 1; }
for file in "$work"/lin/png/*.png; do
  cmp "$file" "$work/win/png/$(basename "$file")"
done
cmp "$work/lin/back.spr" "$work/win/back.spr" || { echo "windows-compare: back.spr differs" >&2; exit 1; }
# True-colour art brought into a palette chosen or given, through each
# dithering: integer OKLab and a deterministic quantiser give the same archive.
mkdir -p "$work/colour"
convert -size 40x30 gradient:'#203080'-'#f0a040' -swirl 120 "$work/colour/c1.png"
convert -size 33x47 radial-gradient:'#f0e0c0'-'#601020' "PNG32:$work/colour/c2.png"
convert -size 50x20 gradient:'#10c060'-'#e0e0ff' -rotate 90 "$work/colour/c3.png"
for side in lin win; do cp -r "$work/colour" "$work/$side/colour"; done
colour_cases=("--colours 40 --dither floyd-steinberg" "--colours 255 --dither ordered"
  "--colors 7" "--palette ärchiv.spr --dither floyd-steinberg")
for i in "${!colour_cases[@]}"; do
  read -ra options <<<"${colour_cases[$i]}"
  (cd "$work/lin" && run "$linux_cli" encode "${options[@]}" -o "colour$i.spr" colour/c1.png \
    colour/c2.png colour/c3.png >"log-colour$i.txt" 2>"err-colour$i.txt"; echo "$status" >"status-colour$i")
  (cd "$work/win" && run wine "$win_cli" encode "${options[@]}" -o "colour$i.spr" colour/c1.png \
    colour/c2.png colour/c3.png >"log-colour$i.txt" 2>"err-colour$i.txt"; echo "$status" >"status-colour$i")
  # Standard error ends its lines as the system does.
  sed -i 's/\r$//' "$work/win/err-colour$i.txt"
  for file in "status-colour$i" "log-colour$i.txt" "err-colour$i.txt" "colour$i.spr"; do
    cmp "$work/lin/$file" "$work/win/$file" ||
      { echo "windows-compare: $file (${colour_cases[$i]}) differs" >&2; exit 1; }
  done
done
# The entry commands on a copy of the archive: their statuses, logs, the
# archive they leave and the pictures extract writes.
edit_session() {
  local pictures=(*.bmp) status
  cp ärchiv.spr edit.spr
  mkdir ext
  for args in "replace edit.spr 2 ${pictures[0]}" "insert edit.spr 1 png/ärchiv.spr.0003.png" \
    "append edit.spr ${pictures[1]} ${pictures[2]}" "delete edit.spr 4-5,7" "move edit.spr 1 3" \
    "replace --dither=floyd-steinberg edit.spr 3 colour/c2.png" \
    "replace edit.spr 999 ${pictures[0]}" "extract --png -C ext edit.spr 2,4" "list --json edit.spr" \
    "info edit.spr"; do
    status=0
    # shellcheck disable=SC2086
    "$@" $args >>log-edit.txt 2>/dev/null || status=$?
    echo "$args: $status" >>log-edit.txt
  done
}
(cd "$work/lin" && edit_session "$linux_cli")
(cd "$work/win" && edit_session wine "$win_cli")
for file in log-edit.txt edit.spr; do
  cmp "$work/lin/$file" "$work/win/$file" || { echo "windows-compare: $file of the entry commands differs" >&2; exit 1; }
done
[ "$(ls "$work/lin/ext" | wc -l)" = 2 ] && [ "$(ls "$work/win/ext" | wc -l)" = 2 ]
for file in "$work"/lin/ext/*; do
  cmp "$file" "$work/win/ext/$(basename "$file")"
done
# A change through a link lands in the file it leads to, and the link stays
# (Wine shows a Unix link to a file as that file).
for side in lin win; do
  mkdir "$work/$side/links"
  cp "$work/$side/ärchiv.spr" "$work/$side/links/real.spr"
  ln -s real.spr "$work/$side/links/link.spr"
done
(cd "$work/lin/links" && "$linux_cli" delete link.spr 1 >/dev/null)
(cd "$work/win/links" && wine "$win_cli" delete link.spr 1 >/dev/null 2>&1) || true
[ -L "$work/win/links/link.spr" ] && cmp "$work/lin/links/real.spr" "$work/win/links/real.spr" ||
  { echo "windows-compare: a change through a link did not land in the file it leads to" >&2; exit 1; }
echo "windows-compare: passed; $n inputs, the archive, $decoded bitmaps, $pngs PNGs, the archive encoded back from them, ${#colour_cases[@]} colour mappings and the entry commands' archive and pictures are byte for byte the Linux build's"
