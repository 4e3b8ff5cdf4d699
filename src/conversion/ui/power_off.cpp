#include "conversion/ui/power_off.h"

#include <QProcess>

namespace kx {

bool ShutDownComputer() {
  QStringList command = {"systemctl", "poweroff"};
  const QString replaced = qEnvironmentVariable(kShutdownCommandVariable);
  if (!replaced.isEmpty()) command = QProcess::splitCommand(replaced);
  if (command.isEmpty()) return false;
  const QString program = command.takeFirst();
  return QProcess::startDetached(program, command);
}

}  // namespace kx
