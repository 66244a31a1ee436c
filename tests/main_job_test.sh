#!/usr/bin/env bash
# The main job (scripts/run), by the programs already built, on the sample
# and on installations that an author may bring: per row its exit code and
# last line, a text its output must hold, that no line of it is an error of a
# command that the script runs, and that nothing outside the prefix changed
# (a Linux file that the installation or an installer names through the Z:
# drive, a \\?\unix\ path, a link laid out below drive_c or the user folders
# that Wine links to the Linux home; the caller's working folder; Wine's menus
# in the home).
#   tests/main_job_test.sh WORKDIR
set -uo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
work=$1
rm -rf "$work"
mkdir -p "$work/caller"
victim=$work/victim.txt
echo "the author's own file" >"$victim"
victim_windows="Z:${victim//\//\\\\}"
# The victim by Wine's \\?\unix\ path, as Windows writes it (doubled in a .reg).
victim_unix='\\?\unix'"${victim//\//\\}"
# Where Wine would link the Desktop: the home, which the run must not touch.
user=$(id -un)
home_victim=$HOME/qnl-main-job-$$.txt
echo "the author's own file" >"$home_victim"
home_unix='\\?\unix'"${home_victim//\//\\}"
trap 'rm -f "$home_victim"' EXIT
menu="$HOME/.local/share/applications/wine/Programs/Test Library.desktop"
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
# Each way out of the prefix, in FILES with counter 1: the user folders, a
# \\?\unix\ path, and a link below drive_c to the folder of the victim.
installation ways-out "" "[$uninstall\\WaysOut]" '"UninstallString"="\"C:\\Q\\u.exe\" WaysOut"' \
  "\"FILES\"=hex(1):$(printf '%s\r\n' "C:\\users\\$user\\Desktop\\${home_victim##*/}" "$victim_unix" 'C:\Q\out\victim.txt' |
                     od -An -tx1 -v | tr -s ' \n' ',' | sed 's/^,//;s/,$//'),00" "$counters" \
  "\"C:\\\\users\\\\$user\\\\Desktop\\\\${home_victim##*/}\"=dword:00000001" "\"${victim_unix//\\/\\\\}\"=dword:00000001" '"C:\\Q\\out\\victim.txt"=dword:00000001'
mkdir -p "$work/ways-out/drive_c/Q" && ln -s "$work" "$work/ways-out/drive_c/Q/out"
# A bwrap that the kernel refuses, as in a container without namespaces.
mkdir -p "$work/refused"
printf '#!/bin/sh\necho "bwrap: No permissions to create new namespace" >&2\nexit 1\n' >"$work/refused/bwrap"
chmod +x "$work/refused/bwrap"
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

# Installers of the architecture that runs here, built with makensis from one
# script whose MODE says what each does: one that installs a file of its own
# and a record of this product's uninstaller, writing files outside the
# prefix on the way (through Z:, \\?\unix\ into the folder of the victim
# and the home, the Desktop, a link of the machine's) and a Start-menu
# entry; one that stops, one that asks with a Yes/No box, one
# whose record starts another program; one that does not end, nor does what
# it started; one whose record is written by a program that it started and
# that outlives it (as a bootstrapper's installer); one that writes
# UninstallString as REG_EXPAND_SZ; and one of the other architecture.
arch=${QNL_TEST_ARCH:-$(cat "$here/build/test-arch")}
uninstaller=$(source "$here/scripts/wine-env" "$arch" "" && echo "$UNINSTALL_EXE")
cat >"$work/installer.nsi" <<'NSIS'
!if ${ARCH} == x86_64
  Target amd64-unicode
!else
  Target x86-ansi
!endif
Name "Test Library"
OutFile "${OUTFILE}"
!define RECORD "Software\Microsoft\Windows\CurrentVersion\Uninstall\Installed"
Section
!if ${MODE} == fails
  Abort
!else if ${MODE} == hangs
  Exec '"$SYSDIR\cmd.exe" /c ping -n 600 127.0.0.1 >nul & rem ${CHILD}'
  Sleep 600000
!endif
!if ${MODE} == bootstraps
  Exec '"$SYSDIR\cmd.exe" /c ping -n 4 127.0.0.1 >nul & reg add "HKLM\${RECORD}" /v UninstallString /d "C:\Q\u.exe Installed" /f & rem ${CHILD}'
  CreateDirectory "C:\Q"
  File "/oname=C:\Q\u.exe" "${UNINSTALLER}"
!else if ${MODE} == asks
  MessageBox MB_YESNO "Install the test library?" IDYES +1
!endif
  !macro write_over path
    FileOpen $0 "${path}" w
    FileWrite $0 "the installer's text"
    FileClose $0
  !macroend
  !insertmacro write_over "${VICTIM}"
  !insertmacro write_over "${VICTIM_UNIX}"
  !insertmacro write_over "$DESKTOP\${HOME_VICTIM}"
  !insertmacro write_over "${HOME_UNIX}"
  !insertmacro write_over "C:\Q\out\victim.txt"
  CreateShortCut "$SMPROGRAMS\Test Library.lnk" "C:\Q\u.exe"
  SetOutPath "C:\Q"
  File "/oname=C:\Q\a.dll" "${UNINSTALLER}"
  WriteRegDWORD HKCU "Software\Quenlar\InstalledFiles" "C:\Q\a.dll" 1
  WriteRegStr HKLM "${RECORD}" "FILES" "C:\Q\a.dll$\r$\n"
!if ${MODE} == bootstraps
!else if ${MODE} == other
  WriteRegStr HKLM "${RECORD}" "UninstallString" '"C:\Q\unins000.exe" Installed'
!else if ${MODE} == expands
  File "/oname=C:\Q\u.exe" "${UNINSTALLER}"
  WriteRegExpandStr HKLM "${RECORD}" "UninstallString" '"C:\Q\u.exe" Installed'
!else
  File "/oname=C:\Q\u.exe" "${UNINSTALLER}"
  WriteRegStr HKLM "${RECORD}" "UninstallString" '"C:\Q\u.exe" Installed'
!endif
SectionEnd
NSIS
if [ "$arch" = i686 ]; then other=x86_64; else other=i686; fi
child="qnl-child-$$"
for mode in installs fails asks other hangs bootstraps expands "other-arch $other"; do
  set -- $mode
  makensis -V1 -DARCH="${2:-$arch}" -DMODE="$1" -DOUTFILE="$work/$1.exe" -DUNINSTALLER="$uninstaller" \
    -DVICTIM="$victim_windows" -DVICTIM_UNIX="$victim_unix" -DHOME_VICTIM="${home_victim##*/}" \
    -DHOME_UNIX="$home_unix" -DCHILD="$child" "$work/installer.nsi" || failed=1
done
# A machine that holds the record of an earlier version of the library,
# which the installer rewrites, a file on the Desktop of its user, and a link
# below drive_c to the folder of the victim, which the installer writes
# through.
mkdir -p "$work/machine/drive_c/users/$user/Desktop" "$work/machine/drive_c/Q"
ln -s "$work" "$work/machine/drive_c/Q/out"
echo "the machine's own file" >"$work/machine/drive_c/users/$user/Desktop/qnl-machine-$$.txt"
printf '%s\r\n' REGEDIT4 '' "[$uninstall\\Installed]" '"UninstallString"="\"C:\\Q\\u.exe\" Installed"' \
  '"DisplayVersion"="0.9"' >"$work/machine/earlier.reg"
printf '%s\n' $'file\tC:\\Q\\a.dll\tgone, no counter' \
  $'contents\tHELP\\delphi5.cnt\tgone (relative: taken in the current folder C:\\)' $'record\tInstalled\tmissing' \
  $'program\tC:\\Q\\u.exe\tgone, no counter' $'batch\tC:\\Q\\$delme.bat\tgone' \
  $'run\tbox 1\tUninstall: Are you sure you want to completely remove the Installed?' $'run\texit code\t0' \
  >"$work/installs.txt"

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
  "ways out of the prefix|0|Result: *|outside the prefix: kept out||$work/ways-out"
  "without the kernel's sandbox|0|Result: every item ended as expected.|the run goes on without the kernel's sandbox, with the prefix's own guards only||$here/docs/sample"
  "strict without the kernel's sandbox|2|scripts/run: the kernel refuses bubblewrap's namespaces here (bwrap: No permissions to create new namespace); --sandbox strict runs nothing without the kernel's sandbox|scripts/run||--sandbox|strict|$here/docs/sample"
  "spaces in expected.txt|2|scripts/run: the expected report */expected.txt: line 1 is not kind<TAB>item<TAB>state *|scripts/run||$work/spaces"
  "letters and brackets|0|Result: *|a.dll  present, counter 1 -> gone, no counter||$work/letters"
  "unquoted with a space|0|Result: *|  Warning: UninstallString's program path holds a blank||$work/unquoted"
  "installer under two versions|0|Result: every cell ended as expected.|win98, code page 932: as expected||--install|$work/installs.exe|--windows|win98,win10|--codepage|932|--expected|$work/installs.txt"
  "installer that fails|5|scripts/run: the installer failed with exit code 2|Installing: ||--install|$work/fails.exe"
  "installer that asks|5|scripts/run: the installer asked for input: it showed \"Test Library Setup: Install the test library?\" (it ran with /S, the silent switches of NSIS)|Installing: ||--install|$work/asks.exe"
  "installer without our record|5|scripts/run: the installer wrote no uninstall record whose UninstallString starts the Quenlar uninstaller (it wrote \"Installed\", which starts *unins000.exe\" Installed)|Installing: ||--install|$work/other.exe"
  "installer past its time limit|5|scripts/run: the installer did not finish within 0.25 minutes; it may be waiting for a person|Installing: ||--install|$work/hangs.exe|--time-limit|0.25"
  "installer that starts another|0|Result: *|Running: C:\\Q\\u.exe Installed||--install|$work/bootstraps.exe"
  "installer writing REG_EXPAND_SZ|0|Result: *|Running: \"C:\\Q\\u.exe\" Installed||--install|$work/expands.exe"
  "installer writing outside the prefix|0|Result: *|  The installer tried to write outside the prefix: ~/${home_victim##*/}; none of it reached this machine||--install|$work/installs.exe"
  "installer rewriting a record|0|Result: *|Running: \"C:\\Q\\u.exe\" Installed||--install|$work/installs.exe|--machine|$work/machine"
  "installer of the other architecture|2|scripts/run: */other-arch.exe is a *-bit program*|scripts/run||--install|$work/other-arch.exe"
)
# The rows whose prefixes later steps use; the prefix of every other row
# goes once the row has passed (one is over a gigabyte where the DLLs of both
# architectures are in it), and the whole work folder once every row has.
reused=" outside failure-box installer-rewriting-a-record "
for row in "${rows[@]}"; do
  IFS='|' read -r -a fields <<<"$row"
  name=${fields[0]} via=${fields[4]}
  path=$PATH
  [[ $name != *"without the kernel's sandbox"* ]] || path=$work/refused:$PATH
  output=$(cd "$work/caller" && PATH=$path "$via$here/scripts/run" --no-build --work "$via$work/${name// /-}.run" "${fields[@]:5}" 2>&1)
  code=$?
  last=$(tail -n 1 <<<"$output")
  # Lines of the run's own are "Installing:", "Installation:", "Running:",
  # "Reports:", "Result:" and "scripts/run:" but for the line of a step that
  # failed ("... failed (exit code N)...") or of a fault of its program;
  # "grep: ...", "wine: ..." or Python's "NameError: ..." come from elsewhere.
  plumbing=$(awk '/^[^ ]+: / && !/^(Installing|Installation|Running|Reports|Result): / &&
                  !(/^scripts\/run: / && !/ failed \(exit code [0-9]+\)|^scripts\/run: the run.s own program failed/)' <<<"$output")
  # shellcheck disable=SC2053 # the last line is matched against a pattern
  if [ "$code" != "${fields[1]}" ] || [[ $last != ${fields[2]} ]] || [[ $output != *"${fields[3]}"* ]] ||
     [ -n "$plumbing" ] || [ "$(cat "$victim" "$home_victim")" != "the author's own file"$'\n'"the author's own file" ] ||
     [ -e "$menu" ] || [ -n "$(ls -A "$work/caller")" ] || pgrep -f "rem $child" >/dev/null; then
    echo "FAILED: $name: exit code $code (expected ${fields[1]}); the output:"
    echo "$output"
    failed=1
  elif [[ $reused != *" ${name// /-} "* ]]; then
    rm -rf "$work/${name// /-}.run/prefix"
  fi
done
# A run on a prefix of the caller's: refused, changing nothing, where an
# outside server serves it; ended while its drives are hidden by Ctrl-C twice
# (the second as it cleans up) or a kill, it leaves them back (after a kill:
# the next run, which ends what the killed one left running). Row: a server
# first or the signals | exit code | a text of the output (and the next's).
ended=$work/outside.run/prefix
ends=(
  "server|2|scripts/run: a Wine program runs in $ended outside the sandbox; end it first (wineserver -k)"
  "INT INT|130|Result: INTERRUPTED"
  "KILL|137|the Wine programs that a run ended by force left running in $ended are ended"
)
source "$here/scripts/wine-env" "" "$ended"
state() { find "$ended" -printf '%p %s %T@ %l\n' | sort; }
end_run() { # exec: the signals reach the run itself
  cd "$work/caller" && exec "$here/scripts/run" --no-build --work "$work/$1" --prefix "$ended" --record NoProgram \
    --program 'C:\nothere.exe' >>"$work/ended.txt" 2>&1
}
for end in "${ends[@]}"; do
  IFS='|' read -r how code text <<<"$end"
  : >"$work/ended.txt"
  [ "$how" != server ] || "$WINESERVER" -p
  before=$(state) && { end_run ended.run & } && run=$!
  until [ "$how" = server ] || [ -e "$ended/qnl-hidden-drives.txt" ] || ! kill -0 "$run" 2>/dev/null; do sleep 0.05; done
  [ "$how" = server ] || for signal in $how; do kill -s "$signal" "$run"; sleep 0.2; done
  wait "$run"
  got=$? after=$(state)
  [ "$how" != server ] || { "$WINESERVER" -k; "$WINESERVER" -w; }
  [ "$how" != KILL ] || (end_run after-kill.run)
  # What is left of the prefix's programs: none once the run has ended (a
  # process that a kill has reached may take a moment to go on a loaded
  # machine).
  # (The processes are listed before the grep starts, which has the prefix
  # in its environment too.)
  for _ in {1..50}; do
    processes=(/proc/[0-9]*/environ)
    left=$(grep -lsz "^WINEPREFIX=$ended\$" "${processes[@]}") || break
    sleep 0.1
  done
  wrong=()
  [ "$got" = "$code" ] || wrong+=("exit code $got (expected $code)")
  grep -qF "$text" "$work/ended.txt" || wrong+=("no \"$text\" in the output")
  [ -L "$ended/dosdevices/z:" ] && [ ! -e "$ended/qnl-hidden-drives.txt" ] || wrong+=("the drives not put back")
  [ -z "$left" ] || wrong+=("left running: $(for f in $left; do tr '\0' ' ' <"${f%environ}cmdline"; echo; done)")
  [ "$how" != server ] || [ "$after" = "$before" ] || wrong+=("the prefix changed")
  if [ ${#wrong[@]} -gt 0 ]; then
    echo "FAILED: a run on a prefix of the caller's ($how): ${wrong[*]}; the output:"
    cat "$work/ended.txt"
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
# The machine's file on its user's Desktop was laid out in the prefix, not in
# the home.
[ -f "$work/installer-rewriting-a-record.run/prefix/drive_c/users/$user/Desktop/qnl-machine-$$.txt" ] &&
  [ ! -e "$HOME/qnl-machine-$$.txt" ] || { echo "FAILED: the machine's Desktop was not laid out in the prefix"; failed=1; }
# No link below drive_c of a prefix leads out of it (those of dosdevices that
# do, the drives and Wine's serial ports, the run hides while its programs
# run): the template, the build's prefix, one that a run kept.
for prefix in "$here/build/run/template-$arch" "$here/build/wineprefix-$arch" "$work/outside.run/prefix"; do
  real_prefix=$(realpath "$prefix")
  while IFS= read -r -d '' link; do
    case $(realpath -m "$link") in "$real_prefix"/*) continue ;; esac
    echo "FAILED: $link leads out of the prefix, to $(readlink "$link")"
    failed=1
  done < <(find "$prefix/drive_c" -type l -print0)
done
[ "$failed" = 1 ] || rm -rf "$work"
exit $failed
