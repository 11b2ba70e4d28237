#!/usr/bin/env bash
# The desktop launcher of an installed tree: with a fresh home it makes
# ~/orvane, gives it the mark bitmaps and the start-up configuration of a
# fresh set-up and starts the program there; files the operator already has
# stay as they are; the program started from a shell keeps the shell's
# folder.
set -uo pipefail
source "$(dirname "$0")/check.sh"
build=$1
source_dir=${VELTRIX_SOURCE_DIR:?}
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill -KILL "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT

cmake --install "$build" --prefix "$work/usr" >/dev/null || { echo "cmake --install failed"; exit 1; }
bin=$work/usr/bin
export QT_QPA_PLATFORM=offscreen

# start FOLDER COMMAND...: starts COMMAND in FOLDER; its pid in $started.
start() {
  local folder=$1
  shift
  (cd "$folder" && exec "$@") >"$work/program.out" 2>&1 &
  started=$!
  pids+=("$started")
}

# running_program PID: true once PID is the installed veltrix (the launcher
# execs it), waiting up to 15 s.
running_program() {
  local pid=$1
  for _ in $(seq 150); do
    [[ "$(readlink "/proc/$pid/exe" 2>/dev/null)" == "$bin/veltrix" ]] && return 0
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

# catches_term PID: true once the program handles SIGTERM itself (it closes
# its window then), waiting up to 15 s.
catches_term() {
  local pid=$1 caught
  for _ in $(seq 150); do
    caught=$(sed -n 's/^SigCgt:\t*//p' "/proc/$pid/status" 2>/dev/null)
    [[ -n "$caught" ]] && (((16#$caught >> 14) & 1)) && return 0
    sleep 0.1
  done
  return 1
}

# stop PID: the program closes as on a termination signal, once it is up.
stop() {
  local pid=$1
  catches_term "$pid"
  kill -TERM "$pid" 2>/dev/null
  for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -KILL "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
}

same_bitmaps() {
  local folder=$1
  for picture in tick.bmp cross.bmp fill.bmp; do
    cmp -s "$source_dir/resources/$picture" "$folder/$picture" || return 1
  done
}

# A first start from the menu: a home without ~/orvane, started from /.
export HOME=$work/home-fresh
mkdir -p "$HOME"
start / "$bin/veltrix-desktop"
pid=$started
check "the launcher execs the installed program" running_program "$pid"
check "the program runs in ~/orvane" test "$(readlink "/proc/$pid/cwd")" == "$HOME/orvane"
check "~/orvane holds the three mark bitmaps" same_bitmaps "$HOME/orvane"
check "~/orvane holds the start-up configuration" cmp -s "$source_dir/resources/Startup.hac" "$HOME/orvane/Startup.hac"
stop "$pid"
# Closed before start-up has read any settings: none are made up and saved.
check "closing it at once writes no settings file" test ! -e "$HOME/orvane/QX7300.ini"

# A later start: the operator's own bitmap (another letter case) is kept, a
# missing one comes back.
printf 'the operator'"'"'s own tick\n' >"$HOME/orvane/TICK.BMP"
rm -f "$HOME/orvane/tick.bmp" "$HOME/orvane/cross.bmp"
rm "$HOME/orvane/Startup.hac"
printf 'the operator'"'"'s set-up\r\n' >"$HOME/orvane/startup.HAC"
start / "$bin/veltrix-desktop"
pid=$started
check "the launcher starts the program again" running_program "$pid"
check "a bitmap the operator has is left alone" \
  test "$(ls "$HOME/orvane" | grep -ic '^tick\.bmp$')" -eq 1 -a "$(cat "$HOME/orvane/TICK.BMP")" == "the operator's own tick"
check "a missing bitmap is given back" cmp -s "$source_dir/resources/cross.bmp" "$HOME/orvane/cross.bmp"
check "the operator's start-up configuration is left alone" \
  test "$(ls "$HOME/orvane" | grep -ic '^startup\.hac$')" -eq 1 -a "$(cat "$HOME/orvane/startup.HAC")" == $'the operator\'s set-up\r'
stop "$pid"

# From a shell: the program stays in the folder it is started in.
export HOME=$work/home-shell
mkdir -p "$HOME" "$work/bench"
start "$work/bench" "$bin/veltrix"
pid=$started
check "the program started from a shell runs" running_program "$pid"
check "it keeps the shell's folder" test "$(readlink "/proc/$pid/cwd")" == "$work/bench"
stop "$pid"
check "closing it at once writes nothing there" test -z "$(ls "$work/bench")"
check "it makes no ~/orvane of its own" test ! -e "$HOME/orvane"

[[ $failed -eq 0 ]] || { echo "the last start's output:"; cat "$work/program.out"; } >&2
finish
