#!/usr/bin/env bash
# scripts/run and scripts/demo with a display that is named but cannot be
# reached: one clear line on standard error, exit status 1, nothing started.
#
#   ui_scripts_display_test.sh SOURCE_DIR
set -uo pipefail
root=$1
display=:4711

command -v xdpyinfo >/dev/null 2>&1 || { echo "skip: xdpyinfo is missing"; exit 77; }
if DISPLAY=$display timeout 10 xdpyinfo >/dev/null 2>&1; then
    echo "skip: display $display answers here"
    exit 77
fi

out=$(mktemp)
err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
failures=0
for script in run demo; do
    env -u WAYLAND_DISPLAY DISPLAY=$display bash "$root/scripts/$script" >"$out" 2>"$err"
    status=$?
    if [ "$status" -ne 1 ]; then
        echo "scripts/$script: exit status $status, expected 1"
        failures=$((failures + 1))
    fi
    if [ -s "$out" ]; then
        echo "scripts/$script: wrote to standard output:"
        cat "$out"
        failures=$((failures + 1))
    fi
    if [ "$(wc -l <"$err")" -ne 1 ] || ! grep -q "cannot reach the display $display" "$err"; then
        echo "scripts/$script: expected one line naming the display, got:"
        cat "$err"
        failures=$((failures + 1))
    fi
done
[ "$failures" -eq 0 ]
