#include "engine/dvd_input.h"

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
    if (!DVDPlugIn::LoadDVDLib(DVDPlugIn::ProgramLibAVFolder())) return AVERROR_PROTOCOL_NOT_FOUND;
  }
  DVDPlugIn::SetLogCallback(ForwardToAvLog);
  std::unique_ptr<TitleStream> stream = TitleStream::Open(drive);
  if (!stream) return AVERROR_INVALIDDATA;  // the plug-in logged why
  return OpenCustomInput(ctx, std::string(kDvdInputPrefix) + drive, std::make_unique<DvdIoSource>(std::move(stream)),
                         av_find_input_format("mpeg"), options);
}

const TitleStream* DvdInputStream(const AVFormatContext* ctx) {
  auto* source = dynamic_cast<const DvdIoSource*>(CustomSourceOf(ctx));
  return source ? &source->Stream() : nullptr;
}

}  // namespace kx
