@echo off
rem Takes Tolvane's tools out of the PureBasic IDE again: starts Tolvane.exe
rem from this folder, where it finds its language files.
cd /d "%~dp0"
start "" "%~dp0Tolvane.exe" /uninstall
