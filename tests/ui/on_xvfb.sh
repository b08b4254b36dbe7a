#!/usr/bin/env bash
# Runs the command on an X server of its own (platform xcb), which picks a free display itself (-displayfd), so
# that no display of another program is ever taken. 77 (skipped) without Xvfb or xdotool, 1 (failed) instead where
# FILARION_REQUIRE_REAL_PATHS=1 (CI).
if ! command -v Xvfb xdotool >/dev/null; then
    echo "on_xvfb: Xvfb or xdotool missing"
    [ "${FILARION_REQUIRE_REAL_PATHS:-}" = 1 ] && exit 1
    exit 77
fi
exec 3< <(Xvfb -displayfd 1 -screen 0 1280x800x24 -nolisten tcp 2>/dev/null & echo "$!")
read -r server <&3 && read -r display <&3 || exit 1
trap 'kill "$server"' EXIT
DISPLAY=:$display QT_QPA_PLATFORM=xcb "$@"
