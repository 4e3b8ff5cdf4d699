#pragma once
// Names of files as the media libraries take them. On Linux file names are
// UTF-8 bytes, so a valid UTF-8 name passes unchanged; any other byte string
// travels as "unicode:utf8:" + bytes and is opened by our own file I/O
// (unicode_io.h), which takes the bytes as they are.
#include <string>

namespace kx {

inline constexpr char kUnicodeNamePrefix[] = "unicode:utf8:";

// Protocol names (":unicode:stream:gopher:http:pipe:rtp:tcp:udp:" before the
// first ":") pass unchanged, whatever their other bytes.
std::string ToLibraryName(const std::string& name);

// Undoes ToLibraryName: a "unicode:utf8:" name loses everything up to and
// including its second ":"; any other name is already the file name.
std::string FromLibraryName(const std::string& libraryName);

// True for a name of our "unicode:" protocol.
bool IsUnicodeName(const std::string& libraryName);

}  // namespace kx
