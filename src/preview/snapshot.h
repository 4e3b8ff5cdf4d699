#pragma once
// Still pictures of a preview saved into the snapshot folder as the
// settings choose: "Snapshot_full.bmp", "Snapshot_small.bmp",
// "Snapshot_full.jpg", "Snapshot_small.jpg", each press replacing the last.
// Main thread only (settings store, messages); blocks while it writes.
#include <QImage>
#include <string>

#include "engine/bitmap.h"

namespace kx {

class MessageBoxes;

// A copy of `image`, whatever its format.
TBitmap BitmapOf(const QImage& image);

// `picture` stretched to width × height, proportions not kept.
TBitmap StretchedBitmap(const TBitmap& picture, int width, int height);

// Writes the files the settings in `iniPath` ask for, in the order above.
// A snapshot folder that cannot be created is replaced by DefaultFolder
// after a warning, and the replacement is stored. A file that cannot be
// written raises std::runtime_error naming it; the files after it are not
// written. Answers the folder written into.
std::string SaveSnapshot(const std::string& iniPath, const TBitmap& full, const TBitmap& small,
                         MessageBoxes& messages);

}  // namespace kx
