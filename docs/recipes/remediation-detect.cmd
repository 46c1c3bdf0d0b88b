@echo off
rem Remediation, its detection: exit status 0 when KorveNembral.exe would start the
rem application in its folder, 1 to ask for the remediation.
rem   remediation-detect.cmd [application folder]
set "APP=%~1"
if "%APP%"=="" set "APP=C:\Apps\Korve"
if not exist "%APP%\KorveNembralCheck.exe" exit /b 1
cd /d "%APP%"
KorveNembralCheck.exe
if errorlevel 1 exit /b 1
exit /b 0
