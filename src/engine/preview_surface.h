#pragma once
// The window in which a running task shows its pictures when the encoder's
// Preview property is on. The engine knows only this interface; the GUI
// registers a factory for its widget. Without a factory previews show nothing.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "engine/bitmap.h"

namespace kx {

class TPreviewSurface {
 public:
  virtual ~TPreviewSurface() = default;
  // Main thread. Shows `picture` (lent for the call) with its time as the
  // caption; answers false once the user has closed the window.
  virtual bool Show(const TBitmap& picture, std::int64_t ptsUs, int frameNumber) = 0;
};

using TPreviewSurfaceFactory = std::function<std::unique_ptr<TPreviewSurface>()>;

// Main thread. Replaces the process's factory; an empty one stops new windows.
void SetPreviewSurfaceFactory(TPreviewSurfaceFactory factory);

// The caption of a preview: "hh:mm:ss.mmm", "N/A" for an unknown time.
std::string PreviewCaption(std::int64_t ptsUs);

// One task's preview window. Show is called on the task's worker thread and
// draws in the main thread; the window is made on first use.
class TPreviewer {
 public:
  TPreviewer();
  // Frees the window in the main thread (blocks a worker until it has).
  ~TPreviewer();
  TPreviewer(const TPreviewer&) = delete;
  TPreviewer& operator=(const TPreviewer&) = delete;

  // Blocks until the main thread has drawn the picture. False once the user
  // closed the window, or when there is no window to draw in.
  bool Show(const TBitmap& picture, std::int64_t ptsUs, int frameNumber);

 private:
  void Draw();  // main thread

  std::unique_ptr<TPreviewSurface> surface_;
  const std::function<void()> draw_;  // kept, so a picture costs no allocation
  const TBitmap* picture_ = nullptr;
  std::int64_t ptsUs_ = 0;
  int frameNumber_ = 0;
  bool closed_ = false;  // written in the main thread while Show waits
};

}  // namespace kx
