#include "app/exception_report.h"

#include "engine/ffmpeg_exception.h"

namespace kx {

std::string ExceptionMessageText(std::string message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') message += '.';
  return message;
}

void ReportException(MessageBoxes& boxes, const std::string& caption, const std::exception& error) {
  const bool fromEngine = dynamic_cast<const FFmpegException*>(&error) != nullptr;
  boxes.Show(caption, ExceptionMessageText(error.what()),
             fromEngine ? MessageIcon::Warning : MessageIcon::Error);
}

void ReportUnknownException(MessageBoxes& boxes, const std::string& caption) {
  boxes.Show(caption, "An unexpected error occurred.", MessageIcon::Error);
}

}  // namespace kx
