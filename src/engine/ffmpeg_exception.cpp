#include "engine/ffmpeg_exception.h"

extern "C" {
#include <libavutil/error.h>
}

namespace kx {

std::string AvErrorText(const std::string& operation, int errnum) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(errnum, text, sizeof text);
  return operation + ": " + text;
}

int CheckAv(int errnum, const std::string& operation) {
  if (errnum < 0) throw FFmpegException(AvErrorText(operation, errnum));
  return errnum;
}

}  // namespace kx
