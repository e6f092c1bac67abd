; Uninstall section of a per-user installer (RequestExecutionLevel user) that
; put pexloplay-ai-uninstaller.exe into $INSTDIR.
Section "Uninstall"
  SetShellVarContext current  ; $APPDATA of the user who runs the uninstaller
  ; nsExec runs the console program without a console window and waits for it.
  nsExec::Exec '"$INSTDIR\pexloplay-ai-uninstaller.exe" extdir="$APPDATA\Adobe\CEP\extensions\com.pexlo.play.ai" lang=en'
  Pop $0
  ; $0 is 0 once the uninstaller's copy has started ("error": not started,
  ; 2: bad command line). The copy asks the user to close Illustrator and
  ; shows the result itself; the file in $INSTDIR is no longer in use.
  DetailPrint "Pexlo Play extension uninstaller: $0"
  Delete "$INSTDIR\pexloplay-ai-uninstaller.exe"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
