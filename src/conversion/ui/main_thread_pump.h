#pragma once
// Lets the Qt event loop run the engine's main-thread calls: each call a
// worker posts wakes the loop, which then drains the queue. Without it a
// worker's progress or preview event would wait until some wait of the main
// thread happened to drain.

namespace kx {

// Main thread, with the application object created; once is enough, later
// calls do nothing.
void InstallMainThreadPump();

}  // namespace kx
