#pragma once
#include <QImage>
#include <string>

namespace kx {

// Decodes a JPEG file with libjpeg. A missing, unreadable, damaged or
// oversized file gives a null picture; nothing is reported.
QImage ReadJpegPicture(const std::string& path);

}  // namespace kx
