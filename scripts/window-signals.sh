#!/usr/bin/env bash
# The window program and the signals a logout, `kill` or Ctrl+C in its
# terminal send, for real: `sprite` on a virtual X server, SIGTERM, SIGHUP and
# SIGINT sent while it is idle, while its About box is open, during a Decode
# of a large archive and during an Encode of a long list. Each time the
# program must end by that signal within a few seconds, and the folder must
# hold only whole files: the old archive byte for byte, every decoded bitmap
# either the old one or the whole new one, no temporary file. Where a user
# namespace can hide /proc, the runs are made once more without it (the
# programs then fall back to named temporary files where the file system
# needs them).
#
#   scripts/window-signals.sh
#
# BUILD_DIR names the build to take the programs from (default build/default);
# PICTURES the size of the archive and of the list (default 20000).
set -euo pipefail

script_name=window-signals
source "$(dirname "$0")/window-programs.sh"

work="$(mktemp -d)"
trap '[ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
# The window keeps its options in the home folder: a home of its own here.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config"
pictures="${PICTURES:-20000}"

# One sample sprite, the archive of it `pictures` times, and what its entry
# decodes to.
cp "$root/samples/hero_walk_1.bmp" "$work/s.bmp"
mkdir "$work/ref" "$work/run"
(cd "$work" && "$cli" encode -q -o one.spr s.bmp && "$cli" decode -q -C ref one.spr)
mapfile -t list < <(yes "$work/s.bmp" | head -n "$pictures")
"$cli" encode -q -o "$work/run/big.spr" "${list[@]}"
cp "$work/run/big.spr" "$work/big.spr.orig"
cp "$work/ref/one.spr.0001.bmp" "$work/new.bmp"
cp "$root/samples/hero_walk_3.bmp" "$work/old.bmp"
"$cli" encode -q -o "$work/old.spr" "$root/samples/hero_walk_2.bmp"

hide_proc=""
if grep -qa __asan_init "$sprite"; then
  # AddressSanitizer finds the stack's bounds in /proc and reports false errors without it.
  echo "$script_name: a sanitizer build: the runs without /proc are left out"
elif unshare --user --map-root-user --mount sh -c 'mount -t tmpfs none /proc' 2>/dev/null; then
  hide_proc="yes"
fi

OLD_SUM=$(md5sum <"$work/old.bmp" | cut -d" " -f1)
NEW_SUM=$(md5sum <"$work/new.bmp" | cut -d" " -f1)

export WORK_DIR="$work" SPRITE="$sprite" PICTURES="$pictures" HIDE_PROC="$hide_proc" OLD_SUM NEW_SUM
xvfb-run -a -s "-screen 0 1024x768x24 -noreset" bash -euo pipefail -c '
  step() { echo "window-signals: $*"; }
  fail() { echo "window-signals: FAILED: $*" >&2; exit 1; }
  until_true() {
    local limit=$(( $1 * 20 )); shift
    for _ in $(seq "$limit"); do "$@" && return 0; sleep 0.05; done
    return 1
  }
  window_up() { xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }
  keys() { xdotool key --clearmodifiers --delay 40 "$@"; }
  # The program holds a file of the folder open: its run has begun.
  run_begun() { ls -l "/proc/$pid/fd" 2>/dev/null | grep -q " $WORK_DIR/run/"; }
  changed() { ! cmp -s "$1" "$2"; }
  encode_seen() { run_begun || changed out.spr ../old.spr; }

  cd "$WORK_DIR/run"
  # start [--no-proc] ARGS...: starts sprite, waits for its window, gives it
  # the keyboard. $pid is the program, $job what waits for it and exits with
  # its status (a shell would announce the signal that ended a job of its own).
  start() {
    local hide=()
    if [ "${1:-}" = --no-proc ]; then
      shift
      hide=(unshare --user --map-root-user --mount sh -c "mount -t tmpfs none /proc && exec \"\$@\"" _)
    fi
    # The shell starts a job in the background with SIGINT ignored, which the
    # program would keep: it gets the default back. A lower open-file limit
    # makes it commit decoded bitmaps in batches of 64 rather than 1024, so a
    # signal finds a few hundred bitmaps on disk, not thousands each slow to
    # delete, and still catches a Decode between its batches.
    (
      ulimit -n 256
      env --default-signal=INT "${hide[@]}" "$SPRITE" "$@" 2>>"$WORK_DIR/stderr" &
      echo $! >"$WORK_DIR/pid"
      wait $!
    ) 2>/dev/null &
    job=$!
    until_true 5 test -s "$WORK_DIR/pid" || fail "not started"
    pid=$(cat "$WORK_DIR/pid")
    rm -f "$WORK_DIR/pid"
    until_true 20 window_up "^Sprite Encoder$" || fail "no window"
    main=$(xdotool search --onlyvisible --name "^Sprite Encoder$" | head -1)
    xdotool windowfocus --sync "$main"
    # The client area (333 pixels high) lies below the menu bar.
    eval "$(xdotool getwindowgeometry --shell "$main")"
    menu=$(( HEIGHT - 333 ))
    sleep 0.3
  }
  # stop SIGNAL: sends it and checks that the program ends by it, soon.
  stop() {
    local started=$SECONDS status=0
    kill "-$1" "$pid"
    for _ in $(seq 200); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
    kill -0 "$pid" 2>/dev/null && { kill -KILL "$pid"; fail "SIG$1: still running after 10 s"; }
    wait "$job" || status=$?
    [ "$status" -eq $(( 128 + $(kill -l "$1") )) ] || fail "SIG$1: exit status $status"
    echo "    ended by SIG$1 after $(( SECONDS - started )) s"
  }
  # Nothing but whole files: no temporary file, and the bitmaps old or new.
  only_whole_files() {
    local name
    shopt -s nullglob dotglob
    for name in *; do
      case "$name" in
        big.spr) cmp -s big.spr ../big.spr.orig || fail "the archive read was changed" ;;
        # The old archive, or the whole new one where the Encode ended first.
        out.spr) cmp -s out.spr ../old.spr || cmp -s out.spr ../big.spr.orig ||
          fail "the old archive was changed" ;;
        big.spr.*.bmp) ;;
        *) fail "left in the folder: $name" ;;
      esac
    done
    # One checksum run for a thousand bitmaps, rather than a cmp for each.
    local bitmaps=(big.spr.*.bmp) sum
    shopt -u nullglob dotglob
    [ "${#bitmaps[@]}" -gt 0 ] || return 0
    while read -r sum name; do
      [ "$sum" = "$OLD_SUM" ] || [ "$sum" = "$NEW_SUM" ] || fail "$name is not whole"
    done < <(md5sum "${bitmaps[@]}")
  }

  for proc in with ${HIDE_PROC:+without}; do
    flag=""; [ "$proc" = without ] && flag=--no-proc
    for signal in TERM HUP INT; do
      step "SIG$signal while idle ($proc /proc)"
      start $flag
      stop "$signal"

      step "SIG$signal while the About box is open ($proc /proc)"
      start $flag
      xdotool mousemove --window "$main" 396 $(( 200 + menu )) click 1
      until_true 10 window_up "^About " || fail "no About box"
      stop "$signal"

      step "SIG$signal during a Decode ($proc /proc)"
      rm -f big.spr.*.bmp
      # Bitmaps of an earlier Decode: each is replaced whole, or not at all.
      for n in 0001 0002 0003 1000 10000 "$PICTURES"; do
        cp ../old.bmp "big.spr.$n.bmp"
      done
      start $flag big.spr
      keys alt+d
      until_true 20 changed big.spr.0001.bmp ../old.bmp || fail "the Decode did not begin"
      stop "$signal"
      only_whole_files
      cmp -s "big.spr.$PICTURES.bmp" ../old.bmp || fail "the Decode was not stopped"
      echo "    $(ls big.spr.*.bmp | wc -l) bitmaps on disk, all whole"

      step "SIG$signal during an Encode ($proc /proc)"
      rm -f big.spr.*.bmp
      cp ../old.spr out.spr
      start $flag out.spr $(yes ../s.bmp | head -n "$PICTURES")
      keys alt+e
      # A quick Encode may end between two looks; its archive then shows it ran.
      until_true 20 encode_seen || fail "the Encode did not begin"
      stop "$signal"
      only_whole_files
      rm -f out.spr
    done
  done
'
if grep -v -e "^QStandardPaths" -e "^sprite: Error" "$work/stderr" >&2; then
  echo "$script_name: the program said the above on standard error" >&2
fi
echo "$script_name: passed; every signal ended the program and left only whole files"
