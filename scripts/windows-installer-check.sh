#!/usr/bin/env bash
# The installer under Wine, as an administrator's script runs it: a silent
# install into its default folder (Program Files, with a space) with sprite-cli
# on PATH (/PATH), the installed sprite-cli.exe packing the samples as the built
# one does, the Start-menu entry and the .spr file type in place, then a silent
# uninstall that leaves none of it behind: PATH as it was, the window's kept
# options gone.
set -euo pipefail
source "$(dirname "$0")/windows-wine.sh"
version="$(sed -n 's/^project(SpriteEncoderDecoder VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
setup="$build/sprite-encoder-decoder-$version-win64-setup.exe"
zip="$build/sprite-encoder-decoder-$version-win64.zip"
[ -f "$setup" ] && [ -f "$zip" ] || { echo "windows-installer-check: make windows first" >&2; exit 1; }
work="$(mktemp -d)"
trap 'wine_cleanup 2>/dev/null || true; rm -rf "$work"' EXIT
fail() { echo "windows-installer-check: FAILED: $*" >&2; exit 1; }
key() { wine reg query "$1" </dev/null 2>/dev/null | tr -d '\r'; }

listed="$(unzip -Z1 "$zip")"
for file in sprite.exe sprite-cli.exe LICENSE.txt README.txt; do
  grep -qx "sprite-encoder-decoder-$version-win64/$file" <<<"$listed" || fail "the zip lacks $file"
done

environment='HKLM\System\CurrentControlSet\Control\Session Manager\Environment'
path_before="$(key "$environment" | grep -i '^ *PATH ')"
wine "$setup" /S /PATH </dev/null >/dev/null 2>&1
installed="$WINEPREFIX/drive_c/Program Files/Sprite Encoder"
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Sprite Encoder.lnk"
for file in sprite.exe sprite-cli.exe LICENSE.txt README.txt Uninstall.exe; do
  [ -f "$installed/$file" ] || fail "$file was not installed"
done
[ -f "$menu" ] || fail "no Start-menu entry"
key 'HKCR\.spr' | grep -q 'SpriteEncoder.Archive' || fail ".spr is not registered"
key 'HKCR\SpriteEncoder.Archive\shell\open' | grep -q 'Open with Sprite Encoder' || fail "no Open verb"
key 'HKCR\SpriteEncoder.Archive\DefaultIcon' | grep -q 'sprite.exe,0' || fail "no file type icon"

key "$environment" | grep -i '^ *PATH ' | grep -qF 'C:\Program Files\Sprite Encoder' ||
  fail "the program folder is not on PATH"
version_text="$(wine cmd /c 'sprite-cli --version' </dev/null 2>/dev/null)"
grep -q '^sprite-cli ' <<<"$version_text" || fail "sprite-cli does not run from PATH"
grep -q 'full text is in LICENSE\.txt beside the program\.' <<<"$version_text" ||
  fail "--version does not point to the LICENSE.txt installed beside it"

cp "$root"/samples/*.bmp "$work/"
(cd "$work" && wine 'C:\Program Files\Sprite Encoder\sprite-cli.exe' encode -q -o installed.spr '*.bmp' </dev/null &&
  wine "$build/src/sprite-cli.exe" encode -q -o built.spr '*.bmp' </dev/null)
cmp "$work/installed.spr" "$work/built.spr" || fail "the installed sprite-cli.exe packs differently"

# What the window keeps when it has run.
wine reg add 'HKCU\Software\Sprite Encoder' /v DecodeToPng /d 1 /f </dev/null >/dev/null 2>&1
wine 'C:\Program Files\Sprite Encoder\Uninstall.exe' /S </dev/null >/dev/null 2>&1
# The uninstaller copies itself away and runs from there: wait for it to
# remove the folder, then the Start-menu entry, and last its uninstall entry.
uninstall='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\SpriteEncoderDecoder'
for _ in $(seq 300); do [ -e "$installed" ] || [ -e "$menu" ] || break; sleep 0.1; done
for _ in $(seq 30); do key "$uninstall" | grep -q . || break; sleep 0.5; done
[ ! -e "$installed" ] || fail "the program folder is still there: $(ls "$installed")"
[ ! -e "$menu" ] || fail "the Start-menu entry is still there"
! key 'HKCR\SpriteEncoder.Archive' | grep -q . || fail "the file type is still registered"
! key 'HKCR\.spr' | grep -q . || fail ".spr is still registered"
! key "$uninstall" | grep -q . || fail "the uninstall entry is still there"
[ "$(key "$environment" | grep -i '^ *PATH ')" = "$path_before" ] || fail "PATH is not as it was"
! key 'HKCU\Software\Sprite Encoder' | grep -q . || fail "the window's options are still there"
echo "windows-installer-check: passed; installed silently, packed as the built program does, uninstalled without a trace"
