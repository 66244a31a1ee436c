; The installer of the Quenlar Example Library for Delphi 5, an Inno Setup 6
; script written by following the installer author's guide
; (docs/installer-guide.md), whose section "An installer built with Inno
; Setup" walks through it. The same product as example-library.nsi, with its
; units' sources too, so that FILES is longer than 1,024 characters.
;
;   ISCC.exe [/DUninstaller=PATH] [/OFOLDER] [/FNAME] example-library.iss
;
; Uninstaller is the Quenlar uninstaller to ship (default: uninstall.exe
; beside this script). The installer needs Delphi 5 and administrator rights;
; it runs with its pages or silently (/VERYSILENT /SUPPRESSMSGBOXES).
;
; Inno Setup's own uninstaller is switched off: the record, written last,
; starts the Quenlar uninstaller, which undoes everything but the empty
; product folder and what other installations still use.

#ifndef Uninstaller
  #define Uninstaller "uninstall.exe"
#endif
#define KeyName "Quenlar Example Library"
#define Product "Example Library"

[Setup]
AppName={#KeyName}
AppVersion=1.0
; 32-bit install mode (no ArchitecturesInstallIn64BitMode): the 32-bit
; Program Files and registry view, which the uninstaller reads.
DefaultDirName={commonpf32}\Quenlar\{#Product}
PrivilegesRequired=admin
; No Inno Setup uninstaller and no uninstall key of its own.
Uninstallable=no
DisableProgramGroupPage=yes
DisableReadyPage=yes
OutputBaseFilename=example-library

[Files]
; Every file but the uninstaller is counted before it is written
; (QuenlarCountCurrentFile) and so listed in FILES. No sharedfile,
; uninsneveruninstall, regserver or restartreplace flag.
Source: "files\Grid.dcu"; DestDir: "{app}\Lib"; BeforeInstall: QuenlarCountCurrentFile
Source: "files\GridCells.dcu"; DestDir: "{app}\Lib"; BeforeInstall: QuenlarCountCurrentFile
Source: "files\GridColumns.dcu"; DestDir: "{app}\Lib"; BeforeInstall: QuenlarCountCurrentFile
Source: "files\GridReg.dcu"; DestDir: "{app}\Lib"; BeforeInstall: QuenlarCountCurrentFile
Source: "files\DataGrid.dcu"; DestDir: "{app}\Lib"; BeforeInstall: QuenlarCountCurrentFile
Source: "files\DataGridLink.dcu"; DestDir: "{app}\Lib"; BeforeInstall: QuenlarCountCurrentFile
Source: "files\DataGridReg.dcu"; DestDir: "{app}\Lib"; BeforeInstall: QuenlarCountCurrentFile
Source: "files\Source\Grid.pas"; DestDir: "{app}\Source"; BeforeInstall: QuenlarCountCurrentFile
Source: "files\Source\GridCells.pas"; DestDir: "{app}\Source"; BeforeInstall: QuenlarCountCurrentFile
Source: "files\Source\GridColumns.pas"; DestDir: "{app}\Source"; BeforeInstall: QuenlarCountCurrentFile
Source: "files\Source\GridReg.pas"; DestDir: "{app}\Source"; BeforeInstall: QuenlarCountCurrentFile
Source: "files\Source\DataGrid.pas"; DestDir: "{app}\Source"; BeforeInstall: QuenlarCountCurrentFile
Source: "files\Source\DataGridLink.pas"; DestDir: "{app}\Source"; BeforeInstall: QuenlarCountCurrentFile
Source: "files\Source\DataGridReg.pas"; DestDir: "{app}\Source"; BeforeInstall: QuenlarCountCurrentFile
Source: "files\qexample.hlp"; DestDir: "{app}\Help"; BeforeInstall: QuenlarCountCurrentFile
Source: "files\QnlCore.bpl"; DestDir: "{commonpf32}\Quenlar\Shared"; BeforeInstall: QuenlarCountCurrentFile
Source: "files\QnlTools.dll"; DestDir: "{commonpf32}\Quenlar\Shared"; BeforeInstall: QuenlarCountCurrentFile
; The Quenlar uninstaller: one for this installation, without counter and not
; in FILES, so that it removes itself at the end of the uninstall.
Source: "{#Uninstaller}"; DestDir: "{app}"; DestName: "uninstall.exe"

#include "quenlar-installer.iss"

{ Stops before anything is installed: without Delphi 5, over an
  installation that is there already, and at a counter that is not a
  number. }
function InitializeSetup: Boolean;
var
  Problem: String;
begin
  Problem := QuenlarMachineProblem('{#KeyName}');
  if QuenlarContentsFile('D5') = '' then
    Problem := 'Delphi 5 is not installed.';
  if Problem <> '' then
    SuppressibleMsgBox(Problem, mbCriticalError, MB_OK, IDOK);
  Result := Problem = '';
end;

{ 4 when a step failed and no record was written. }
function GetCustomSetupExitCode: Integer;
begin
  Result := QuenlarExitCode;
end;

procedure CurStepChanged(CurStep: TSetupStep);
var
  SubProducts, Symbols: TArrayOfString;
  App: String;
begin
  App := ExpandConstant('{app}');
  if CurStep = ssInstall then
  begin
    { Every folder level that is not there yet, before [Files] writes into
      it. }
    QuenlarCreateFolder(App + '\Lib');
    QuenlarCreateFolder(App + '\Source');
    QuenlarCreateFolder(App + '\Help');
    QuenlarCreateFolder(App + '\units');
    QuenlarCreateFolder(ExpandConstant('{commonpf32}\Quenlar\Shared'));
  end
  else if CurStep = ssPostInstall then
  begin
    QuenlarRegisterProduct('{#Product}', '1.0', App, 'Grid;Data Grid');
    { The include file is counted once for this installation of the product
      and listed in FILES, so that the last uninstall of the product removes
      it. }
    QuenlarCountFile(App + '\units\prod.inc');
    SubProducts := ['Grid', 'Data Grid', 'Charts'];
    Symbols := ['Grid', 'DataGrid', 'Charts'];
    QuenlarWriteIncludeFile('{#Product}', App, '// Sub-products switched on', SubProducts, Symbols);
    { The product's help line, and that of the shared package's help, which
      the machine may have already (then it is not this installation's). }
    QuenlarAddHelpLine(QuenlarContentsFile('D5'), ':Index Quenlar Example Library=qexample.hlp', 'qexample.hlp');
    QuenlarAddHelpLine(QuenlarContentsFile('D5'), ':Index Quenlar Core=qnlcore.hlp', 'qnlcore.hlp');
    QuenlarWriteRecord('{#KeyName}', App + '\uninstall.exe', 'D5', '{#Product}', 'Grid;Data Grid');
  end;
end;
