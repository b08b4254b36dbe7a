#!/usr/bin/env bash
# The Debian packages as a user gets them: builds filarion_3.00_amd64.deb and filarion-cli_3.00_amd64.deb with
# scripts/package under the umask 000 and checks their modes, lets lintian check both (no error, no warning),
# installs the command line's package alone and runs a rename with it, with no display and without Qt's
# widgets (where the machine has them already through the build's packages, its Depends must not name them),
# removes it again, then installs the window's package with apt-get, reads what it
# recommends and suggests, finds its manual page, asks the installed program for its version without a display, starts it on a virtual display,
# waits for its window captioned Filarion, then removes the package and whatever its installation brought in,
# and checks that the machine's package list is as it was. Exit 77 (skipped) when not root, or when a
# filarion package is already installed, which the test would otherwise remove; exit 1 (failed) instead where
# FILARION_REQUIRE_REAL_PATHS=1 (CI).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
skip() {
    echo "package test: skipped, $1"
    [ "${FILARION_REQUIRE_REAL_PATHS:-}" = 1 ] && exit 1
    exit 77
}
if [ "$(id -u)" -ne 0 ]; then
    skip "installing a package needs root"
fi
for package in filarion filarion-cli; do
    if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        skip "a $package package is installed already"
    fi
done

# A builder whose umask lets everyone write: the package's modes must not follow it. Folders and the
# program 0755, everything else 0644.
(umask 000 && bash "$root/scripts/package")
deb=$root/build/package/filarion_3.00_amd64.deb
cli_deb=$root/build/package/filarion-cli_3.00_amd64.deb
for package in "$deb" "$cli_deb"; do
    wrong=$(dpkg-deb -c "$package" | awk '{
        want = ($6 ~ /\/$/ || $6 == "./usr/bin/filarion" || $6 == "./usr/bin/filarion-cli") ? "rwxr-xr-x" : "rw-r--r--"
        if (substr($1, 2) != want) print $1, $6 }')
    [ -z "$wrong" ] || { echo "modes in $package other than 0755 and 0644:"; echo "$wrong"; exit 1; }
    lintian --fail-on error,warning "$package" 2> >(grep -v "running with root privileges" >&2) ||
        { echo "lintian found errors or warnings in $package"; exit 1; }
done
work=$(mktemp -d)
packages() { dpkg-query -W -f='${Package} ${Status}\n' | grep " installed$" | cut -d' ' -f1 | sort; }
packages >"$work/before"

cleanup() {
    [ -z "${program:-}" ] || kill "$program" 2>/dev/null || true
    [ -z "${server:-}" ] || kill "$server" 2>/dev/null || true
    local added
    added=$(packages | comm -13 "$work/before" - | tr '\n' ' ')
    # shellcheck disable=SC2086 # one word per package
    [ -z "$added" ] || apt-get purge -y -qq -o DPkg::Lock::Timeout=300 $added >/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# The command line alone: its package depends on Qt Core and the C and C++ libraries, nothing of the window.
apt-get install -y -qq --no-install-recommends -o DPkg::Lock::Timeout=300 "$cli_deb" >/dev/null
cli_depends=$(dpkg-query -W -f='${Depends}' filarion-cli)
echo "filarion-cli depends on: $cli_depends"
for unwanted in libqt6widgets6 libqt6gui6 fonts-wqy-microhei qt6-qpa-plugins qt6-translations-l10n filarion; do
    if grep -qE "(^|[ ,])$unwanted([ ,(]|$)" <<<"$cli_depends"; then
        echo "filarion-cli depends on $unwanted"
        exit 1
    fi
done
grep -q "libqt6core6" <<<"$cli_depends" || { echo "filarion-cli does not depend on Qt Core"; exit 1; }
if grep -qx libqt6widgets6 "$work/before"; then
    echo "package test: Qt Widgets came with the build's packages; checked the Depends line instead"
elif packages | grep -qx libqt6widgets6; then
    echo "installing filarion-cli pulled in Qt Widgets"
    exit 1
fi
[ "$(man -w filarion-cli)" = /usr/share/man/man1/filarion-cli.1.gz ]
[ -f /usr/share/bash-completion/completions/filarion-cli ]
bash -n /usr/share/bash-completion/completions/filarion-cli
# A rename on a machine without a display: no DISPLAY, no Wayland, nothing of the build's environment.
mkdir "$work/photos"
touch "$work/photos/IMG_1.JPG" "$work/photos/IMG_2.JPG"
[ "$(env -i PATH=/usr/bin:/bin LANG=C.UTF-8 DISPLAY= filarion-cli --version | head -n 1)" = "filarion-cli 3.00" ]
env -i PATH=/usr/bin:/bin LANG=C.UTF-8 DISPLAY= filarion-cli replace "$work/photos" -p '*.JPG' IMG_ 2024_ </dev/null
[ "$(cd "$work/photos" && echo *)" = "2024_1.JPG 2024_2.JPG QuillmarkLog.txt" ] ||
    { echo "filarion-cli did not rename: $(ls "$work/photos")"; exit 1; }
env -i PATH=/usr/bin:/bin LANG=C.UTF-8 DISPLAY= filarion-cli undo "$work/photos" --yes </dev/null
[ "$(cd "$work/photos" && echo *)" = "IMG_1.JPG IMG_2.JPG QuillmarkLog.txt" ] ||
    { echo "filarion-cli did not take the run back: $(ls "$work/photos")"; exit 1; }
apt-get purge -y -qq -o DPkg::Lock::Timeout=300 filarion-cli >/dev/null
added=$(packages | comm -13 "$work/before" - | tr '\n' ' ')
# shellcheck disable=SC2086 # one word per package
[ -z "$added" ] || apt-get purge -y -qq -o DPkg::Lock::Timeout=300 $added >/dev/null
echo "package test: filarion-cli alone renames without a display"

# What it depends on, not what it recommends (qt6-wayland), so that removing it leaves the machine as it was.
apt-get install -y -qq --no-install-recommends -o DPkg::Lock::Timeout=300 "$deb" >/dev/null
dpkg-query -W -f='${Depends}\n' filarion
for needed in libqt6widgets6 fonts-wqy-microhei qt6-translations-l10n qt6-qpa-plugins; do
    dpkg-query -W -f='${Depends}\n' filarion | grep -q "\b$needed\b" || { echo "no dependency on $needed"; exit 1; }
done
# Recommended and suggested, not pulled in: Wayland's Qt platform and a pinyin input method with its Qt 6 frontend.
[ "$(dpkg-query -W -f='${Recommends}' filarion)" = "qt6-wayland" ] || { echo "does not recommend qt6-wayland"; exit 1; }
[ "$(dpkg-query -W -f='${Suggests}' filarion)" = "ibus-libpinyin | fcitx5-chinese-addons, fcitx5-frontend-qt6" ] ||
    { echo "suggests no input method: $(dpkg-query -W -f='${Suggests}' filarion)"; exit 1; }
[ "$(command -v filarion)" = /usr/bin/filarion ]
desktop-file-validate /usr/share/applications/org.filarion.Filarion.desktop
[ "$(man -w filarion)" = /usr/share/man/man1/filarion.1.gz ]
LC_ALL=C.UTF-8 MANPAGER=cat man filarion | grep -q "QuillmarkLog.txt" || { echo "man filarion shows no page"; exit 1; }
# The command line answers without a display.
[ "$(env -i PATH=/usr/bin:/bin filarion --version)" = "filarion 3.00" ]

# A virtual display that picks a free number itself (-displayfd): a display of another program, even one
# outside a chroot (they share the abstract socket names), is never taken.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
server=$!
for _ in $(seq 300); do
    [ ! -s "$work/display" ] || break
    sleep 0.1
done
display=:$(head -n 1 "$work/display")

# The installed program, started as from the menu, in a folder of its own, with nothing of the build's
# environment: its window must come up with the caption Filarion.
(cd "$work" && exec env -i PATH=/usr/bin:/bin HOME="$work" LANG=C.UTF-8 DISPLAY="$display" filarion) &
program=$!
window=$(DISPLAY=$display timeout 120 xdotool search --sync --onlyvisible --name '^Filarion$' | head -n 1) || true
owner=$([ -z "$window" ] || DISPLAY=$display xdotool getwindowpid "$window")
kill "$program" "$server"
wait "$program" "$server" || true
if [ -z "$window" ] || [ "$owner" != "$program" ]; then
    echo "no window captioned Filarion of the installed program"
    exit 1
fi
program= server=
echo "package test: the installed program shows its window: Filarion"

apt-get purge -y -qq -o DPkg::Lock::Timeout=300 filarion >/dev/null
if ! diff <(packages) "$work/before"; then
    echo "the package list differs from the one before the test"
    exit 1
fi
echo "package: ok"
