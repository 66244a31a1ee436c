#!/usr/bin/env bash
# The main job (scripts/run), by the programs already built, on the sample
# and on installations that an author may bring: per row its exit code and
# last line, a text its output must hold, that no line of it is an error of a
# command that the script runs, and that nothing outside the prefix changed
# (a Linux file that the installation names, the caller's working folder).
#   tests/main_job_test.sh WORKDIR
set -uo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
work=$1
rm -rf "$work"
mkdir -p "$work/caller"
victim=$work/victim.txt
echo "the author's own file" >"$victim"
victim_windows="Z:${victim//\//\\\\}"
uninstall='HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall'
counters='[HKEY_CURRENT_USER\Software\Quenlar\InstalledFiles]'
failed=0

# The root reached through a symbolic link, as a home folder that is a link
# reaches a checkout: the way to the checkout and the work folder of a row.
ln -s / "$work/root"

# An installation folder NAME holding a .reg of the lines given (REGEDIT4 in
# Windows-1252, CR LF) and EXPECTED as its expected.txt when given.
installation() {
  mkdir -p "$work/$1"
  printf '%s\r\n' REGEDIT4 '' "${@:3}" | iconv -f UTF-8 -t CP1252 >"$work/$1/i.reg"
  [ -z "$2" ] || printf '%s\n' "$2" >"$work/$1/expected.txt"
}
installation outside "" "[$uninstall\\Outside]" '"UninstallString"="\"C:\\Q\\u.exe\" Outside"' \
  "\"FILES\"=\"$victim_windows\"" "[$uninstall\\NoProgram]" "$counters" "\"$victim_windows\"=dword:00000001"
# The second file's counter is text: the run fails after the first, so that
# the next run finds how far it got.
installation failing "" "[$uninstall\\Failing]" '"UninstallString"="\"C:\\Q\\u.exe\" Failing"' \
  "\"FILES\"=hex(1):$(printf 'C:\\Q\\a.dll\r\nC:\\Q\\b.dll\0' | od -An -tx1 -v | tr -s ' \n' ',' | sed 's/^,//;s/,$//')" \
  "$counters" '"C:\\Q\\a.dll"=dword:00000001' '"C:\\Q\\b.dll"="1"'
installation spaces "file  C:\\Q\\a.dll  gone" "[$uninstall\\Spaces]" '"UninstallString"="\"C:\\Q\\u.exe\" Spaces"'
installation letters "" "[$uninstall\\Bibliothek [für] Müller]" \
  '"UninstallString"="\"C:\\Bibliothèk Müller\\u.exe\" \"Bibliothek [für] Müller\""' \
  '"FILES"="C:\\Bibliothèk Müller\\a.dll"' "$counters" '"C:\\Bibliothèk Müller\\a.dll"=dword:00000001'
mkdir -p "$work/letters/drive_c/Bibliothèk Müller" && echo x >"$work/letters/drive_c/Bibliothèk Müller/a.dll"
installation unquoted "" "[$uninstall\\Unquoted]" '"UninstallString"="C:\\Program Files\\Q\\u.exe Unquoted"'
# The uninstaller that runs here, a prefix of the other architecture and
# scripts/run's refusal of it.
mkdir -p "$work/other-arch/drive_c"
if [ "${QNL_TEST_ARCH:-$(cat "$here/build/test-arch")}" = i686 ]; then
  program=build/i686/bin/uninstall.exe other=win64
  refusal="64-bit Wine prefix; the run needs a 32-bit one (made with WINEARCH=win32), as the shipped uninstaller is a 32-bit program"
else
  program=build/tests-x86_64/bin/uninstall.exe other=win32
  refusal="32-bit Wine prefix; the run needs a 64-bit one, as this machine cannot run 32-bit programs and runs the uninstaller's 64-bit build"
fi
echo "#arch=$other" >"$work/other-arch/system.reg"

# name | exit code | last line (a pattern) | a text the output holds | the link
# through which the row reaches the checkout and its work folder ("" for
# none) | scripts/run's arguments
rows=(
  "sample|0|Result: every item ended as expected.|exit code  0||$here/docs/sample"
  "sample through a link|0|Result: every item ended as expected.|  (the program file is a copy of $program)|$work/root"
  "outside|0|Result: *|outside the installation: no drive Z:, counter 1 -> outside the installation: no drive Z:, no counter||--record|Outside|$work/outside"
  "other architecture|2|scripts/run: */other-arch is a $refusal|scripts/run||--prefix|$work/other-arch|--record|Other"
  "not started|3|Result: FAILED, the uninstaller did not start (*|start  File not found||--prefix|$work/outside.run/prefix|--record|NoProgram|--program|C:\\nothere.exe"
  "failure box|3|Result: FAILED, the run ended with a failure box (\"Invalid data type for *\"), exit code 1; *|exit code  1||$work/failing"
  "earlier run|3|Result: FAILED, the run ended with a failure box (*|  Earlier run: ||--prefix|$work/failure-box.run/prefix|--record|Failing"
  "spaces in expected.txt|2|scripts/run: the expected report */expected.txt: line 1 is not kind<TAB>item<TAB>state *|scripts/run||$work/spaces"
  "letters and brackets|0|Result: *|a.dll  present, counter 1 -> gone, no counter||$work/letters"
  "unquoted with a space|0|Result: *|  Warning: UninstallString's program path holds a blank||$work/unquoted"
)
for row in "${rows[@]}"; do
  IFS='|' read -r -a fields <<<"$row"
  name=${fields[0]} via=${fields[4]}
  output=$(cd "$work/caller" && "$via$here/scripts/run" --no-build --work "$via$work/${name// /-}.run" "${fields[@]:5}" 2>&1)
  code=$?
  last=$(tail -n 1 <<<"$output")
  # Lines of the script's own are "Installation:", "Running:", "Reports:",
  # "Result:" and "scripts/run:" but for the line of a step that failed;
  # "grep: ...", "wine: ..." or bash's "line N: ..." come from its commands.
  plumbing=$(awk '/^[^ ]+: / && !/^(Installation|Running|Reports|Result): / &&
                  !(/^scripts\/run: / && !/^scripts\/run: line [0-9]+ failed/)' <<<"$output")
  # shellcheck disable=SC2053 # the last line is matched against a pattern
  if [ "$code" != "${fields[1]}" ] || [[ $last != ${fields[2]} ]] || [[ $output != *"${fields[3]}"* ]] ||
     [ -n "$plumbing" ] || [ "$(cat "$victim")" != "the author's own file" ] || [ -n "$(ls -A "$work/caller")" ]; then
    echo "FAILED: $name: exit code $code (expected ${fields[1]}); the output:"
    echo "$output"
    failed=1
  fi
done
# The prefixes kept for rows of their own have their servers ended, and their
# outside drive back.
for kept in outside failure-box; do
  source "$here/scripts/wine-env" "" "$work/$kept.run/prefix"
  "$WINESERVER" -k 2>/dev/null || true
  [ -L "$work/$kept.run/prefix/dosdevices/z:" ] || { echo "FAILED: drive Z: of a prefix of the caller's was not put back ($kept)"; failed=1; }
done
exit $failed
