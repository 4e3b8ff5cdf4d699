#pragma once
// The plug-in's messages go to one process-wide callback (standard error until
// the program sets one). Safe to call from any reader's thread.
#include <string>

#include "dvddec/dvddec_api.h"

namespace kx::dvddec {

void SetLogCallback(DVDLogCallback callback);
void Log(int level, const std::string& message);

}  // namespace kx::dvddec
