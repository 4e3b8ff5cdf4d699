#pragma once
// The process-wide log sink: FFmpeg's messages and the engine's own, as
// whole lines with the emitting thread and a level, handed to OnLog.
#include <cstdarg>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace kx {

enum class TLogLevel { llQuiet, llPanic, llFatal, llError, llWarning, llInfo, llVerbose, llDebug };

// FFmpeg's level scale: llQuiet -8, llPanic 0, ... llDebug 48.
int LibLogLevel(TLogLevel level);
TLogLevel LogLevelFromLib(int libLevel);

class TFFLogger;

struct TLogInfo {
  TFFLogger* Sender = nullptr;
  std::thread::id ThreadID;
  TLogLevel LogLevel = TLogLevel::llInfo;
  std::string LogMsg;
};

using TLogEvent = std::function<void(TFFLogger* Sender, std::thread::id AThreadID, TLogLevel ALogLevel,
                                     const std::string& ALogMsg)>;

class TFFLogger {
 public:
  // Throws std::logic_error "Allow creating only one instance of TFFLogger."
  // while another logger exists. Takes its level from FFmpeg's current one.
  TFFLogger();
  ~TFFLogger();
  TFFLogger(const TFFLogger&) = delete;
  TFFLogger& operator=(const TFFLogger&) = delete;

  TLogLevel LogLevel() const;
  // Also sets FFmpeg's level to the mapped value.
  void SetLogLevel(TLogLevel level);

  bool TriggerEventInMainThread() const;
  void SetTriggerEventInMainThread(bool inMainThread);

  // May be set from the main thread while other threads log.
  void SetOnLog(TLogEvent onLog);

  // Makes FFmpeg's log callback this sink's and applies the current level.
  void Install();

  // The engine's own messages; any thread. Delivered when the level is at
  // most LogLevel, and verbose ones whenever LogLevel is not llQuiet.
  void Log(TLogLevel level, const std::string& text);
  void LogFmt(TLogLevel level, const char* format, ...) __attribute__((format(printf, 3, 4)));

 private:
  static void LibCallback(void* object, int libLevel, const char* format, va_list args);
  void TakeLibMessage(void* object, int libLevel, const char* format, va_list args);
  // Runs OnLog for one line, in the main thread when asked; blocks until done.
  void Deliver(TLogLevel level, std::string text);

  mutable std::mutex mutex_;  // level, flags and the handler
  TLogLevel logLevel_;
  bool inMainThread_ = true;
  TLogEvent onLog_;

  std::mutex buffersMutex_;  // the line buffers
  std::map<std::thread::id, std::string> pendingText_;  // per thread, until a line feed
};

// The single logger, created on first use.
TFFLogger& FFLogger();

}  // namespace kx
