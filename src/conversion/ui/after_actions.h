#pragma once
// What may happen after the last task of a run: the output folder opens in
// the file manager, the computer powers off. Main thread.
#include <string>

namespace kx {

// The variable that replaces the power-off command (tests set it, so they
// never switch the machine off). Split into program and arguments like a
// command line, without a shell.
inline constexpr char kShutdownCommandVariable[] = "KESTRIX_SHUTDOWN_COMMAND";

// Hands the folder to the desktop's file manager; never through a shell.
void OpenFolderInFileManager(const std::string& folder);

// Starts `systemctl poweroff`, which does not wait for running programs, or
// the command of KESTRIX_SHUTDOWN_COMMAND; returns at once. False when the
// command could not be started.
bool ShutDownComputer();

}  // namespace kx
