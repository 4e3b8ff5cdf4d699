#pragma once

namespace kx {

// Program start: start-up picture, main window, message loop. Returns the exit code.
int RunApplication(int argc, char** argv);

}  // namespace kx
