#!/usr/bin/env bash
# The NSIS example (docs/examples): its installer, built with makensis, is
# installed silently in a Wine prefix of its own, on a machine with Delphi 5
# and another Quenlar product's shared files (docs/examples/machine); the
# shipped program then undoes it from the record's UninstallString, and every
# item must end as docs/examples/expected.txt says.
#   tests/nsis_example_test.sh WORKDIR
# Exit code 77 (skipped), with one line saying why, where makensis is missing
# or this machine cannot run the 32-bit installer.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
work=$1
examples=$here/docs/examples
command -v makensis >/dev/null || { echo "skipped: makensis is missing (scripts/setup installs nsis)"; exit 77; }
source "$here/scripts/wine-env" "" ""
[ "$wine_arch" = i686 ] || { echo "skipped: this machine cannot run 32-bit programs such as the x86-ansi installer"; exit 77; }
windows_path() { echo "Z:${1//\//\\}"; }

rm -rf "$work"
mkdir -p "$work"
makensis -V2 -DUNINSTALLER="$UNINSTALL_EXE" -DOUTFILE="$work/example-library.exe" "$examples/example-library.nsi"
"$here/scripts/wine-prefix" "$here/build/run/template-$wine_arch"
cp -a "$here/build/run/template-$wine_arch" "$work/prefix"
source "$here/scripts/wine-env" "" "$work/prefix"
"$WINESERVER" -p </dev/null >/dev/null 2>&1 || true
trap '"$WINESERVER" -k 2>/dev/null || true' EXIT
"$WINELOADER" reg import "$(windows_path "$examples/machine/machine.reg")" >/dev/null 2>&1
cp -a "$examples/machine/drive_c/." "$work/prefix/drive_c/"
"$WINELOADER" "$(windows_path "$work/example-library.exe")" /S >/dev/null 2>&1 || { echo "the installer failed (exit code $?)"; exit 1; }
"$here/scripts/run" --no-build --work "$work/run" --prefix "$work/prefix" --record "Quenlar Example Library" \
  --expected "$examples/expected.txt"
