#include "conversion/ui/after_actions.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

namespace kx {

void OpenFolderInFileManager(const std::string& folder) {
  QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(folder)));
}

bool ShutDownComputer() {
  QStringList command = {"systemctl", "poweroff"};
  const QString replaced = qEnvironmentVariable(kShutdownCommandVariable);
  if (!replaced.isEmpty()) command = QProcess::splitCommand(replaced);
  if (command.isEmpty()) return false;
  const QString program = command.takeFirst();
  return QProcess::startDetached(program, command);
}

}  // namespace kx
