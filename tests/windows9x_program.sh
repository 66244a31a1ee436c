#!/usr/bin/env bash
# Makes a copy of the shipped program as Windows 9x runs it: there
# CreateSemaphoreW, which the C++ run-time's locks import, is a stub that
# fails; in the copy the import names GetFileTime instead, which fails the
# same way (a null result) for the arguments the locks pass (no handle).
#   tests/windows9x_program.sh PROGRAM COPY
# Exit code 77 (skipped) where 32-bit programs cannot run.
set -euo pipefail
source "$(dirname "$0")/../scripts/wine-env" "" ""
[ "$wine_arch" = i686 ] || { echo "skipped: this machine cannot run the 32-bit shipped program"; exit 77; }
perl -0777 -pe 's/CreateSemaphoreW\0/GetFileTime\0\0\0\0\0\0/' "$1" > "$2"
[[ $(i686-w64-mingw32-objdump -p "$2") == *GetFileTime* ]] || { echo "$1 imports no CreateSemaphoreW to replace" >&2; exit 1; }
