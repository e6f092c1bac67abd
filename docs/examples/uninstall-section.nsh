; Uninstall section of a per-user installer (RequestExecutionLevel user) that
; put pexloplay-ai-uninstaller.exe into $INSTDIR.
Section "Uninstall"
  SetShellVarContext current  ; $APPDATA of the user who runs the uninstaller
  StrCpy $1 ""
  IfSilent 0 +2
    StrCpy $1 " silent=1"     ; uninstall.exe /S: no message box from the program either
  ; nsExec runs the console program without a console window and waits for it;
  ; wait=1 makes the program end only once the removal's outcome is known.
  nsExec::Exec '"$INSTDIR\pexloplay-ai-uninstaller.exe" extdir="$APPDATA\Adobe\CEP\extensions\com.pexlo.play.ai" lang=en wait=1$1'
  Pop $0  ; 0 removed, 1 not removed, 2 bad command line, "error" not started
  DetailPrint "Pexlo Play extension uninstaller: $0"
  Delete "$INSTDIR\pexloplay-ai-uninstaller.exe"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
