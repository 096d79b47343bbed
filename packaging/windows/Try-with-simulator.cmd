@echo off
rem Double-click to try qor-demo: the simulated reader serves COM1 while
rem the window is open, and ends when it closes. The console the simulator
rem needs runs minimized, out of the way; if the simulator cannot start,
rem the console stays there with the reason.
if not "%~1"=="/minimized" (
  start "qor-sim" /min cmd /c "%~f0" /minimized
  exit /b
)
"%~dp0qor-sim.exe" --port COM1 --then "%~dp0qor-demo.exe"
if errorlevel 1 pause
