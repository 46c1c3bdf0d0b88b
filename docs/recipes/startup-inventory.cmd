@echo off
rem Computer start-up script: the check's JSON report of this computer, one file a
rem computer, into a folder an inventory reads.
rem   startup-inventory.cmd [application folder] [report folder]
set "APP=%~1"
if "%APP%"=="" set "APP=C:\Apps\Korve"
set "OUT=%~2"
if "%OUT%"=="" set "OUT=\\inventory\korve$"
if not exist "%APP%\KorveNembralCheck.exe" exit /b 1
cd /d "%APP%"
KorveNembralCheck.exe --json > "%OUT%\%COMPUTERNAME%.json"
rem 0 start, 1 refuse, 3 abnormal: the report says why; 2 is the script's fault,
rem 5 the check's own failure, and then there is no report.
if errorlevel 5 exit /b 1
if errorlevel 2 if not errorlevel 3 exit /b 1
exit /b 0
