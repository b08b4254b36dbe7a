#!/usr/bin/env bash
# Runs the command on a virtual X server of its own (Qt's platform xcb). The server picks a free display
# number itself (-displayfd): a display of another program, even one outside a chroot, is never taken.
# Exits 77 (skipped) where there is no Xvfb or no xdotool.
set -euo pipefail
command -v Xvfb xdotool >/dev/null || exit 77
work=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
server=$!
trap 'kill $server; wait $server 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 300); do
    [ ! -s "$work/display" ] || break
    sleep 0.1
done
DISPLAY=:$(head -n 1 "$work/display") QT_QPA_PLATFORM=xcb "$@"
