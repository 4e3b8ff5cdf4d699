#include "engine/preview_surface.h"

#include <cstdio>
#include <mutex>

#include "engine/main_thread_queue.h"
#include "engine/option_records.h"

namespace kx {
namespace {

std::mutex g_factoryMutex;
TPreviewSurfaceFactory g_factory;

std::unique_ptr<TPreviewSurface> MakeSurface() {
  std::lock_guard lock(g_factoryMutex);
  return g_factory ? g_factory() : nullptr;
}

}  // namespace

void SetPreviewSurfaceFactory(TPreviewSurfaceFactory factory) {
  std::lock_guard lock(g_factoryMutex);
  g_factory = std::move(factory);
}

std::string PreviewCaption(std::int64_t ptsUs) {
  if (ptsUs == kUnsetTime) return "N/A";
  const std::uint64_t us = ptsUs < 0 ? 0 - static_cast<std::uint64_t>(ptsUs) : static_cast<std::uint64_t>(ptsUs);
  const std::uint64_t ms = us / 1000;
  char text[40];
  std::snprintf(text, sizeof text, "%s%.2llu:%.2llu:%.2llu.%.3llu", ptsUs < 0 ? "-" : "",
                static_cast<unsigned long long>(ms / 3600000), static_cast<unsigned long long>(ms / 60000 % 60),
                static_cast<unsigned long long>(ms / 1000 % 60), static_cast<unsigned long long>(ms % 1000));
  return text;
}

TPreviewer::TPreviewer() : draw_([this] { Draw(); }) {}

TPreviewer::~TPreviewer() {
  if (surface_) MainThreadQueue::Instance().Call([this] { surface_.reset(); });
}

bool TPreviewer::Show(const TBitmap& picture, std::int64_t ptsUs, int frameNumber) {
  if (closed_) return false;
  picture_ = &picture;
  ptsUs_ = ptsUs;
  frameNumber_ = frameNumber;
  MainThreadQueue::Instance().Call(draw_);
  return !closed_;
}

void TPreviewer::Draw() {
  if (!surface_) surface_ = MakeSurface();
  closed_ = !surface_ || !surface_->Show(*picture_, ptsUs_, frameNumber_);
  if (closed_) surface_.reset();
}

}  // namespace kx
