#pragma once
// The conversion engine's exception: an English message text meant for the
// user. Components catch it and turn it into a failure result and LastErrMsg.
#include <stdexcept>
#include <string>

namespace kx {

class FFmpegException : public std::runtime_error {
 public:
  explicit FFmpegException(const std::string& message) : std::runtime_error(message) {}
};

// "<operation>: <FFmpeg's text for errnum>", for a negative AVERROR.
std::string AvErrorText(const std::string& operation, int errnum);

// Raises FFmpegException with AvErrorText when errnum is negative; answers errnum otherwise.
int CheckAv(int errnum, const std::string& operation);

}  // namespace kx
