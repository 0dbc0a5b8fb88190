#!/usr/bin/env bash
# Makes the Debian package of a build and checks it as Debian's tools and a user would: unpacked, it holds the
# program, its desktop entry, metainfo, manual page and copyright; the desktop entry and the metainfo validate;
# lintian finds no error; and the unpacked program shows its window and stays up.
#   CheckPackage.sh <build folder> <version> <scratch folder>
set -uo pipefail
build=$1 version=$2 work=$3
failed=0
fail() {
    echo "FAIL: $*" >&2
    failed=1
}

rm -rf "$work" && mkdir -p "$work/root"
if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    exit 1
fi
deb="$work/kyrel-script-editor_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { ls "$work"; fail "no $deb"; exit 1; }

# The dependencies come from the program's libraries, Qt's among them.
dpkg-deb -f "$deb" Depends | grep -q "libqt6widgets6" || fail "Depends lacks Qt: $(dpkg-deb -f "$deb" Depends)"

dpkg-deb -x "$deb" "$work/root"
root=$work/root
program=$root/usr/bin/kyrel-script-editor
entry=$root/usr/share/applications/kyrel-script-editor.desktop
metainfo=$(ls "$root"/usr/share/metainfo/*.metainfo.xml 2>/dev/null)
[ -x "$program" ] || fail "no program at /usr/bin/kyrel-script-editor"
[ -f "$entry" ] || fail "no desktop entry"
[ -n "$metainfo" ] || fail "no metainfo file"
[ -f "$root/usr/share/icons/hicolor/48x48/apps/kyrel-script-editor.png" ] || fail "no icons"
zcat "$root/usr/share/man/man1/kyrel-script-editor.1.gz" 2>/dev/null | grep -q '^\.SH OPTIONS' || fail "no manual page"
grep -q '^License: MIT$' "$root/usr/share/doc/kyrel-script-editor/copyright" 2>/dev/null || fail "no copyright file"

desktop-file-validate "$entry" || fail "desktop-file-validate"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
# The whole tree: the metainfo's launchable desktop entry and its icon are found too.
appstreamcli validate-tree --no-net "$root" || fail "appstreamcli validate-tree"
lintian_output=$(lintian --fail-on error "$deb" 2>&1) || fail "lintian reports errors"
grep -v '^running with root privileges' <<<"$lintian_output"

# The unpacked program, started offscreen, stays up; on a virtual X display its window shows.
QT_QPA_PLATFORM=offscreen "$program" &
pid=$!
sleep 3
kill -0 "$pid" 2>/dev/null || fail "the program ended within 3 seconds offscreen"
kill "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
PROGRAM=$program xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY "$PROGRAM" &
    pid=$!
    found=$(timeout 20 xdotool search --sync --onlyvisible --name "^Kyrel Script Editor$")
    sleep 2
    alive=0
    kill -0 "$pid" 2>/dev/null && alive=1
    kill "$pid" 2>/dev/null
    [ -n "$found" ] || { echo "no window titled \"Kyrel Script Editor\"" >&2; exit 1; }
    [ "$alive" = 1 ] || { echo "the program ended after showing its window" >&2; exit 1; }
' || fail "the unpacked program on a display"

[ "$failed" = 0 ] && echo "package $deb checked"
exit "$failed"
