@echo off
rem The VORN test kit (README-kit.txt). "run-tests.cmd /scratch" runs every
rem test on this machine and changes it; without /scratch it only says what
rem it would change. The work is done by runner\kit.exe.
"%~dp0runner\kit.exe" %*
exit /b %ERRORLEVEL%
