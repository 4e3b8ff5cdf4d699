#pragma once
// The name of a conversion's output file. Main thread only; may show a
// message box.
#include <string>

#include "app/message_boxes.h"

namespace kx {

// A path in the output folder ("settings" / "OutPutDir") that no file has
// yet: the source name's file-name part without its extension, then
// "_(new)" or "_(new_N)" with the first free N from 1, then `extension`
// (with its dot). A folder that is missing and cannot be created is reported
// with a warning and replaced by the default folder, which is then stored.
// The name is free when this returns; nothing reserves it.
std::string MakeOutputFileName(const std::string& settingsIni, const std::string& sourceName,
                               const std::string& extension, MessageBoxes& boxes);

}  // namespace kx
