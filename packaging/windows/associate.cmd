@echo off
rem Opens Delphi projects (.dpr), units (.pas), forms (.dfm) and compiled units
rem (.dcu) with the Pivora.exe beside this file, for the current user only:
rem the file types go under HKCU\Software\Classes, which needs no
rem administrator. unassociate.cmd takes them away again.
rem
rem This file stays ASCII: cmd reads a batch file in the console's code page.
rem Pivora's path is only ever used quoted, or as a FOR variable, which cmd
rem expands after it has looked for its special characters: a folder named
rem with blanks, "&", "(", ")", "^" or "!" is taken as it is.
setlocal DisableDelayedExpansion
set "EXE=%~dp0Pivora.exe"
if not exist "%EXE%" goto missing

call :register .dpr Pivora.DelphiProject "Delphi Project"
if errorlevel 1 goto failed
call :register .pas Pivora.DelphiUnit "Delphi Unit"
if errorlevel 1 goto failed
call :register .dfm Pivora.DelphiForm "Delphi Form"
if errorlevel 1 goto failed
call :register .dcu Pivora.DelphiCompiledUnit "Delphi Compiled Unit"
if errorlevel 1 goto failed
echo .dpr, .pas, .dfm and .dcu files now open with
for %%E in ("%EXE%") do echo   %%~E
echo for this user. unassociate.cmd undoes it.
exit /b 0

:missing
echo Pivora.exe is not beside this file: keep associate.cmd in Pivora's folder.
exit /b 1

:failed
echo The file types could not be registered: see the message above.
exit /b 1

rem :register EXTENSION PROGID NAME
rem The type PROGID, named NAME, with Pivora's icon, opens a file with
rem Pivora.exe; EXTENSION is of that type, and Pivora is among the programs
rem offered for it. The shell puts the file's path where the command has "%%1".
rem Each step is checked with "if errorlevel", which every cmd honours.
:register
set "KEY=HKCU\Software\Classes\%~2"
reg add "%KEY%" /ve /d "%~3" /f >nul
if errorlevel 1 exit /b 1
for %%E in ("%EXE%") do reg add "%KEY%\DefaultIcon" /ve /d "\"%%~E\",0" /f >nul
if errorlevel 1 exit /b 1
for %%E in ("%EXE%") do reg add "%KEY%\shell\open\command" /ve /d "\"%%~E\" \"%%1\"" /f >nul
if errorlevel 1 exit /b 1
reg add "HKCU\Software\Classes\%~1" /ve /d "%~2" /f >nul
if errorlevel 1 exit /b 1
reg add "HKCU\Software\Classes\%~1\OpenWithProgids" /v "%~2" /t REG_NONE /f >nul
if errorlevel 1 exit /b 1
exit /b 0
