@echo off
rem Removes the Pexlo Play extension of the user who runs this file; the
rem uninstaller lies beside it. Exit code: 0 removed, 1 not removed, 2 bad call.
rem wait=1: the uninstaller ends only once the removal's outcome is known.
rem It starts from %TEMP%: Windows removes no folder that a process sits in.
cd /d "%TEMP%"
"%~dp0pexloplay-ai-uninstaller.exe" extdir="%APPDATA%\Adobe\CEP\extensions\com.pexlo.play.ai" lang=en wait=1
exit /b %ERRORLEVEL%
