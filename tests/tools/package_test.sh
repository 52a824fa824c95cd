#!/usr/bin/env bash
# Installs Quillon as a user would: tools/package makes the installer of this build, which runs silently in a
# fresh Wine prefix of the build's architecture (32-bit Windows for i686). The installed program must show its
# window, quillon-find print the version its file carries, Programs and Features list it, and the silent
# uninstall remove it all but the user's settings.   package_test.sh <i686|x86_64> <build folder>
set -euo pipefail
arch=$1 build=$(realpath "$2")
root=$(cd "$(dirname "$0")/../.." && pwd)
if [ "$arch" = i686 ] && ! "$root/tools/can-run-32bit"; then
    echo "SKIPPED: this machine cannot run 32-bit programs (tools/can-run-32bit), so no 32-bit prefix" >&2
    exit 77
fi
# An X server of its own: the program's window is found there by its title.
[ -n "${PACKAGE_TEST_X:-}" ] || exec env PACKAGE_TEST_X=1 xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"

work=$build/package-test
rm -rf "$work"
"$root/tools/package" --arch "$arch" --no-build --build-dir "$build" --dist "$work/dist" >/dev/null
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
view=/reg:64 && [ "$arch" = x86_64 ] || export WINEARCH=win32 view=/reg:32
wine() { "$root/tools/wine" "$@"; }
trap 'wineserver -k 2>/dev/null || true' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
wine wineboot -i >/dev/null 2>&1 && wineserver -w

dir='C:\Program Files\Quillon'
unix_dir="$WINEPREFIX/drive_c/Program Files/Quillon"
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Quillon.lnk"
entry='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillon'
settings='HKCU\Software\Orvanta\Quillon'
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
wine "$work"/dist/Quillon-*-setup.exe /S
for f in Quillon.exe quillon-find.exe tamsel.chm README.txt uninstall.exe; do [ -f "$unix_dir/$f" ] || fail "no $f"; done
[ -f "$shortcut" ] || fail "no Start-menu shortcut"

# The entry of Programs and Features, in the view of the installer's architecture.
values=$(wine reg query "$entry" $view | tr -d '\r')
value() { sed -n "s/^ *$1 *REG_[A-Z]* *//p" <<<"$values"; }
[[ $(value DisplayName) == Quillon* ]] || fail "DisplayName: $(value DisplayName)"
[ "$(value DisplayVersion)" = "$version" ] || fail "DisplayVersion $(value DisplayVersion), not $version"
[ "$(value Publisher)" = "Orvanta Software" ] || fail "Publisher: $(value Publisher)"
[ "$(value UninstallString)" = "\"$dir\\uninstall.exe\"" ] || fail "UninstallString: $(value UninstallString)"
[ $(($(value EstimatedSize))) -gt 1000 ] || fail "EstimatedSize in KB: $(value EstimatedSize)"

# --version against the fixed part of the installed file's version resource, read here from the file, and
# the project version: numbers left out by the program are zero.
printed=$(wine "$dir\\quillon-find.exe" --version | tr -d '\r')
resource=$(python3 -c 'import struct, sys
data = open(sys.argv[1], "rb").read()
ms, ls = struct.unpack_from("<II", data, data.index(b"\xbd\x04\xef\xfe") + 16)
print(ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)' "$unix_dir/quillon-find.exe")
numbers() { local IFS=.; set -- $1 0 0 0; echo "$1 $2 $3 $4"; }
[ "$(numbers "${printed#quillon-find }")" = "$resource" ] || fail "'$printed', but the resource holds $resource"
[ "$(numbers "$version")" = "$resource" ] || fail "the resource holds $resource, the project version is $version"

# The installed program shows its main window, which closes on Alt+F4 and ends the program.
wine "$dir\\Quillon.exe" &
program=$!
window=$(timeout 120 xdotool search --sync --onlyvisible --name '^(Administrator: )?Quillon$' | head -n 1) || true
[ -n "$window" ] || fail "Quillon's window did not show"
# The window may not take the focus at once while it is still being placed: Alt+F4 again until it is gone.
for _ in $(seq 30); do
    kill -0 $program 2>/dev/null || break
    xdotool windowfocus --sync "$window" key alt+F4 2>/dev/null || true
    sleep 1
done
status=0 && wait $program || status=$?
[ $status = 1 ] || fail "Quillon ended with exit code $status, not 1 as after a normal close"
wine reg query "$settings" >/dev/null || fail "Quillon wrote no settings"

wine "$dir\\uninstall.exe" /S
wineserver -w # the uninstaller runs on from a copy of itself
[ ! -e "$unix_dir" ] || fail "left behind: $(ls "$unix_dir")"
[ ! -e "$shortcut" ] || fail "the Start-menu shortcut is left"
! wine reg query "$entry" $view >/dev/null 2>&1 || fail "the uninstall entry is left"
wine reg query "$settings" >/dev/null || fail "the uninstaller removed the user's settings"
echo "package_test: $arch installer $version installed, run and uninstalled"
