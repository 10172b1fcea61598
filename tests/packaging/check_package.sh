#!/usr/bin/env bash
# Builds the .deb, unpacks it into a temporary root, validates its desktop
# entry and AppStream metadata, and starts the installed program (on the X
# screen that run_e2e.sh provides) until its window appears.
#   check_package.sh <build-folder>
set -euo pipefail
build=$1
root=$(mktemp -d)
trap 'kill "${pid:-}" 2>/dev/null || true; rm -rf "$root"' EXIT
(cd "$build" && cpack -G DEB >"$root.cpack.log" 2>&1) || { cat "$root.cpack.log"; exit 1; }
rm -f "$root.cpack.log"
deb=$(ls "$build"/package/zoltava-mnozenia_*.deb)
echo "package: $deb"
dpkg-deb -f "$deb" Package Version Depends
dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6 || { echo "Depends lacks the Qt libraries"; exit 1; }
dpkg-deb -x "$deb" "$root"
for f in usr/bin/zoltava-mnozenia usr/lib/zoltava-mnozenia/zoltava-mnozenia usr/lib/zoltava-mnozenia/graphics/7.bmp \
         usr/lib/zoltava-mnozenia/sounds/rowna_sie.wav usr/share/icons/hicolor/64x64/apps/zoltava-mnozenia.png; do
    [ -e "$root/$f" ] || { echo "missing from the package: $f"; exit 1; }
done
desktop-file-validate "$root/usr/share/applications/zoltava-mnozenia.desktop"
grep -q '^Categories=Education;Math;$' "$root/usr/share/applications/zoltava-mnozenia.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/example.quorvin.ZoltavaMnozenia.metainfo.xml"
SDL_AUDIODRIVER=dummy "$root/usr/bin/zoltava-mnozenia" &
pid=$!
if ! timeout 20 xdotool search --sync --onlyvisible --all --pid "$pid" --name '^Zoltava mnożenia$' >/dev/null; then
    echo "the installed program showed no window"
    exit 1
fi
kill -0 "$pid" || { echo "the installed program ended"; exit 1; }
echo "the installed program runs"
