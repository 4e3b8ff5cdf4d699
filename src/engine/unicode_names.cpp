#include "engine/unicode_names.h"

#include <cstring>
#include <string_view>

namespace kx {
namespace {

constexpr std::string_view kPassingProtocols = ":unicode:stream:gopher:http:pipe:rtp:tcp:udp:";

bool IsValidUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    std::size_t length;
    char32_t code;
    if (lead < 0x80) { length = 1; code = lead; }
    else if ((lead & 0xE0) == 0xC0) { length = 2; code = lead & 0x1F; }
    else if ((lead & 0xF0) == 0xE0) { length = 3; code = lead & 0x0F; }
    else if ((lead & 0xF8) == 0xF0) { length = 4; code = lead & 0x07; }
    else return false;
    if (i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      const unsigned char next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3F);
    }
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += length;
  }
  return true;
}

bool IsProtocolName(const std::string& name) {
  const std::size_t colon = name.find(':');
  if (colon == std::string::npos) return false;
  const std::string enclosed = ":" + name.substr(0, colon) + ":";
  return kPassingProtocols.find(enclosed) != std::string_view::npos;
}

}  // namespace

std::string ToLibraryName(const std::string& name) {
  if (IsProtocolName(name) || IsValidUtf8(name)) return name;
  return kUnicodeNamePrefix + name;
}

std::string FromLibraryName(const std::string& libraryName) {
  const std::size_t prefixLength = std::strlen(kUnicodeNamePrefix);
  if (libraryName.size() <= prefixLength || libraryName.compare(0, prefixLength, kUnicodeNamePrefix) != 0)
    return libraryName;
  return libraryName.substr(prefixLength);
}

bool IsUnicodeName(const std::string& libraryName) { return libraryName.rfind("unicode:", 0) == 0; }

}  // namespace kx
