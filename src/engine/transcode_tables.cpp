#include "engine/transcode_tables.h"

#include "engine/audio_out.h"
#include "engine/output_opener.h"
#include "engine/subtitle_burner.h"
#include "engine/video_out.h"

namespace kx {

TInputStream::TInputStream() = default;
TInputStream::TInputStream(TInputStream&&) noexcept = default;
TInputStream::~TInputStream() = default;

TOutputStream::TOutputStream() = default;

TOutputStream::~TOutputStream() {
  if (passLog != nullptr) std::fclose(passLog);
}

void TOutputFile::Closer::operator()(AVFormatContext* ctx) const {
  CloseMediaOutput(ctx);
  avformat_free_context(ctx);
}

}  // namespace kx
