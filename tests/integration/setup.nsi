; A small per-user installer whose uninstaller is the documented uninstall
; section. makensis -DPROGRAM=<exe> -DSECTION=<nsh> -DOUTFILE=<setup.exe>
Unicode true
Target amd64-unicode
Name "Pexlo Play"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\Pexlo Play"
SilentInstall silent
SilentUnInstall silent

Section
  SetOutPath "$INSTDIR"
  File "/oname=pexloplay-ai-uninstaller.exe" "${PROGRAM}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
SectionEnd

!include "${SECTION}"

; Leaves what the uninstall section got from the program in $TEMP for the test.
Function un.onUninstSuccess
  FileOpen $1 "$TEMP\nsis-result.txt" w
  FileWrite $1 "$0"
  FileClose $1
FunctionEnd
