#!/usr/bin/env bash
# Builds the .deb, has Debian's lintian check it (any error or warning
# fails), unpacks it into a temporary root made read-only, validates its
# desktop entry and AppStream metadata, and starts the installed program as a
# user that is not root (on the X screen that run_e2e.sh provides) until its
# window appears.
#   check_package.sh <build-folder>
set -euo pipefail
build=$1
root=$(mktemp -d)
trap 'kill "${pid:-}" 2>/dev/null || true; chmod -R u+w "$root"; rm -rf "$root"' EXIT
(cd "$build" && cpack -G DEB >"$root.cpack.log" 2>&1) || { cat "$root.cpack.log"; exit 1; }
rm -f "$root.cpack.log"
deb=$(ls "$build"/package/zoltava-mnozenia_*.deb)
echo "package: $deb"
dpkg-deb -f "$deb" Package Version Depends
dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6 || { echo "Depends lacks the Qt libraries"; exit 1; }
# SDL is opened at run time, so the library scan cannot find it.
dpkg-deb -f "$deb" Depends | grep -q libsdl2-2.0-0 || { echo "Depends lacks SDL"; exit 1; }
dpkg-deb -f "$deb" Depends | grep -q libsqlite3-0 || { echo "Depends lacks SQLite"; exit 1; }
lintian --fail-on error,warning --display-info "$deb" || { echo "lintian found errors or warnings"; exit 1; }
dpkg-deb -x "$deb" "$root"
for f in usr/bin/zoltava-mnozenia usr/lib/zoltava-mnozenia/zoltava-mnozenia usr/lib/zoltava-mnozenia/graphics/7.bmp \
         usr/lib/zoltava-mnozenia/zoltava-mnozenia-lektor \
         usr/lib/zoltava-mnozenia/sounds/rowna_sie.wav usr/share/icons/hicolor/64x64/apps/zoltava-mnozenia.png \
         usr/share/doc/zoltava-mnozenia/copyright usr/share/man/man1/zoltava-mnozenia.1.gz; do
    [ -e "$root/$f" ] || { echo "missing from the package: $f"; exit 1; }
done
desktop-file-validate "$root/usr/share/applications/zoltava-mnozenia.desktop"
grep -q '^Categories=Education;Math;$' "$root/usr/share/applications/zoltava-mnozenia.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/example.quorvin.ZoltavaMnozenia.metainfo.xml"
# A display that does not answer is named in one line, not with advice to
# reinstall.
if out=$(env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY DISPLAY=:9999 "$root/usr/bin/zoltava-mnozenia" 2>&1 >/dev/null); then
    echo "the program started without a display"; exit 1
fi
[ "$(printf '%s\n' "$out" | wc -l)" -eq 1 ] && grep -q 'nie ma pulpitu' <<<"$out" ||
    { echo "without a display it said:"; echo "$out"; exit 1; }
# Installed as a package is: owned by root, read-only to everyone else.
chmod -R a-w "$root/usr"
chmod a+rx "$root"
user=nobody
setpriv --reuid="$user" --regid=nogroup --clear-groups env -u XDG_RUNTIME_DIR HOME=/tmp SDL_AUDIODRIVER=dummy \
    "$root/usr/bin/zoltava-mnozenia" &
pid=$!
if ! timeout 20 xdotool search --sync --onlyvisible --all --pid "$pid" --name '^Zoltava mnożenia$' >/dev/null; then
    echo "the installed program showed no window"
    exit 1
fi
kill -0 "$pid" || { echo "the installed program ended"; exit 1; }
[ "$(ps -o user= -p "$pid")" = "$user" ] || { echo "the program does not run as $user"; exit 1; }
echo "the installed program runs"
