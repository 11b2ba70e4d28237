#!/usr/bin/env bash
# veltrix --help and --version answer on standard output and exit 0 without
# a display, a window or a port; without them the program still wants its
# display, so the environment here really has none.
set -uo pipefail
source "$(dirname "$0")/check.sh"
program=$1
version=${VELTRIX_VERSION:?}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# No display of any kind, and the toolkit told to use X11.
headless=(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb)

out=$(timeout 10 "${headless[@]}" "$program" --version 2>"$work/err")
check "--version exits 0" test $? -eq 0
check "--version prints the program's and the settings file's versions" \
  test "$out" == "$(printf 'Veltrix %s\nSettings file version 1.14 2nd September 2007' "$version")"
check "--version writes nothing to standard error" test ! -s "$work/err"

out=$(timeout 10 "${headless[@]}" "$program" --help 2>"$work/err")
check "--help exits 0" test $? -eq 0
check "--help shows the usage" grep -q '^Usage: veltrix \[--help | --version\]' <<<"$out"
check "--help explains the working folder" grep -q 'works in the folder it is started in' <<<"$out"

# Nothing was made in the folder: no settings written, no port touched.
check "the information options leave the working folder as it was" test -z "$(ls -A "$work" | grep -v '^err$')"

# The control: a start without those options cannot go on headless.
status=$( { timeout 10 "${headless[@]}" "$program" >/dev/null 2>&1; echo $?; } 2>/dev/null)
check "a normal start without a display fails (status $status)" test $status -ne 0 -a $status -ne 124

finish
