#include "i18n/texts.h"

std::map<Language, std::map<MessageId, std::wstring>> BuiltInTexts() {
  return {
      {Language::Chinese,
       {
           {MessageId::Title, L"Pexlo Play 卸载程序"},
           {MessageId::Usage, L"用法: pexloplay-ai-uninstaller.exe extdir=\"<扩展目录>\" lang=en|zh|pt"},
           {MessageId::MissingExtDir, L"缺少参数 extdir=（CEP 扩展 com.pexlo.play.ai 的完整路径）。"},
           {MessageId::ConfirmRemoval,
            L"即将删除 Pexlo Play Illustrator 扩展。\n请先关闭 Adobe Illustrator，然后点“确定”继续。"},
           {MessageId::Removed, L"扩展已删除（若文件被占用，将在下次重启后完成删除）。"},
           {MessageId::RemoveFailed, L"无法删除扩展目录。请关闭 Illustrator 后重试。"},
       }},
      {Language::English,
       {
           {MessageId::Title, L"Pexlo Play Uninstaller"},
           {MessageId::Usage,
            L"Usage: pexloplay-ai-uninstaller.exe extdir=\"<extension folder>\" lang=en|zh|pt"},
           {MessageId::MissingExtDir,
            L"Missing required argument extdir= (full path to com.pexlo.play.ai)."},
           {MessageId::ConfirmRemoval,
            L"The Pexlo Play Illustrator extension will be removed.\n"
            L"Please close Adobe Illustrator, then click OK to continue."},
           {MessageId::Removed,
            L"Extension removed. If files were in use, deletion will finish after the next restart."},
           {MessageId::RemoveFailed,
            L"Could not remove the extension folder. Close Illustrator and try again."},
       }},
      {Language::Portuguese,
       {
           {MessageId::Title, L"Desinstalador Pexlo Play"},
           {MessageId::Usage,
            L"Uso: pexloplay-ai-uninstaller.exe extdir=\"<pasta da extensão>\" lang=en|zh|pt"},
           {MessageId::MissingExtDir,
            L"Parâmetro obrigatório ausente: extdir= (caminho completo para com.pexlo.play.ai)."},
           {MessageId::ConfirmRemoval,
            L"A extensão Pexlo Play para Illustrator será removida.\n"
            L"Feche o Adobe Illustrator e clique em OK para continuar."},
           {MessageId::Removed,
            L"Extensão removida. Se os arquivos estiverem em uso, a exclusão terminará após a "
            L"reinicialização."},
           {MessageId::RemoveFailed,
            L"Não foi possível excluir a pasta da extensão. Feche o Illustrator e tente novamente."},
       }},
  };
}
