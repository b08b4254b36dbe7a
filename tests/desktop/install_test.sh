#!/usr/bin/env bash
# `cmake --install` of a build folder into a scratch prefix: the program and the command line, its desktop entry, its AppStream
# metainfo, its icon, its manual page and the copyright and changelog land in their standard places, the
# bitmaps have their sizes, and the ecosystem's validators accept what was installed. The desktop entry
# passes the folder it is opened with, and claims no type of file or folder.
# Usage: install_test.sh BUILD_FOLDER
set -euo pipefail
build=$1
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
cmake --install "$build" --prefix "$root/usr" >/dev/null

id=org.filarion.Filarion
sizes=(16 22 24 32 48 64 128 256)
expected=(usr/bin/filarion usr/share/applications/$id.desktop usr/share/metainfo/$id.metainfo.xml
          usr/share/icons/hicolor/scalable/apps/$id.svg usr/share/man/man1/filarion.1.gz
          usr/share/doc/filarion/copyright usr/share/doc/filarion/changelog.gz
          usr/bin/filarion-cli usr/share/man/man1/filarion-cli.1.gz
          usr/share/bash-completion/completions/filarion-cli
          usr/share/doc/filarion-cli/copyright usr/share/doc/filarion-cli/changelog.gz)
for size in "${sizes[@]}"; do
    expected+=("usr/share/icons/hicolor/${size}x${size}/apps/$id.png")
done
diff <(printf '%s\n' "${expected[@]}" | sort) <(cd "$root" && find . -type f | sed 's|^\./||' | sort)

for size in "${sizes[@]}"; do
    file "$root/usr/share/icons/hicolor/${size}x${size}/apps/$id.png" | grep -q "PNG image data, $size x $size," ||
        { echo "the ${size}x${size} icon is not a $size-pixel PNG"; exit 1; }
done

desktop-file-validate "$root/usr/share/applications/$id.desktop"
appstreamcli validate --no-net --strict "$root/usr/share/metainfo/$id.metainfo.xml"
appstreamcli validate-tree --no-net "$root"
grep -qx "Exec=filarion %f" "$root/usr/share/applications/$id.desktop"
if grep -q "^MimeType=" "$root/usr/share/applications/$id.desktop"; then
    echo "the desktop entry claims a type"
    exit 1
fi
echo "install: ok"
