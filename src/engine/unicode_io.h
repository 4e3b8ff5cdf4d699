#pragma once
// Byte I/O of "unicode:" names: an AVIOContext over a file descriptor of the
// file named after the name's second ":". It stands in for a protocol of
// our own, which FFmpeg no longer lets a program register.
#include <string>

extern "C" {
#include <libavformat/avformat.h>
}

namespace kx {

enum class UnicodeIoMode { Read, Write };

// Read opens an existing file; Write creates or truncates one (seekable, so
// muxers can rewrite their headers; other processes may read meanwhile).
// Answers 0 or a negative AVERROR: AVERROR(ENOENT), that is -2, for a file
// or folder that does not exist.
int OpenUnicodeIo(AVIOContext** pb, const std::string& libraryName, UnicodeIoMode mode);

// Flushes and closes *pb when it came from OpenUnicodeIo (then *pb becomes
// null and the answer is 0 or the first write error); answers 1 and leaves
// any other context alone.
int CloseUnicodeIo(AVIOContext** pb);

// avformat_open_input over OpenUnicodeIo; *ctx may be a prepared context.
// On failure the custom I/O is released along with the context.
int OpenUnicodeInput(AVFormatContext** ctx, const std::string& libraryName, AVDictionary** options,
                     const AVInputFormat* format);

}  // namespace kx
