#!/usr/bin/env bash
# Installs a build into a temporary DESTDIR and checks what was installed: every
# file is there, the installed sprite-cli answers and packs and unpacks the
# samples, and the launcher, the metadata, the file type, the manual pages and
# the completion pass their validators.
#
#   scripts/check-install.sh [BUILD_DIR]    (default build/default)
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build/default}"
id=org.example.SpriteEncoder
for tool in desktop-file-validate appstreamcli xmllint update-mime-database man cmp; do
  command -v "$tool" >/dev/null || { echo "check-install: $tool is missing; run scripts/install-deps.sh" >&2; exit 1; }
done

stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT
DESTDIR="$stage/root" cmake --install "$build" --prefix /usr >/dev/null
usr="$stage/root/usr"
failed=0
fail() { echo "check-install: FAILED: $*" >&2; failed=1; }
step() { echo "check-install: $*"; }

step "the installed files"
expected=(
  bin/sprite bin/sprite-cli
  "share/applications/$id.desktop" "share/metainfo/$id.metainfo.xml" "share/mime/packages/$id.xml"
  share/man/man1/sprite.1.gz share/man/man1/sprite-cli.1.gz share/bash-completion/completions/sprite-cli
  share/doc/sprite-encoder-decoder/LICENSE
)
for size in 16 24 32 48 64 128 256; do
  expected+=("share/icons/hicolor/${size}x${size}/apps/$id.png")
done
for file in "${expected[@]}"; do
  [ -f "$usr/$file" ] || fail "$file was not installed"
done
for size in 16 24 32 48 64 128 256; do
  icon="$usr/share/icons/hicolor/${size}x${size}/apps/$id.png"
  [ ! -f "$icon" ] || file -b "$icon" | grep -q "PNG image data, $size x $size," ||
    fail "$icon is not a $size x $size PNG image"
done
unexpected="$(cd "$usr" && find . -type f | sed 's|^\./||' | sort |
  grep -vxF -f <(printf '%s\n' "${expected[@]}") || true)"
[ -z "$unexpected" ] || fail "files nobody expects were installed: $unexpected"

step "the installed programs: --version, --help, and a round trip through sprite-cli"
"$usr/bin/sprite-cli" --version | head -1
"$usr/bin/sprite-cli" --version | grep -q "/share/doc/sprite-encoder-decoder/LICENSE\.$" ||
  fail "--version does not point to where the licence is installed"
"$usr/bin/sprite" --version | head -1
env -u DISPLAY -u WAYLAND_DISPLAY "$usr/bin/sprite" --help >/dev/null || fail "sprite --help needs a display"
work="$stage/work"
mkdir -p "$work/decoded" "$work/again"
"$usr/bin/sprite-cli" -q encode -o "$work/walk.spr" "$root"/samples/hero_walk_*.bmp
"$usr/bin/sprite-cli" -q decode -C "$work/decoded" "$work/walk.spr"
"$usr/bin/sprite-cli" -q encode -o "$work/again.spr" "$work"/decoded/walk.spr.*.bmp
count=$(find "$work/decoded" -name 'walk.spr.*.bmp' | wc -l)
[ "$count" -eq "$(find "$root/samples" -name 'hero_walk_*.bmp' | wc -l)" ] || fail "decode wrote $count bitmaps"
cmp "$work/walk.spr" "$work/again.spr" || fail "the decoded bitmaps do not pack into the same archive"

step "desktop-file-validate"
desktop-file-validate "$usr/share/applications/$id.desktop" || fail "the desktop entry"
step "appstreamcli validate --no-net"
appstreamcli validate --no-net "$usr/share/metainfo/$id.metainfo.xml" || fail "the AppStream metadata"

step "xmllint, and the file type as the MIME database reads it"
xmllint --noout "$usr/share/mime/packages/$id.xml" || fail "the MIME package"
mime="$stage/mime"
mkdir -p "$mime/packages"
cp "$usr/share/mime/packages/$id.xml" "$mime/packages/"
XDG_DATA_DIRS="$stage" XDG_DATA_HOME="$stage" update-mime-database "$mime" 2>&1 | { ! grep .; } ||
  fail "update-mime-database has something to say"
grep -q "^50:application/x-sprite-archive:\*\.spr$" "$mime/globs2" || fail "*.spr is not in the MIME globs"
# The compiled magic holds the type's name, then its match: offset 0, four bytes "SP" 1 2.
tr -d '\0' <"$mime/magic" | tr '\n' '|' | grep -aqF "[60:application/x-sprite-archive]|>0="$'\x04SP\x01\x02|' ||
  fail "the archive's magic is not in the MIME database"

step "man --warnings -l"
for page in sprite sprite-cli; do
  warnings="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null)"
  [ -z "$warnings" ] || fail "$page.1: $warnings"
done

step "bash -n on the completion"
bash -n "$usr/share/bash-completion/completions/sprite-cli" || fail "the completion"

[ "$failed" -eq 0 ] || exit 1
echo "check-install: passed"
