#include "dvd/title_stream.h"

#include "dvd/dvd_plug_in.h"

namespace kx {

std::unique_ptr<TitleStream> TitleStream::Open(const std::string& drive) {
  DVDReader* reader = DVDPlugIn::Readers().open(drive.c_str());
  return reader ? std::unique_ptr<TitleStream>(new TitleStream(reader)) : nullptr;
}

// The plug-in is never unloaded after a successful load, so the bound calls
// outlive every stream.
TitleStream::~TitleStream() { DVDPlugIn::Readers().close(reader_); }

int TitleStream::Read(uint8_t* buffer, int size) { return DVDPlugIn::Readers().read(reader_, buffer, size); }

int64_t TitleStream::Seek(int64_t offset, int whence) { return DVDPlugIn::Readers().seek(reader_, offset, whence); }

int64_t TitleStream::Size() const { return DVDPlugIn::Readers().size(reader_); }

std::array<uint32_t, 16> TitleStream::Palette() const {
  std::array<uint32_t, 16> palette{};
  DVDPlugIn::Readers().palette(reader_, palette.data());
  return palette;
}

int64_t TitleStream::BadSectors() const { return DVDPlugIn::Readers().badSectors(reader_); }

}  // namespace kx
