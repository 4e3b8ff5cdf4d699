#pragma once
// Switching the computer off after a conversion. Main thread.

namespace kx {

// The variable that replaces the power-off command (tests set it, so they
// never switch the machine off). Split into program and arguments like a
// command line, without a shell.
inline constexpr char kShutdownCommandVariable[] = "KESTRIX_SHUTDOWN_COMMAND";

// Starts `systemctl poweroff`, which does not wait for running programs, or
// the command of KESTRIX_SHUTDOWN_COMMAND; returns at once. False when the
// command could not be started.
bool ShutDownComputer();

}  // namespace kx
