#pragma once
#include <string>

namespace kx {

// The folder of the running executable with a trailing "/": LibAV/, skin/
// and data/ lie beside it, in the build tree as after an install.
std::string ProgramFolder();

}  // namespace kx
