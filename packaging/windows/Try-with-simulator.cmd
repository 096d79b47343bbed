@echo off
rem Double-click to try qor-demo: the simulated reader serves COM1 while
rem the window is open, and ends when it closes. The simulator's console
rem runs minimized, out of the way; if the simulator cannot start, or stops
rem with an error, a console of its own shows why, in plain sight. Its
rem messages wait in a folder of this starter's own under %TEMP%; where
rem there can be none, the simulator runs in a console in sight instead.
rem
rem Paths travel in variables and are spelt out only inside quotes: cmd
rem takes a path apart that holds & ( ) ^ or @ outside them, the quotes of
rem "cmd /c" do not survive such a path, and Wine's start quotes its
rem arguments afresh. No delayed expansion, for a ! in a path.
setlocal disabledelayedexpansion
if "%~1"=="/serve" goto serve
if "%~1"=="/failed" goto failed
if "%~1"=="/in-sight" goto in_sight
set QOR_SERVE="%~f0" /serve
start "qor-sim" /min "%ComSpec%" /d /v:off /s /c "%%QOR_SERVE%%"
if errorlevel 1 pause
exit /b

:serve
rem md makes a folder or fails, so no two starters share one: %RANDOM%
rem starts from the time in seconds, alike in starters of the same second.
if "%TEMP%"=="" goto no_folder
if not exist "%TEMP%\" goto no_folder
set QOR_TRIES=
:pick
set QOR_TRIES=%QOR_TRIES%.
if "%QOR_TRIES%"=="...................." goto no_folder
set "QOR_REASON_DIR=%TEMP%\qor-sim-%RANDOM%-%RANDOM%"
rem md fails on a folder that exists; on success it may leave the
rem errorlevel as it was, and Wine's "||" goes by neither.
verify >nul
md "%QOR_REASON_DIR%" 2>nul
if errorlevel 1 goto pick
set "QOR_REASON=%QOR_REASON_DIR%\reason.txt"
"%~dp0qor-sim.exe" --port COM1 --then "%~dp0qor-demo.exe" 2>"%QOR_REASON%"
rem No file: the redirection failed, and the simulator never ran.
if not exist "%QOR_REASON%" goto no_file
rem A simulator ended from outside has nothing to say.
if errorlevel 1 for %%R in ("%QOR_REASON%") do if %%~zR gtr 0 goto show
rd /s /q "%QOR_REASON_DIR%" 2>nul
exit /b
:show
set QOR_FAILED="%~f0" /failed
start "qor-sim" "%ComSpec%" /d /v:off /s /c "%%QOR_FAILED%%"
exit /b

:failed
echo The simulated reader (qor-sim.exe) stopped with this message:
echo.
type "%QOR_REASON%"
rd /s /q "%QOR_REASON_DIR%" 2>nul
echo.
pause
exit /b

:no_file
rd /s /q "%QOR_REASON_DIR%" 2>nul
:no_folder
set QOR_IN_SIGHT="%~f0" /in-sight
start "qor-sim" "%ComSpec%" /d /v:off /s /c "%%QOR_IN_SIGHT%%"
exit /b

:in_sight
echo The folder for temporary files, "%TEMP%",
echo is missing or cannot be written to, so the simulated reader
echo (qor-sim.exe) runs in this console, in sight, and it stays open
echo if the simulator stops with a message.
echo.
"%~dp0qor-sim.exe" --port COM1 --then "%~dp0qor-demo.exe"
if errorlevel 1 pause
