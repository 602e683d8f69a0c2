@echo off
rem Takes back what associate.cmd registered for the current user: Pivora's
rem own file types, and each extension's choice of them where the extension
rem still names Pivora's type. An extension another program has taken since
rem is left to that program. Nothing outside HKCU\Software\Classes is touched.
rem
rem This file stays ASCII: cmd reads a batch file in the console's code page.
setlocal DisableDelayedExpansion
set "FAILED="
call :unregister .dpr Pivora.DelphiProject
call :unregister .pas Pivora.DelphiUnit
call :unregister .dfm Pivora.DelphiForm
call :unregister .dcu Pivora.DelphiCompiledUnit
if defined FAILED goto failed
echo Pivora no longer opens .dpr, .pas, .dfm and .dcu files for this user.
exit /b 0

:failed
echo Some of Pivora's file types could not be removed: see the messages above.
exit /b 1

rem :unregister EXTENSION PROGID
rem "reg query" prints the extension's own value as "<name>    REG_SZ    <value>",
rem the name in the system's language: the value is Pivora's type when the
rem line ends in a blank and PROGID (a "#" marks the end of the line).
:unregister
set "KEY=HKCU\Software\Classes\%~1"
set "PROGID=%~2"
set "LINE="
for /f "tokens=*" %%L in ('reg query "%KEY%" /ve 2^>nul') do set "LINE=%%L#"
set "REST="
if defined LINE call set "REST=%%LINE: %PROGID%#=%%"
if not defined LINE goto extension_done
if "%REST%"=="%LINE%" goto extension_done
reg delete "%KEY%" /ve /f >nul
if errorlevel 1 set "FAILED=1"
:extension_done
reg delete "%KEY%\OpenWithProgids" /v "%PROGID%" /f >nul 2>&1
reg query "HKCU\Software\Classes\%PROGID%" >nul 2>&1
if errorlevel 1 exit /b 0
reg delete "HKCU\Software\Classes\%PROGID%" /f >nul
if errorlevel 1 set "FAILED=1"
exit /b 0
