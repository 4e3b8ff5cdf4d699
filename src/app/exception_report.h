#pragma once
// What the application-wide exception handler shows. Main thread only.
#include <exception>
#include <string>

#include "app/message_boxes.h"

namespace kx {

// The message as shown: a "." is appended when the last character sorts
// after "." (so "done" gets one, "done." and "stop!" do not).
std::string ExceptionMessageText(std::string message);

// The engine's FFmpegException with the warning icon, anything else with the
// error icon, the caption being the application title. (A memory fault is a
// signal here, never an exception, so it never reaches this point.)
void ReportException(MessageBoxes& boxes, const std::string& caption, const std::exception& error);

// For an exception that is no std::exception.
void ReportUnknownException(MessageBoxes& boxes, const std::string& caption);

}  // namespace kx
