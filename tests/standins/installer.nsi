; A small per-user installer whose uninstaller is the documented uninstall
; section. makensis -DPROGRAM=<exe> -DSECTION=<nsh> -DOUTFILE=<setup.exe>
Unicode true
Target amd64-unicode
Name "Pexlo Play"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\Pexlo Play"
SilentInstall silent
SilentUnInstall normal  ; /S makes it silent: the section then passes silent=1
UninstPage instfiles
ShowUninstDetails nevershow

Section
  SetOutPath "$INSTDIR"
  File "/oname=pexloplay-ai-uninstaller.exe" "${PROGRAM}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
SectionEnd

!include "${SECTION}"

Section "un.CloseWhenDone"  ; the test answers the program's boxes, not the uninstaller's window
  SetAutoClose true
SectionEnd

; Leaves what the uninstall section got from the program in $TEMP for the test.
Function un.onUninstSuccess
  FileOpen $1 "$TEMP\nsis-result.txt" w
  FileWrite $1 "$0"
  FileClose $1
FunctionEnd
