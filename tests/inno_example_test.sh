#!/usr/bin/env bash
# The Inno Setup example (docs/examples/example-library.iss): its installer,
# built with ISCC.exe under Wine, is checked as an author checks one
# (scripts/run --install): installed silently on the machine of the NSIS
# example (Delphi 5 and another Quenlar product's shared files,
# docs/examples/machine), in a prefix of its own under each Windows version
# of the table and both code pages; the shipped program then undoes it from
# the record's UninstallString, and every item, the more than 1,024
# characters of FILES among them, must end as docs/examples/inno-expected.txt
# says under Windows 7, 8 and 10, while Windows XP's cells say in the
# installer's words that it refuses that system. The installer must refuse
# to install over itself and at a counter that is not a number.
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
# A prefix of its own with the machine laid out, its server kept up.
machine() {
  cp -a "$here/build/run/template-$wine_arch" "$work/$1"
  source "$here/scripts/wine-env" "" "$work/$1"
  "$WINESERVER" -p </dev/null >/dev/null 2>&1 || true
  "$WINELOADER" reg import "$(windows_path "$examples/machine/machine.reg")" >/dev/null 2>&1
  cp -a "$examples/machine/drive_c/." "$work/$1/drive_c/"
}
end_servers() {
  local prefix
  for prefix in "$work"/prefix*; do WINEPREFIX=$prefix "$WINESERVER" -k 2>/dev/null || true; done
}
trap end_servers EXIT
machine prefix
"$WINELOADER" "$(windows_path "$iscc")" /Q "/DUninstaller=$(windows_path "$UNINSTALL_EXE")" \
  "/O$(windows_path "$work")" "$(windows_path "$examples/example-library.iss")" >/dev/null 2>&1 \
  || { echo "ISCC.exe could not build the example (exit code $?)"; exit 1; }

status=0
output=$("$here/scripts/run" --no-build --work "$work/run" --install "$work/example-library.exe" \
  --machine "$examples/machine" --expected "$examples/inno-expected.txt" --windows winxp,win7,win8,win10 \
  --codepage 1252,932) || status=$?
echo "$output"
refusal='[1] the installer failed with exit code 1; it said "This program does not support the version of Windows your computer is running."'
[ $status = 1 ] && [ "$(tail -n 1 <<<"$output")" = "Result: NOT every cell ended as expected: 2 did not run, 6 as expected." ] &&
  grep -qxF "$refusal" <<<"$output" && grep -qxF '| winxp   | did not run [1] | did not run [1] |' <<<"$output" ||
  { echo "the table is not that of Windows XP refused and every other cell as expected (exit code $status)"; exit 1; }

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
# keeps the 2 of the other product and the first installation.
refused again.log "a second installation over the first was not refused"
"$WINELOADER" reg query 'HKCU\Software\Quenlar\InstalledFiles' /v 'C:\Program Files\Quenlar\Shared\QnlCore.bpl' 2>/dev/null |
  grep -q 'REG_DWORD *0x2' || { echo "the refused second installation changed QnlCore.bpl's counter"; exit 1; }
# A counter that is not a number stops the installer before it changes anything.
machine prefix-unreadable
"$WINELOADER" reg add 'HKCU\Software\Quenlar\InstalledFiles' /v 'C:\Program Files\Quenlar\Shared\QnlCore.bpl' /d 1 /f >/dev/null 2>&1
refused unreadable.log "the installer did not refuse a counter that is not a number"
[ ! -e "$work/prefix-unreadable/drive_c/Program Files/Quenlar/Example Library/Lib" ] || { echo "the refused installer installed files"; exit 1; }
