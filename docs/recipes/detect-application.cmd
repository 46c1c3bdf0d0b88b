@echo off
rem Application detection: one line and exit status 0 when KorveNembral.exe would start
rem the application in its folder, nothing and 0 when it would not; another status only
rem when the check itself failed.   detect-application.cmd [application folder]
set "APP=%~1"
if "%APP%"=="" set "APP=C:\Apps\Korve"
if not exist "%APP%\KorveNembralCheck.exe" exit /b 3
cd /d "%APP%"
KorveNembralCheck.exe --detect
