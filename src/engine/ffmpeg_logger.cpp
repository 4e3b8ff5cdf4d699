#include "engine/ffmpeg_logger.h"

#include <atomic>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <vector>

#include "engine/main_thread_queue.h"

extern "C" {
#include <libavutil/log.h>
}

namespace kx {
namespace {

std::atomic<TFFLogger*> g_instance{nullptr};

// FFmpeg formats each message into a buffer of this size.
constexpr int kMessageBufferSize = 2048;

}  // namespace

int LibLogLevel(TLogLevel level) { return (static_cast<int>(level) - 1) * 8; }

TLogLevel LogLevelFromLib(int libLevel) {
  if (libLevel < -8) return TLogLevel::llQuiet;
  if (libLevel >= 48) return TLogLevel::llDebug;
  // Rounds down, so -8 ... -1 fall to llQuiet.
  const int floorDiv = libLevel >= 0 ? libLevel / 8 : -((-libLevel + 7) / 8);
  return static_cast<TLogLevel>(floorDiv + 1);
}

TFFLogger::TFFLogger() : logLevel_(LogLevelFromLib(av_log_get_level())) {
  TFFLogger* expected = nullptr;
  if (!g_instance.compare_exchange_strong(expected, this))
    throw std::logic_error("Allow creating only one instance of TFFLogger.");
}

TFFLogger::~TFFLogger() {
  TFFLogger* self = this;
  g_instance.compare_exchange_strong(self, nullptr);
}

TFFLogger& FFLogger() {
  // Owns the logger made here; one created elsewhere is used as it is.
  static std::unique_ptr<TFFLogger> created;
  static std::mutex creating;
  std::lock_guard lock(creating);
  if (TFFLogger* existing = g_instance.load()) return *existing;
  created = std::make_unique<TFFLogger>();
  return *created;
}

TLogLevel TFFLogger::LogLevel() const {
  std::lock_guard lock(mutex_);
  return logLevel_;
}

void TFFLogger::SetLogLevel(TLogLevel level) {
  std::lock_guard lock(mutex_);
  if (level == logLevel_) return;
  logLevel_ = level;
  av_log_set_level(LibLogLevel(level));
}

bool TFFLogger::TriggerEventInMainThread() const {
  std::lock_guard lock(mutex_);
  return inMainThread_;
}

void TFFLogger::SetTriggerEventInMainThread(bool inMainThread) {
  std::lock_guard lock(mutex_);
  inMainThread_ = inMainThread;
}

void TFFLogger::SetOnLog(TLogEvent onLog) {
  std::lock_guard lock(mutex_);
  onLog_ = std::move(onLog);
}

void TFFLogger::Install() {
  av_log_set_callback(&TFFLogger::LibCallback);
  av_log_set_level(LibLogLevel(LogLevel()));
}

void TFFLogger::LibCallback(void* object, int libLevel, const char* format, va_list args) {
  if (TFFLogger* logger = g_instance.load()) logger->TakeLibMessage(object, libLevel, format, args);
}

void TFFLogger::TakeLibMessage(void* object, int libLevel, const char* format, va_list args) {
  if (libLevel > av_log_get_level()) return;

  char prefix[256] = "";
  if (object) {
    const AVClass* cls = *static_cast<const AVClass* const*>(object);
    if (cls && cls->item_name) std::snprintf(prefix, sizeof prefix, "[%s @ %p] ", cls->item_name(object), object);
  }
  char message[kMessageBufferSize];
  std::vsnprintf(message, sizeof message, format, args);

  std::vector<std::string> lines;
  {
    std::lock_guard lock(buffersMutex_);
    auto item = pendingText_.try_emplace(std::this_thread::get_id()).first;
    std::string& pending = item->second;
    if (pending.empty()) pending = prefix;  // a prefix only starts a new line
    pending += message;
    for (std::size_t feed = pending.find('\n'); feed != std::string::npos; feed = pending.find('\n')) {
      lines.push_back(pending.substr(0, feed));
      pending.erase(0, feed + 1);
    }
    // Codec threads come and go; only unfinished lines are kept.
    if (pending.empty()) pendingText_.erase(item);
  }
  const TLogLevel level = LogLevelFromLib(libLevel);
  for (std::string& line : lines) Deliver(level, std::move(line));
}

void TFFLogger::Log(TLogLevel level, const std::string& text) {
  const TLogLevel limit = LogLevel();
  const bool wanted = level <= limit || (level == TLogLevel::llVerbose && limit != TLogLevel::llQuiet);
  if (wanted) Deliver(level, text);
}

void TFFLogger::LogFmt(TLogLevel level, const char* format, ...) {
  char message[kMessageBufferSize];
  va_list args;
  va_start(args, format);
  std::vsnprintf(message, sizeof message, format, args);
  va_end(args);
  Log(level, message);
}

void TFFLogger::Deliver(TLogLevel level, std::string text) {
  TLogEvent onLog;
  bool inMainThread;
  {
    std::lock_guard lock(mutex_);
    onLog = onLog_;
    inMainThread = inMainThread_;
  }
  if (!onLog) return;
  TLogInfo info{this, std::this_thread::get_id(), level, std::move(text)};
  auto call = [&] { onLog(info.Sender, info.ThreadID, info.LogLevel, info.LogMsg); };
  if (inMainThread) MainThreadQueue::Instance().Call(call);
  else call();
}

}  // namespace kx
