@echo off
rem Double-click to try qor-demo: the simulated reader serves COM1 while
rem the window is open, and ends when it closes. The simulator's console
rem runs minimized, out of the way; if the simulator cannot start, or stops
rem with an error, a console of its own shows why, in plain sight.
rem
rem Paths travel in variables and are spelt out only inside quotes: cmd
rem takes a path apart that holds & ( ) ^ or @ outside them, the quotes of
rem "cmd /c" do not survive such a path, and Wine's start quotes its
rem arguments afresh. No delayed expansion, for a ! in a path.
setlocal disabledelayedexpansion
if "%~1"=="/serve" goto serve
if "%~1"=="/failed" goto failed
set QOR_SERVE="%~f0" /serve
start "qor-sim" /min "%ComSpec%" /d /v:off /s /c "%%QOR_SERVE%%"
if errorlevel 1 pause
exit /b

:serve
set "QOR_REASON=%TEMP%\qor-sim-%RANDOM%.txt"
"%~dp0qor-sim.exe" --port COM1 --then "%~dp0qor-demo.exe" 2>"%QOR_REASON%"
rem A simulator ended from outside has nothing to say.
if errorlevel 1 for %%R in ("%QOR_REASON%") do if %%~zR gtr 0 goto show
del "%QOR_REASON%" 2>nul
exit /b
:show
set QOR_FAILED="%~f0" /failed
start "qor-sim" "%ComSpec%" /d /v:off /s /c "%%QOR_FAILED%%"
exit /b

:failed
echo The simulated reader (qor-sim.exe) stopped with this message:
echo.
type "%QOR_REASON%"
del "%QOR_REASON%" 2>nul
echo.
pause
