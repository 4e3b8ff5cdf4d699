#include "engine/dvd_input.h"

#include <cstdio>

#include "dvd/dvd_plug_in.h"
#include "dvd/title_stream.h"
#include "engine/custom_io.h"

extern "C" {
#include <libavutil/log.h>
}

namespace kx {
namespace {

static_assert(DVDDEC_LOG_ERROR == AV_LOG_ERROR && DVDDEC_LOG_WARNING == AV_LOG_WARNING &&
              DVDDEC_LOG_INFO == AV_LOG_INFO);

// The plug-in's messages join FFmpeg's, so the log sink sees both.
void ForwardToAvLog(int level, const char* message) { av_log(nullptr, level, "dvddec: %s\n", message); }

class DvdIoSource : public CustomIoSource {
 public:
  explicit DvdIoSource(std::unique_ptr<TitleStream> stream) : stream_(std::move(stream)) {}

  int Read(uint8_t* buffer, int size) override {
    int got = stream_->Read(buffer, size);
    if (got > 0) return got;
    return got == 0 ? AVERROR_EOF : got == DVDREADER_EIO ? AVERROR(EIO) : AVERROR(EINVAL);
  }

  int64_t Seek(int64_t offset, int whence) override {
    if (whence == AVSEEK_SIZE) return stream_->Size();
    int64_t position = stream_->Seek(offset, whence);
    return position < 0 ? AVERROR(EINVAL) : position;
  }

  const TitleStream& Stream() const { return *stream_; }

 private:
  std::unique_ptr<TitleStream> stream_;
};

}  // namespace

int OpenDvdInput(AVFormatContext** ctx, const std::string& drive, AVDictionary** options) {
  if (!DVDPlugIn::IsDVDLibLoaded()) {
    if (!DVDPlugIn::LoadDVDLib(DVDPlugIn::ProgramLibAVFolder()))
      return FreeUnopenedInput(ctx, AVERROR_PROTOCOL_NOT_FOUND);
  }
  DVDPlugIn::SetLogCallback(ForwardToAvLog);
  std::unique_ptr<TitleStream> stream = TitleStream::Open(drive);
  if (!stream) return FreeUnopenedInput(ctx, AVERROR_INVALIDDATA);  // the plug-in logged why
  return OpenCustomInput(ctx, std::string(kDvdInputPrefix) + drive, std::make_unique<DvdIoSource>(std::move(stream)),
                         av_find_input_format("mpeg"), options);
}

const TitleStream* DvdInputStream(const AVFormatContext* ctx) {
  auto* source = dynamic_cast<const DvdIoSource*>(CustomSourceOf(ctx));
  return source ? &source->Stream() : nullptr;
}

std::string DvdSubtitlePalette(const AVFormatContext* ctx) {
  const TitleStream* stream = DvdInputStream(ctx);
  if (!stream) return {};
  std::string option;
  for (uint32_t rgb : stream->Palette()) {
    char entry[8];
    std::snprintf(entry, sizeof entry, "%06x", rgb & 0xFFFFFF);
    option += (option.empty() ? "" : ",") + std::string(entry);
  }
  return option;
}

}  // namespace kx
