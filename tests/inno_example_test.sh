#!/usr/bin/env bash
# The Inno Setup example (docs/examples/example-library.iss): its installer,
# built with ISCC.exe under Wine, is installed silently in a Wine prefix of its
# own, on the machine of the NSIS example (Delphi 5 and another Quenlar
# product's shared files, docs/examples/machine); the shipped program then
# undoes it from the record's UninstallString, and every item, the more than
# 1,024 characters of FILES among them, must end as
# docs/examples/inno-expected.txt says. The installer must refuse to install
# over itself and at a counter that is not a number.
#   tests/inno_example_test.sh WORKDIR
# Exit code 77 (skipped), with one line saying why, where Inno Setup's
# compiler is missing or this machine cannot run 32-bit programs.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
work=$1
examples=$here/docs/examples
iscc=$here/build/innosetup/node_modules/innosetup/bin/ISCC.exe
[ -f "$iscc" ] || { echo "skipped: Inno Setup's compiler is missing (scripts/setup installs it with npm)"; exit 77; }
source "$here/scripts/wine-env" "" ""
[ "$wine_arch" = i686 ] || { echo "skipped: this machine cannot run 32-bit programs such as Inno Setup's compiler"; exit 77; }
windows_path() { echo "Z:${1//\//\\}"; }
# The example's FILES is to be longer than NSIS's longest string.
awk -F'\t' '$1 == "file" { n += length($2) + 2 } END { exit !(n > 1024) }' "$examples/inno-expected.txt" \
  || { echo "the example's FILES is no longer than 1,024 characters"; exit 1; }

rm -rf "$work"
mkdir -p "$work"
"$here/scripts/wine-prefix" "$here/build/run/template-$wine_arch"
cp -a "$here/build/run/template-$wine_arch" "$work/prefix"
source "$here/scripts/wine-env" "" "$work/prefix"
"$WINESERVER" -p </dev/null >/dev/null 2>&1 || true
trap '"$WINESERVER" -k 2>/dev/null || true' EXIT
"$WINELOADER" "$(windows_path "$iscc")" /Q "/DUninstaller=$(windows_path "$UNINSTALL_EXE")" \
  "/O$(windows_path "$work")" "$(windows_path "$examples/example-library.iss")" >/dev/null 2>&1 \
  || { echo "ISCC.exe could not build the example (exit code $?)"; exit 1; }
"$WINELOADER" reg import "$(windows_path "$examples/machine/machine.reg")" >/dev/null 2>&1
cp -a "$examples/machine/drive_c/." "$work/prefix/drive_c/"
# The setup program starts its second stage from a temporary folder and waits
# for it; its log's last line is written when the installation has ended.
setup() {
  "$WINELOADER" "$(windows_path "$work/example-library.exe")" /VERYSILENT /SUPPRESSMSGBOXES /NORESTART \
    "/LOG=$(windows_path "$work/$1")" >/dev/null 2>&1
}
refused() { status=0; setup "$1" || status=$?; [ $status = 1 ] || { echo "$2 (exit code $status)"; exit 1; }; }
setup setup.log || { echo "the installer failed (exit code $?)"; exit 1; }
tail -n 1 "$work/setup.log" | grep -q 'Log closed' || { echo "the installer had not ended when its command returned"; exit 1; }
# A second installation is refused before it raises a counter: QnlCore.bpl
# must end with the other product's counter alone.
refused again.log "a second installation over the first was not refused"
"$here/scripts/run" --no-build --work "$work/run" --prefix "$work/prefix" --record "Quenlar Example Library" \
  --expected "$examples/inno-expected.txt"
# A counter that is not a number stops the installer before it changes anything.
"$WINELOADER" reg add 'HKCU\Software\Quenlar\InstalledFiles' /v 'C:\Program Files\Quenlar\Shared\QnlCore.bpl' /d 1 /f >/dev/null 2>&1
refused unreadable.log "the installer did not refuse a counter that is not a number"
[ ! -e "$work/prefix/drive_c/Program Files/Quenlar/Example Library/Lib" ] || { echo "the refused installer installed files"; exit 1; }
