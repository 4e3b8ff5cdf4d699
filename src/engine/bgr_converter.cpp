#include "engine/bgr_converter.h"

namespace kx {

bool TBgrConverter::ToBitmap(const AVFrame& picture, TBitmap& bitmap) {
  const auto format = static_cast<AVPixelFormat>(picture.format);
  toBgr_.reset(sws_getCachedContext(toBgr_.release(), picture.width, picture.height, format, picture.width,
                                    picture.height, AV_PIX_FMT_BGR24, SWS_BICUBIC, nullptr, nullptr, nullptr));
  if (!toBgr_) return false;
  if (bitmap.Width != picture.width || bitmap.Height != picture.height) bitmap.Resize(picture.width, picture.height);
  uint8_t* planes[4] = {bitmap.Pixels.data(), nullptr, nullptr, nullptr};
  const int strides[4] = {bitmap.Stride, 0, 0, 0};
  sws_scale(toBgr_.get(), picture.data, picture.linesize, 0, picture.height, planes, strides);
  return true;
}

bool TBgrConverter::FromBitmap(const TBitmap& bitmap, AVFrame& picture) {
  const auto format = static_cast<AVPixelFormat>(picture.format);
  fromBgr_.reset(sws_getCachedContext(fromBgr_.release(), bitmap.Width, bitmap.Height, AV_PIX_FMT_BGR24,
                                      picture.width, picture.height, format, SWS_BICUBIC, nullptr, nullptr,
                                      nullptr));
  if (!fromBgr_) return false;
  const uint8_t* planes[4] = {bitmap.Pixels.data(), nullptr, nullptr, nullptr};
  const int strides[4] = {bitmap.Stride, 0, 0, 0};
  sws_scale(fromBgr_.get(), planes, strides, 0, bitmap.Height, picture.data, picture.linesize);
  return true;
}

}  // namespace kx
