@echo off
rem Remediation: the registry file that points the launcher at a Java 8 registered
rem elsewhere, written into a folder only administrators can write to, and imported
rem into the 64-bit view. Run as SYSTEM or an administrator.
rem   remediate.cmd [application folder] [folder for the file]
set "APP=%~1"
if "%APP%"=="" set "APP=C:\Apps\Korve"
set "FIX=%~2"
if "%FIX%"=="" set "FIX=%ProgramFiles%\KorveNembral"
if not exist "%FIX%\" mkdir "%FIX%"
if not exist "%FIX%\" exit /b 1
rem A file left from an earlier run would pass for one written now.
if exist "%FIX%\java-home.reg" del "%FIX%\java-home.reg"
if exist "%FIX%\java-home.reg" exit /b 1
if not exist "%APP%\KorveNembralCheck.exe" exit /b 1
cd /d "%APP%"
KorveNembralCheck.exe --reg-fix "%FIX%\java-home.reg"
rem 4: the file was due but not written (whatever is left of it is not imported).
if errorlevel 4 exit /b 1
if not exist "%FIX%\java-home.reg" exit /b 1
rem A 32-bit tool's reg.exe would write the 32-bit view, which the launcher reads last.
set "REG=%WINDIR%\System32\reg.exe"
if exist "%WINDIR%\Sysnative\reg.exe" set "REG=%WINDIR%\Sysnative\reg.exe"
"%REG%" import "%FIX%\java-home.reg"
if errorlevel 1 exit /b 1
exit /b 0
