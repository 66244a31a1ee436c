; The installer of the Quenlar Example Library for Delphi 5, an NSIS script
; (x86-ansi) written by following the installer author's guide
; (docs/installer-guide.md), whose section "An installer built with NSIS"
; walks through it.
;
;   makensis [-DUNINSTALLER=PATH] [-DOUTFILE=PATH] example-library.nsi
;
; UNINSTALLER is the Quenlar uninstaller to ship (default: uninstall.exe
; beside this script), OUTFILE the installer to build. The installer needs
; Delphi 5; it runs with its pages or silently (/S).
;
; It installs the product's files and two shared files with their shared-use
; counters, registers the sub-products Grid and Data Grid, writes the include
; file units\prod.inc, adds the product's help line to Delphi 5's contents
; file, and writes the uninstall record last, whose UninstallString starts the
; Quenlar uninstaller. Nothing is left behind by the uninstall but the empty
; product folder and what other installations still use.

; ANSI: the include file and the contents file are written as ANSI text, and
; the registry as the uninstaller reads it. A 32-bit installer writes the
; 32-bit registry view, which the uninstaller reads (no SetRegView 64).
Unicode false
Name "Quenlar Example Library"
!ifndef OUTFILE
  !define OUTFILE "example-library.exe"
!endif
OutFile "${OUTFILE}"
!ifndef UNINSTALLER
  !define UNINSTALLER "uninstall.exe"
!endif
InstallDir "$PROGRAMFILES\Quenlar\Example Library"
RequestExecutionLevel admin
Page directory
Page instfiles

!include LogicLib.nsh

!define KEYNAME "Quenlar Example Library"
!define RECORD "Software\Microsoft\Windows\CurrentVersion\Uninstall\${KEYNAME}"
!define COUNTERS "Software\Quenlar\InstalledFiles"
!define PRODUCT "Example Library"
!define REGISTRATION "Software\Quenlar\InstalledProducts\${PRODUCT}"
!define SHARED "$PROGRAMFILES\Quenlar\Shared"
; NSIS cuts every string at this many characters without a word.
!define /math LONGEST ${NSIS_MAX_STRLEN} - 1

; The record's lists, one entry a line, each line ended by CR LF.
Var Files
Var Folders
Var Helps

; Installs SOURCE as TARGET (a full path), counted (CountFile).
!macro InstallFile SOURCE TARGET
  StrCpy $0 "${TARGET}"
  Call CountFile
  File "/oname=${TARGET}" "${SOURCE}"
!macroend

; The define line of SYMBOL in the include file $1, on when the registration
; holds SUBPRODUCT.
!macro DefineLine SUBPRODUCT SYMBOL
  ClearErrors
  ReadRegStr $2 HKCU "${REGISTRATION}" "${SUBPRODUCT}"
  ${If} ${Errors}
    FileWrite $1 "//  {$$DEFINE ${SYMBOL}}$\r$\n"
  ${Else}
    FileWrite $1 "  {$$DEFINE ${SYMBOL}}$\r$\n"
  ${EndIf}
!macroend

; A list as long as NSIS's longest string may have lost its end: the
; installation stops before the record is written.
!macro CheckList LIST NAME
  StrLen $0 "${LIST}"
  ${If} $0 >= ${LONGEST}
    MessageBox MB_ICONSTOP "The list ${NAME} is too long for this installer." /SD IDOK
    Abort
  ${EndIf}
!macroend

Section
  Call CheckMachine

  ; Every folder level that is not there yet, each listed in FOLDERS.
  StrCpy $0 "$INSTDIR\Lib"
  Call CreateFolder
  StrCpy $0 "$INSTDIR\Help"
  Call CreateFolder
  StrCpy $0 "$INSTDIR\units"
  Call CreateFolder
  StrCpy $0 "${SHARED}"
  Call CreateFolder

  !insertmacro InstallFile "files\Grid.dcu" "$INSTDIR\Lib\Grid.dcu"
  !insertmacro InstallFile "files\DataGrid.dcu" "$INSTDIR\Lib\DataGrid.dcu"
  !insertmacro InstallFile "files\qexample.hlp" "$INSTDIR\Help\qexample.hlp"
  !insertmacro InstallFile "files\QnlCore.bpl" "${SHARED}\QnlCore.bpl"
  !insertmacro InstallFile "files\QnlTools.dll" "${SHARED}\QnlTools.dll"

  ; The Quenlar uninstaller, in place of an NSIS uninstaller: one for this
  ; installation, without counter and not in FILES, so that it removes
  ; itself at the end of the uninstall.
  SetOutPath "$INSTDIR"
  File "/oname=uninstall.exe" "${UNINSTALLER}"

  ; The product registration: this installation's sub-products.
  WriteRegStr HKCU "${REGISTRATION}" "Version" "1.0"
  WriteRegStr HKCU "${REGISTRATION}" "FolderName" "$INSTDIR"
  WriteRegStr HKCU "${REGISTRATION}" "Grid" "1"
  WriteRegStr HKCU "${REGISTRATION}" "Data Grid" "1"

  ; The include file is counted once for this installation of the product
  ; and listed in FILES, so that the last uninstall of the product removes it.
  StrCpy $0 "$INSTDIR\units\prod.inc"
  Call CountFile
  Call WriteIncludeFile

  ; Help lines: the product's own, and that of the shared package's help,
  ; which the machine may have already (then it is not this installation's).
  ReadRegStr $R2 HKLM "Software\Borland\Delphi\5.0" "RootDir"
  StrCpy $R2 "$R2\HELP\delphi5.cnt"
  StrCpy $R0 ":Index Quenlar Example Library=qexample.hlp"
  StrCpy $R1 "qexample.hlp"
  Call AddHelpLine
  StrCpy $R0 ":Index Quenlar Core=qnlcore.hlp"
  StrCpy $R1 "qnlcore.hlp"
  Call AddHelpLine

  ; The record, last, when everything it names is in place.
  !insertmacro CheckList $Files FILES
  !insertmacro CheckList $Folders FOLDERS
  !insertmacro CheckList $Helps INSTALLEDHELPS
  ; A record left by an uninstall that failed goes first, so that no value of
  ; the earlier installation stays in it. (The uninstaller's marks of how far
  ; it got lie elsewhere and count only for the installation that wrote them.)
  DeleteRegKey HKLM "${RECORD}"
  WriteRegStr HKLM "${RECORD}" "DisplayName" "${KEYNAME}"
  WriteRegStr HKLM "${RECORD}" "UninstallString" '"$INSTDIR\uninstall.exe" "${KEYNAME}"'
  ; What winget, Windows' settings and the deployment tools start: no window, an exit code.
  WriteRegStr HKLM "${RECORD}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" "${KEYNAME}" /S'
  WriteRegStr HKLM "${RECORD}" "FILES" "$Files"
  WriteRegStr HKLM "${RECORD}" "FOLDERS" "$Folders"
  WriteRegStr HKLM "${RECORD}" "INSTALLEDHELPS" "$Helps"
  WriteRegStr HKLM "${RECORD}" "DELPHIVER" "D5"
  WriteRegStr HKLM "${RECORD}" "PRODUCTNAME" "${PRODUCT}"
  WriteRegStr HKLM "${RECORD}" "SUBPRODUCTNAME" "Grid;Data Grid"
SectionEnd

; Stops before anything is installed: without Delphi 5, and over an
; installation that is there already (its counters would be raised twice).
Function CheckMachine
  ReadRegStr $0 HKLM "Software\Borland\Delphi\5.0" "RootDir"
  ${If} $0 == ""
    MessageBox MB_ICONSTOP "Delphi 5 is not installed." /SD IDOK
    Abort
  ${EndIf}
  ReadRegStr $0 HKLM "${RECORD}" "UninstallString"
  ${If} $0 != ""
    MessageBox MB_ICONSTOP "${KEYNAME} is installed already; remove it first." /SD IDOK
    Abort
  ${EndIf}
FunctionEnd

; Creates the folder $0 one level at a time, parents first, and adds each
; level it creates to FOLDERS. A level that is there already belongs to
; someone else. (SetOutPath and CreateDirectory create missing parents
; without a word, so they are not used for a folder that is not there yet.)
Function CreateFolder
  StrLen $2 $0
  StrCpy $1 2  ; "C:\" is the first level that is never created
  ${Do}
    IntOp $1 $1 + 1
    StrCpy $3 $0 1 $1
    ${If} $3 == "\"
    ${OrIf} $1 >= $2
      StrCpy $4 $0 $1
      ${IfNot} ${FileExists} "$4\*.*"
        CreateDirectory "$4"
        StrCpy $Folders "$Folders$4$\r$\n"
      ${EndIf}
    ${EndIf}
  ${LoopUntil} $1 >= $2
FunctionEnd

; Before the file $0 is written: a counter that is there goes up by one; a
; new file gets the counter 1; a file that is there without counter is not
; this installation's and gets none (with 1, the uninstall would delete it).
; The file goes into FILES in every case.
Function CountFile
  ClearErrors
  ReadRegDWORD $1 HKCU "${COUNTERS}" "$0"
  ${IfNot} ${Errors}
    IntOp $1 $1 + 1
    WriteRegDWORD HKCU "${COUNTERS}" "$0" $1
  ${ElseIfNot} ${FileExists} "$0"
    WriteRegDWORD HKCU "${COUNTERS}" "$0" 1
  ${EndIf}
  StrCpy $Files "$Files$0$\r$\n"
FunctionEnd

; units\prod.inc anew: one define line for each of the product's
; sub-products, on when the registration holds it (this installation's and
; those of other installations of the product), off otherwise.
Function WriteIncludeFile
  FileOpen $1 "$INSTDIR\units\prod.inc" w
  FileWrite $1 "// Sub-products switched on$\r$\n"
  !insertmacro DefineLine "Grid" "Grid"
  !insertmacro DefineLine "Data Grid" "DataGrid"
  !insertmacro DefineLine "Charts" "Charts"
  FileWrite $1 "{$$I vx.inc}$\r$\n"
  FileClose $1
FunctionEnd

; Adds the line $R0 to the contents file $R2 unless a line there has the
; target $R1 (the text after its first "="; letter case aside) already, and
; then lists $R1 in INSTALLEDHELPS. The file gets a line break at its end
; first if it has none, so that the new line is a line of its own.
Function AddHelpLine
  IfFileExists "$R2" 0 done
  FileOpen $1 "$R2" r
  ${Do}
    ClearErrors
    FileRead $1 $2
    ${If} ${Errors}
      ${ExitDo}
    ${EndIf}
    Call TargetOfLine
    ${If} $2 == $R1
      FileClose $1
      Goto done
    ${EndIf}
  ${Loop}
  FileClose $1
  FileOpen $1 "$R2" a
  FileSeek $1 0 END $2
  ${If} $2 > 0
    FileSeek $1 -1 END
    FileReadByte $1 $3
    FileSeek $1 0 END
    ${If} $3 != 10
    ${AndIf} $3 != 13
      FileWrite $1 "$\r$\n"
    ${EndIf}
  ${EndIf}
  FileWrite $1 "$R0$\r$\n"
  FileClose $1
  StrCpy $Helps "$Helps$R1$\r$\n"
done:
FunctionEnd

; The target of the contents line $2 (without its line break), in $2: the
; text after the first "=", or nothing when it has none.
Function TargetOfLine
  StrCpy $3 0
  ${Do}
    StrCpy $4 $2 1 $3
    IntOp $3 $3 + 1
    ${If} $4 == ""
      StrCpy $2 ""
      Return
    ${EndIf}
  ${LoopUntil} $4 == "="
  StrCpy $2 $2 "" $3
  ${Do}
    StrCpy $4 $2 1 -1
    ${If} $4 != "$\r"
    ${AndIf} $4 != "$\n"
      ${ExitDo}
    ${EndIf}
    StrCpy $2 $2 -1
  ${Loop}
FunctionEnd

