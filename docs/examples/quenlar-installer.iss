; What an Inno Setup installer does so that the Quenlar uninstaller can undo
; it: the steps of the installer author's guide (docs/installer-guide.md,
; "An installer built with Inno Setup") as [Code] procedures. Include it into
; your script (#include "quenlar-installer.iss") and call, in this order:
;
;   QuenlarMachineProblem(KeyName)    in InitializeSetup: why not to install
;   QuenlarCreateFolder(Path)         each folder, before its files
;   QuenlarCountCurrentFile           as BeforeInstall: of each [Files] entry
;                                     that the uninstall is to release
;   QuenlarCountFile(Path)            the same for a file written from [Code]
;   QuenlarRegisterProduct(...)       the product registration
;   QuenlarWriteIncludeFile(...)      units\prod.inc
;   QuenlarAddHelpLine(...)           each help line
;   QuenlarWriteRecord(...)           last: the uninstall record
;   QuenlarExitCode                   as the result of GetCustomSetupExitCode
;
; The record, the counters and the product registration are written as the
; uninstaller reads them: the record and the development environments' keys in
; the 32-bit registry view (HKLM32), the lists as one REG_SZ value each, of any
; length, one entry a line, every line ended by CR LF. Text files are written
; and read as bytes in the ANSI code page, never as UTF-8 or UTF-16.
;
; A step that fails raises an exception, which Setup shows and then goes on
; (it does not stop for an exception of a BeforeInstall: or an ssPostInstall
; step). So the first failure is kept: the steps after it change nothing, no
; record is written, and QuenlarExitCode gives Setup's exit code 4.

[Code]
const
  QuenlarCounters = 'Software\Quenlar\InstalledFiles';
  QuenlarProducts = 'Software\Quenlar\InstalledProducts\';
  QuenlarRecords = 'Software\Microsoft\Windows\CurrentVersion\Uninstall\';
  QuenlarLineBreak = #13#10;
  { Setup's own code for "a fatal error occurred during the installation". }
  QuenlarFailedExitCode = 4;

var
  { The record's lists, one entry a line, each line ended by CR LF. }
  QuenlarFiles, QuenlarFolders, QuenlarHelps: String;
  { The first step that failed; empty while none has. }
  QuenlarFailure: String;

{ Keeps the first failure and raises it. }
procedure QuenlarFail(const Text: String);
begin
  if QuenlarFailure = '' then
    QuenlarFailure := Text;
  RaiseException(Text);
end;

{ True once a step has failed: the steps after it change nothing. }
function QuenlarFailed: Boolean;
begin
  Result := QuenlarFailure <> '';
end;

{ For GetCustomSetupExitCode: 0 when every step did its work, else 4. }
function QuenlarExitCode: Integer;
begin
  Result := 0;
  if QuenlarFailed then
    Result := QuenlarFailedExitCode;
end;

{ Why not to install, before anything changes; empty when nothing stands in
  the way. The record KeyName is there already (a second installation over
  it would raise the counters twice, and one uninstall would release them
  once), or a shared-use counter is not a REG_DWORD (the uninstaller would
  stop at it). }
function QuenlarMachineProblem(const KeyName: String): String;
var
  Names: TArrayOfString;
  Count: Cardinal;
  I: Integer;
begin
  Result := '';
  if RegValueExists(HKLM32, QuenlarRecords + KeyName, 'UninstallString') then
    Result := KeyName + ' is installed already; remove it first.'
  else if RegGetValueNames(HKCU, QuenlarCounters, Names) then
    for I := 0 to GetArrayLength(Names) - 1 do
      if (Result = '') and not RegQueryDWordValue(HKCU, QuenlarCounters, Names[I], Count) then
        Result := 'The shared-use counter of ' + Names[I] + ' is not a REG_DWORD.';
end;

{ The help contents file of the development environment DelphiVer ("D2",
  "C1", "D3", "C3", "D4", "C4" or "D5", letter case aside; any other text
  means Delphi 5, as it does to the uninstaller), from its RootDir; empty
  when the environment is not installed. }
function QuenlarContentsFile(const DelphiVer: String): String;
var
  Key, Name, RootDir: String;
begin
  case Uppercase(DelphiVer) of
    'D2': begin Key := 'Delphi\2.0'; Name := 'delphi.cnt'; end;
    'C1': begin Key := 'C++Builder\1.0'; Name := 'bcb.cnt'; end;
    'D3': begin Key := 'Delphi\3.0'; Name := 'delphi3.cnt'; end;
    'C3': begin Key := 'C++Builder\3.0'; Name := 'bcb3.cnt'; end;
    'D4': begin Key := 'Delphi\4.0'; Name := 'delphi4.cnt'; end;
    'C4': begin Key := 'C++Builder\4.0'; Name := 'bcb4.cnt'; end;
  else
    begin Key := 'Delphi\5.0'; Name := 'delphi5.cnt'; end;
  end;
  Result := '';
  if RegQueryStringValue(HKLM32, 'Software\Borland\' + Key, 'RootDir', RootDir) and (RootDir <> '') then
    Result := AddBackslash(RootDir) + 'HELP\' + Name;
end;

{ Creates the folder Path (a full path from a drive letter, "C:\...") one
  level at a time, parents first, and lists each level it creates in
  FOLDERS. A level that is there already belongs to someone else and is not
  listed. ([Dirs] and [Files] create missing parents without a word, so call
  this before them for every folder.) }
procedure QuenlarCreateFolder(const Path: String);
var
  I: Integer;
  Level: String;
begin
  if QuenlarFailed then
    Exit;
  for I := 3 to Length(Path) do
    if (Path[I] <> '\') and ((I = Length(Path)) or (Copy(Path, I + 1, 1) = '\')) then
    begin
      Level := Copy(Path, 1, I);
      if not DirExists(Level) then
      begin
        if not CreateDir(Level) then
          QuenlarFail('Cannot create the folder ' + Level + '.');
        QuenlarFolders := QuenlarFolders + Level + QuenlarLineBreak;
      end;
    end;
end;

{ Before the file Path is written: a counter that is there goes up by one; a
  new file gets the counter 1; a file that is there without counter is not
  this installation's and gets none (with 1, the uninstall would delete it).
  The file goes into FILES in every case. }
procedure QuenlarCountFile(const Path: String);
var
  Count: Cardinal;
  Counted: Boolean;
begin
  if QuenlarFailed then
    Exit;
  Counted := True;
  if RegValueExists(HKCU, QuenlarCounters, Path) then
  begin
    if not RegQueryDWordValue(HKCU, QuenlarCounters, Path, Count) then
      QuenlarFail('The shared-use counter of ' + Path + ' is not a REG_DWORD.');
    Count := Count + 1;
  end
  else if FileExists(Path) then
    Counted := False
  else
    Count := 1;
  if Counted and not RegWriteDWordValue(HKCU, QuenlarCounters, Path, Count) then
    QuenlarFail('Cannot write the shared-use counter of ' + Path + '.');
  QuenlarFiles := QuenlarFiles + Path + QuenlarLineBreak;
end;

{ BeforeInstall: of a [Files] entry: counts the file that the entry is about
  to write. }
procedure QuenlarCountCurrentFile;
begin
  QuenlarCountFile(ExpandConstant(CurrentFileName));
end;

{ The pieces of Text between the semicolons, as the uninstaller splits
  SUBPRODUCTNAME. }
function QuenlarSplit(const Text: String): TArrayOfString;
var
  Rest: String;
  At, Count: Integer;
begin
  Rest := Text;
  Count := 0;
  while Rest <> '' do
  begin
    At := Pos(';', Rest);
    if At = 0 then
      At := Length(Rest) + 1;
    SetArrayLength(Result, Count + 1);
    Result[Count] := Copy(Rest, 1, At - 1);
    Count := Count + 1;
    Rest := Copy(Rest, At + 1, Length(Rest));
  end;
end;

procedure QuenlarWriteValue(const Root: Integer; const Key, Name, Value: String);
begin
  if not RegWriteStringValue(Root, Key, Name, Value) then
    QuenlarFail('Cannot write the value ' + Name + ' of ' + Key + '.');
end;

{ The product registration: Version, FolderName and one value per
  sub-product of SubProducts ("Grid;Data Grid", as in SUBPRODUCTNAME). }
procedure QuenlarRegisterProduct(const Product, Version, Folder, SubProducts: String);
var
  Names: TArrayOfString;
  I: Integer;
begin
  if QuenlarFailed then
    Exit;
  QuenlarWriteValue(HKCU, QuenlarProducts + Product, 'Version', Version);
  QuenlarWriteValue(HKCU, QuenlarProducts + Product, 'FolderName', Folder);
  Names := QuenlarSplit(SubProducts);
  for I := 0 to GetArrayLength(Names) - 1 do
    QuenlarWriteValue(HKCU, QuenlarProducts + Product, Names[I], '1');
end;

{ Writes Folder\units\prod.inc anew as ANSI text: the line Heading, one
  define line per symbol of Symbols, on when the registration of Product
  holds the sub-product of the same place in SubProducts (this
  installation's and those of other installations), and the stop line.
  SubProducts and Symbols have the same length. }
procedure QuenlarWriteIncludeFile(const Product, Folder, Heading: String;
  const SubProducts, Symbols: TArrayOfString);
var
  Text: AnsiString;
  I: Integer;
begin
  if QuenlarFailed then
    Exit;
  Text := Heading + QuenlarLineBreak;
  for I := 0 to GetArrayLength(Symbols) - 1 do
  begin
    if not RegValueExists(HKCU, QuenlarProducts + Product, SubProducts[I]) then
      Text := Text + '//';
    Text := Text + '  {$DEFINE ' + Symbols[I] + '}' + QuenlarLineBreak;
  end;
  Text := Text + '{$I vx.inc}' + QuenlarLineBreak;
  if not SaveStringToFile(AddBackslash(Folder) + 'units\prod.inc', Text, False) then
    QuenlarFail('Cannot write ' + AddBackslash(Folder) + 'units\prod.inc.');
end;

{ The target of a contents line: the text after its first "=", or nothing
  when it has none. }
function QuenlarTargetOf(const Line: String): String;
var
  At: Integer;
begin
  At := Pos('=', Line);
  if At = 0 then
    Result := ''
  else
    Result := Copy(Line, At + 1, Length(Line));
end;

{ True when a line of the contents text Text has the target Target (letter
  case aside, as the uninstaller compares). CR LF, CR and LF end a line. }
function QuenlarHasTarget(const Text, Target: String): Boolean;
var
  I, Start: Integer;
begin
  Result := False;
  Start := 1;
  for I := 1 to Length(Text) + 1 do
    if (I > Length(Text)) or (Text[I] = #13) or (Text[I] = #10) then
    begin
      if AnsiLowercase(QuenlarTargetOf(Copy(Text, Start, I - Start))) = AnsiLowercase(Target) then
        Result := True;
      Start := I + 1;
    end;
end;

{ Adds the line Line to the contents file ContentsFile unless a line there
  has the target Target already (that line is another's), and then lists
  Target in INSTALLEDHELPS. The file gets a line break at its end first if
  it has none, so that the new line is a line of its own. Nothing happens
  when there is no contents file. }
procedure QuenlarAddHelpLine(const ContentsFile, Line, Target: String);
var
  Bytes, Added: AnsiString;
  Text: String;
begin
  if QuenlarFailed or (ContentsFile = '') or not FileExists(ContentsFile) then
    Exit;
  if not LoadStringFromFile(ContentsFile, Bytes) then
    QuenlarFail('Cannot read ' + ContentsFile + '.');
  Text := Bytes;
  if QuenlarHasTarget(Text, Target) then
    Exit;
  Added := '';
  if (Length(Bytes) > 0) and (Bytes[Length(Bytes)] <> #10) and (Bytes[Length(Bytes)] <> #13) then
    Added := QuenlarLineBreak;
  Added := Added + Line + QuenlarLineBreak;
  if not SaveStringToFile(ContentsFile, Added, True) then
    QuenlarFail('Cannot write ' + ContentsFile + '.');
  QuenlarHelps := QuenlarHelps + Target + QuenlarLineBreak;
end;

{ The uninstall record KeyName, written last, when everything it names is in
  place; its UninstallString starts ProgramFile, the Quenlar uninstaller,
  and its QuietUninstallString the same quietly (/S).
  After a failed step no record is written: its lists would be incomplete. }
procedure QuenlarWriteRecord(const KeyName, ProgramFile, DelphiVer, Product, SubProducts: String);
var
  Key: String;
begin
  if QuenlarFailed then
    RaiseException('No uninstall record was written, for: ' + QuenlarFailure);
  Key := QuenlarRecords + KeyName;
  QuenlarWriteValue(HKLM32, Key, 'FILES', QuenlarFiles);
  QuenlarWriteValue(HKLM32, Key, 'FOLDERS', QuenlarFolders);
  QuenlarWriteValue(HKLM32, Key, 'INSTALLEDHELPS', QuenlarHelps);
  QuenlarWriteValue(HKLM32, Key, 'DELPHIVER', DelphiVer);
  QuenlarWriteValue(HKLM32, Key, 'PRODUCTNAME', Product);
  QuenlarWriteValue(HKLM32, Key, 'SUBPRODUCTNAME', SubProducts);
  { Last, so that "Add/Remove Programs" lists only a complete record. }
  QuenlarWriteValue(HKLM32, Key, 'DisplayName', KeyName);
  QuenlarWriteValue(HKLM32, Key, 'UninstallString', '"' + ProgramFile + '" "' + KeyName + '"');
  { What winget, Windows' settings and the deployment tools start: no window, an exit code. }
  QuenlarWriteValue(HKLM32, Key, 'QuietUninstallString', '"' + ProgramFile + '" "' + KeyName + '" /S');
end;
