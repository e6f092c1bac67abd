@echo off
rem Runs the uninstaller's tests on this Windows machine, as the user who runs
rem this file; no administrator rights needed. Every file and folder they make
rem lies in %TEMP%\pexloplay-ai-uninstaller-tests; the CSXS values they change
rem under HKEY_CURRENT_USER\Software\Adobe are put back at the end. They do not
rem start while Illustrator runs. Exit code 0 only when every test that ran passed.
rem The cases that wait two minutes are left out; "selftest.cmd --gtest_filter=*"
rem runs them too.
setlocal
cd /d "%~dp0"
tests.exe --gtest_filter=-*Slow* %*
exit /b %ERRORLEVEL%
