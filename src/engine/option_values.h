#pragma once
// Value syntaxes of the transcoder options. Every parser raises
// FFmpegException with the engine's text when the value is malformed.
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/pending_settings.h"

namespace kx {

std::string Trim(std::string_view text);

// Any value but exactly "0" switches on (an empty one too).
bool ParseSwitch(const std::string& value);
int ParseInteger(const std::string& value);
int64_t ParseInteger64(const std::string& value);
double ParseFloat(const std::string& value);

// "[-][HH:]MM:SS[.m...]" or "[-]S+[.m...]" in microseconds; `option` names the
// option in the error text.
int64_t ParseDuration(const std::string& option, const std::string& value);
// A date in seconds since 1970 (rounded).
int64_t ParseDate(const std::string& option, const std::string& value);

// 64 coefficients separated by ",".
TQuantMatrix ParseMatrix(const std::string& value);

// Exactly four characters as a little-endian code; `kind` is "audio", "video"
// or "subtitle" for the error text.
uint32_t ParseCodecTag(const std::string& kind, const std::string& value);

// A number in C notation (decimal, 0x hexadecimal, leading 0 octal) at `pos`;
// `pos` moves past it. Text without digits reads as 0, like strtol.
long ReadCNumber(const std::string& text, size_t& pos);

}  // namespace kx
