#include "engine/option_values.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

extern "C" {
#include <libavutil/avutil.h>
#include <libavutil/parseutils.h>
}

#include "engine/ffmpeg_exception.h"

namespace kx {
namespace {

constexpr const char* kBlanks = " \t\r\n";

[[noreturn]] void RaiseTimeError(const char* kind, const std::string& option, const std::string& value) {
  throw FFmpegException("Invalid " + std::string(kind) + " specification for " + option + ": " + value);
}

// The value of a coefficient in a quantizer matrix: a zero would divide by zero
// in the encoders and anything above 255 does not fit their tables.
constexpr long kMaxMatrixCoeff = 255;

}  // namespace

std::string Trim(std::string_view text) {
  const size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(kBlanks);
  return std::string(text.substr(first, last - first + 1));
}

bool ParseSwitch(const std::string& value) { return value != "0"; }

int64_t ParseInteger64(const std::string& value) {
  const std::string text = Trim(value);
  char* end = nullptr;
  errno = 0;
  const long long number = std::strtoll(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno == ERANGE)
    throw FFmpegException("'" + value + "' is not a valid integer value");
  return number;
}

int ParseInteger(const std::string& value) {
  const int64_t number = ParseInteger64(value);
  if (number < INT_MIN || number > INT_MAX)
    throw FFmpegException("'" + value + "' is not a valid integer value");
  return static_cast<int>(number);
}

double ParseFloat(const std::string& value) {
  const std::string text = Trim(value);
  char* end = nullptr;
  const double number = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !std::isfinite(number))
    throw FFmpegException("'" + value + "' is not a valid floating point value");
  return number;
}

int64_t ParseDuration(const std::string& option, const std::string& value) {
  int64_t us = 0;
  if (av_parse_time(&us, value.c_str(), 1) < 0) RaiseTimeError("duration", option, value);
  return us;
}

int64_t ParseDate(const std::string& option, const std::string& value) {
  int64_t us = 0;
  if (av_parse_time(&us, value.c_str(), 0) < 0) RaiseTimeError("date", option, value);
  return std::llround(static_cast<double>(us) / AV_TIME_BASE);
}

long ReadCNumber(const std::string& text, size_t& pos) {
  if (pos >= text.size()) return 0;
  const char* start = text.c_str() + pos;
  char* end = nullptr;
  const long number = std::strtol(start, &end, 0);
  pos += static_cast<size_t>(end - start);
  return number;
}

TQuantMatrix ParseMatrix(const std::string& value) {
  TQuantMatrix matrix{};
  size_t pos = 0;
  for (int i = 0; i < 64; ++i) {
    const long coeff = std::strtol(value.c_str() + pos, nullptr, 10);
    if (coeff < 1 || coeff > kMaxMatrixCoeff)
      throw FFmpegException("Invalid coefficient " + std::to_string(coeff) + " in matrix \"" + value +
                            "\" at coeff " + std::to_string(i) + " (allowed 1 to 255)");
    matrix[i] = static_cast<uint16_t>(coeff);
    if (i == 63) break;
    pos = value.find(',', pos);
    if (pos == std::string::npos)
      throw FFmpegException("Syntax error in matrix \"" + value + "\" at coeff " + std::to_string(i));
    ++pos;
  }
  return matrix;
}

uint32_t ParseCodecTag(const std::string& kind, const std::string& value) {
  if (value.size() != 4) throw FFmpegException(kind + " tag parameter must be 4 chars");
  const auto byte = [&](int i) { return static_cast<uint32_t>(static_cast<unsigned char>(value[i])); };
  return byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24;
}

}  // namespace kx
