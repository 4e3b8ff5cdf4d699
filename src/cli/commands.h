#pragma once
// The commands of kestrix-cli. Each returns the exit status: 0 done, 1 a
// failure it has told on standard error. UsageError leaves for a command
// line the disc cannot satisfy (a title, chapter or stream it lacks).
// Main thread.
#include <string>

#include "cli/cli_options.h"

namespace kx::cli {

int ListTitles(const std::string& drive);
int ListProfiles();
// Runs the very conversion of the window's Start: the same start, option
// builder and encoder, with the settings file's profile settings.
int Convert(const ConvertOptions& options);

}  // namespace kx::cli
