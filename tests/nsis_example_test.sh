#!/usr/bin/env bash
# The NSIS example (docs/examples): its installer, built with makensis, is
# checked as an author checks one (scripts/run --install): installed silently
# on a machine with Delphi 5 and another Quenlar product's shared files
# (docs/examples/machine), in a prefix of its own under each of three Windows
# versions and both code pages; the shipped program then undoes it from the
# record's UninstallString, and every item must end as
# docs/examples/expected.txt says in every cell of the table.
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

rm -rf "$work"
mkdir -p "$work"
makensis -V2 -DUNINSTALLER="$UNINSTALL_EXE" -DOUTFILE="$work/example-library.exe" "$examples/example-library.nsi"
"$here/scripts/run" --no-build --work "$work/run" --install "$work/example-library.exe" --machine "$examples/machine" \
  --expected "$examples/expected.txt" --windows win98,winxp,win10 --codepage 1252,932
