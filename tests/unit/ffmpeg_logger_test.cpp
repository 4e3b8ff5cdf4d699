#include <gtest/gtest.h>

#include <future>
#include <map>
#include <mutex>
#include <regex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "engine/ffmpeg_loader.h"
#include "engine/ffmpeg_logger.h"
#include "engine/main_thread_queue.h"

extern "C" {
#include <libavutil/log.h>
}

namespace kx {
namespace {

// An object FFmpeg's log knows how to name.
struct NamedObject {
  const AVClass* cls;
};
const AVClass kTestClass = [] {
  AVClass cls{};
  cls.class_name = "logtest";
  cls.item_name = av_default_item_name;
  cls.version = LIBAVUTIL_VERSION_INT;
  return cls;
}();

struct Line {
  std::thread::id thread;
  TLogLevel level;
  std::string text;
};

class LogSink : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FFLoader().LoadLibs(kEncoderLibs));  // installs the callback
    logger_.SetLogLevel(TLogLevel::llInfo);
    logger_.SetTriggerEventInMainThread(true);
    logger_.SetOnLog([this](TFFLogger*, std::thread::id thread, TLogLevel level, const std::string& text) {
      std::lock_guard lock(mutex_);
      lines_.push_back({thread, level, text});
    });
  }
  void TearDown() override { logger_.SetOnLog(nullptr); }

  std::vector<Line> Lines() {
    std::lock_guard lock(mutex_);
    return lines_;
  }

  TFFLogger& logger_ = FFLogger();
  std::mutex mutex_;
  std::vector<Line> lines_;
};

TEST_F(LogSink, MessageInTwoCallsIsOneLineWithOnePrefix) {
  NamedObject object{&kTestClass};
  av_log(&object, AV_LOG_WARNING, "first half, ");
  EXPECT_TRUE(Lines().empty());
  av_log(&object, AV_LOG_WARNING, "second half\nrest ");  // a line begun mid-call carries no prefix
  av_log(&object, AV_LOG_WARNING, "of it\n");
  av_log(&object, AV_LOG_WARNING, "new message\n");

  const std::vector<Line> lines = Lines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_TRUE(std::regex_match(lines[0].text, std::regex(R"(\[logtest @ 0x[0-9a-f]+\] first half, second half)")))
      << lines[0].text;
  EXPECT_EQ(lines[1].text, "rest of it");
  EXPECT_TRUE(std::regex_match(lines[2].text, std::regex(R"(\[logtest @ 0x[0-9a-f]+\] new message)"))) << lines[2].text;
  EXPECT_EQ(lines[0].level, TLogLevel::llWarning);
  EXPECT_EQ(lines[0].thread, std::this_thread::get_id());
}

TEST_F(LogSink, LibraryLinesAboveTheLevelAreDropped) {
  av_log(nullptr, AV_LOG_VERBOSE, "too detailed\n");
  av_log(nullptr, AV_LOG_ERROR, "shown\n");
  const std::vector<Line> lines = Lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].text, "shown");
  EXPECT_EQ(lines[0].level, TLogLevel::llError);
}

TEST_F(LogSink, ParallelThreadsKeepTheirLinesApart) {
  constexpr int kThreads = 4, kLinesEach = 50;
  auto writer = [](int id) {
    for (int i = 0; i < kLinesEach; ++i) {
      av_log(nullptr, AV_LOG_INFO, "thread %d ", id);
      std::this_thread::yield();
      av_log(nullptr, AV_LOG_INFO, "line %d", i);
      av_log(nullptr, AV_LOG_INFO, "\n");
    }
    return std::this_thread::get_id();
  };
  std::vector<std::future<std::thread::id>> writers;
  for (int id = 0; id < kThreads; ++id) writers.push_back(std::async(std::launch::async, writer, id));
  // Lines reach OnLog in this thread while the writers wait.
  for (auto& done : writers) MainThreadQueue::Instance().WaitDraining(done);

  std::map<int, std::thread::id> threadOf;
  for (int id = 0; id < kThreads; ++id) threadOf[id] = writers[id].get();
  std::map<int, int> nextLine;
  const std::vector<Line> lines = Lines();
  ASSERT_EQ(lines.size(), static_cast<std::size_t>(kThreads * kLinesEach));
  for (const Line& line : lines) {
    int id = -1, number = -1;
    ASSERT_EQ(std::sscanf(line.text.c_str(), "thread %d line %d", &id, &number), 2) << line.text;
    EXPECT_EQ(line.text, "thread " + std::to_string(id) + " line " + std::to_string(number));
    EXPECT_EQ(line.thread, threadOf[id]);
    EXPECT_EQ(number, nextLine[id]++);
  }
}

struct EngineMessageCase {
  TLogLevel limit;
  TLogLevel message;
  bool delivered;
};

class EngineMessages : public LogSink, public testing::WithParamInterface<EngineMessageCase> {};

TEST_P(EngineMessages, FollowTheLevel) {
  logger_.SetLogLevel(GetParam().limit);
  logger_.LogFmt(GetParam().message, "engine %s", "note");
  const std::vector<Line> lines = Lines();
  ASSERT_EQ(lines.size(), GetParam().delivered ? 1u : 0u);
  if (GetParam().delivered) {
    EXPECT_EQ(lines[0].text, "engine note");
    EXPECT_EQ(lines[0].level, GetParam().message);
  }
}

INSTANTIATE_TEST_SUITE_P(Levels, EngineMessages,
                         testing::Values(EngineMessageCase{TLogLevel::llQuiet, TLogLevel::llVerbose, false},
                                         EngineMessageCase{TLogLevel::llQuiet, TLogLevel::llQuiet, true},
                                         EngineMessageCase{TLogLevel::llQuiet, TLogLevel::llError, false},
                                         EngineMessageCase{TLogLevel::llInfo, TLogLevel::llVerbose, true},
                                         EngineMessageCase{TLogLevel::llError, TLogLevel::llVerbose, true},
                                         EngineMessageCase{TLogLevel::llInfo, TLogLevel::llInfo, true},
                                         EngineMessageCase{TLogLevel::llInfo, TLogLevel::llDebug, false},
                                         EngineMessageCase{TLogLevel::llWarning, TLogLevel::llInfo, false},
                                         EngineMessageCase{TLogLevel::llDebug, TLogLevel::llDebug, true}));

TEST_F(LogSink, LevelReachesTheLibraries) {
  logger_.SetLogLevel(TLogLevel::llDebug);
  EXPECT_EQ(av_log_get_level(), 48);
  logger_.SetLogLevel(TLogLevel::llQuiet);
  EXPECT_EQ(av_log_get_level(), -8);
  logger_.SetLogLevel(TLogLevel::llInfo);
  EXPECT_EQ(av_log_get_level(), 32);
}

TEST(LogLevels, MapToTheLibraryScaleAndBack) {
  for (int l = 0; l <= 7; ++l) {
    const auto level = static_cast<TLogLevel>(l);
    EXPECT_EQ(LibLogLevel(level), (l - 1) * 8);
    EXPECT_EQ(LogLevelFromLib(LibLogLevel(level)), level);
  }
  const std::pair<int, TLogLevel> kFromLib[] = {
      {-100, TLogLevel::llQuiet}, {-9, TLogLevel::llQuiet},    {-1, TLogLevel::llQuiet},
      {1, TLogLevel::llPanic},    {15, TLogLevel::llFatal},    {20, TLogLevel::llError},
      {31, TLogLevel::llWarning}, {39, TLogLevel::llInfo},     {47, TLogLevel::llVerbose},
      {56, TLogLevel::llDebug},   {1000, TLogLevel::llDebug},
  };
  for (const auto& [libLevel, level] : kFromLib) EXPECT_EQ(LogLevelFromLib(libLevel), level) << libLevel;
}

TEST(LogSinkInstance, SecondLoggerFails) {
  TFFLogger& single = FFLogger();
  try {
    TFFLogger second;
    FAIL() << "a second logger was created";
  } catch (const std::logic_error& error) {
    EXPECT_STREQ(error.what(), "Allow creating only one instance of TFFLogger.");
  }
  EXPECT_EQ(&FFLogger(), &single);
}

}  // namespace
}  // namespace kx
