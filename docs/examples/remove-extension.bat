@echo off
rem Removes the Pexlo Play extension of the user who runs this file; the
rem uninstaller lies beside it. Exit code: 0 removed, 1 not removed, 2 bad call.
setlocal
set "EXTDIR=%APPDATA%\Adobe\CEP\extensions\com.pexlo.play.ai"
"%~dp0pexloplay-ai-uninstaller.exe" extdir="%EXTDIR%" lang=en
rem 0 only means that the uninstaller's copy in %TEMP% has started.
if errorlevel 1 exit /b %ERRORLEVEL%
rem The copy asks the user to close Illustrator and shows the result. Wait for
rem it: a running copy's file cannot be deleted, an ended one's can.
:wait
set "RUNNING="
set "WORK=%TEMP%\PexloPlayAiUninstall"
for /f "delims=" %%d in ('dir /b /ad "%WORK%" 2^>nul') do (
  del /f /q "%WORK%\%%d\pexloplay-ai-uninstaller.exe" >nul 2>&1
  if exist "%WORK%\%%d\pexloplay-ai-uninstaller.exe" set "RUNNING=1"
)
if defined RUNNING (
  ping -n 2 127.0.0.1 >nul
  goto wait
)
if exist "%EXTDIR%\" exit /b 1
exit /b 0
