#!/usr/bin/env bash
# Runs one Wine test program in a Wine prefix of its own, for the tests that
# change what the whole prefix sees: the Windows version that Wine reports,
# or the ANSI code page, which Wine takes from the Unix locale (ja_JP.UTF-8
# gives code page 932).
#   tests/own_prefix.sh PREFIX VERSION LOCALE PROGRAM [ARGUMENTS...]
# PREFIX is made once as a copy of the build's prefix template; VERSION is a
# name that winecfg -v takes (win95, win98, nt40, win2k, winxp, win10). The
# prefix's wineserver is ended when the program has run.
# Exit code 77 (skipped), with one line saying why, where 32-bit programs
# cannot run or the locale is missing.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
prefix=$(realpath -m "$1") version=$2 locale=$3
shift 3
source "$here/scripts/wine-env" "" ""
[ "$wine_arch" = i686 ] || { echo "skipped: this machine cannot run the 32-bit shipped program"; exit 77; }
locale -a | grep -qix "${locale%.*}.utf8" || { echo "skipped: the locale $locale is missing (scripts/setup makes it)"; exit 77; }

template=$here/build/run/template-$wine_arch
mkdir -p "$(dirname "$template")"
"$here/scripts/wine-prefix" "$template"
if [ ! -f "$prefix/.ready" ]; then
  rm -rf "$prefix"
  mkdir -p "$(dirname "$prefix")"
  cp -a "$template" "$prefix"
fi
source "$here/scripts/wine-env" "" "$prefix"
export LC_ALL=$locale
"$WINESERVER" -p </dev/null >/dev/null 2>&1 || true
trap '"$WINESERVER" -k 2>/dev/null || true' EXIT
"$WINELOADER" winecfg -v "$version" </dev/null >/dev/null 2>&1
"$WINELOADER" "$@"
