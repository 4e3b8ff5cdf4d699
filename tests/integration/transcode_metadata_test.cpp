// The file's metadata and the chapters of a trimmed conversion reach the
// output, with chapter times relative to the trim window.
#include <fstream>

#include "support/make_media.h"
#include "transcode_helpers.h"

namespace kx::test {
namespace {

struct ProbedChapter {
  std::string title;
  double start, end;  // seconds
};

struct ChapterCase {
  const char* name;
  const char* extension;
  const char* start;
  const char* duration;
  std::vector<ProbedChapter> chapters;
};

void PrintTo(const ChapterCase& c, std::ostream* os) { *os << c.name; }

class TrimmedChaptersTest : public testing::TestWithParam<ChapterCase> {};

TEST_P(TrimmedChaptersTest, ChaptersOfTheWindowAndTheTitleReachTheOutput) {
  const ChapterCase& c = GetParam();
  const std::string folder = ScratchDir(std::string("chapters_") + c.name);
  std::ofstream(folder + "/meta.txt") << ";FFMETADATA1\ntitle=Source\n"
                                         "[CHAPTER]\nTIMEBASE=1/1000\nSTART=0\nEND=4000\ntitle=One\n"
                                         "[CHAPTER]\nTIMEBASE=1/1000\nSTART=4000\nEND=8000\ntitle=Two\n"
                                         "[CHAPTER]\nTIMEBASE=1/1000\nSTART=8000\nEND=12000\ntitle=Three\n";
  MakeMedia({"-f", "lavfi", "-i", "testsrc=size=160x120:rate=25:duration=12", "-i", folder + "/meta.txt",
             "-map_chapters", "1", "-c:v", "mpeg4"},
            folder + "/in.mkv");

  TCustomFFmpeg engine;
  ASSERT_TRUE(engine.OpenInput(folder + "/in.mkv")) << engine.LastError();
  for (const auto& [name, value] : OptionList{{"vcodec", "libx264"}, {"ss", c.start}, {"t", c.duration},
                                              {"metadata", "title=Kestrix test"}})
    engine.SetOption(name, value);
  const std::string output = folder + "/out." + c.extension;
  ASSERT_GT(engine.CreateOutput(output, false), 0) << engine.LastError();
  ASSERT_TRUE(RunToEnd(engine));

  AVFormatContext* raw = nullptr;
  ASSERT_EQ(avformat_open_input(&raw, output.c_str(), nullptr, nullptr), 0);
  Input ctx(raw);
  const AVDictionaryEntry* title = av_dict_get(raw->metadata, "title", nullptr, 0);
  ASSERT_NE(title, nullptr);
  EXPECT_STREQ(title->value, "Kestrix test");
  ASSERT_EQ(raw->nb_chapters, c.chapters.size());
  for (unsigned i = 0; i < raw->nb_chapters; ++i) {
    const AVChapter& chapter = *raw->chapters[i];
    const AVDictionaryEntry* name = av_dict_get(chapter.metadata, "title", nullptr, 0);
    EXPECT_STREQ(name != nullptr ? name->value : "", c.chapters[i].title.c_str());
    EXPECT_NEAR(chapter.start * av_q2d(chapter.time_base), c.chapters[i].start, 0.01) << c.chapters[i].title;
    EXPECT_NEAR(chapter.end * av_q2d(chapter.time_base), c.chapters[i].end, 0.05) << c.chapters[i].title;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Windows, TrimmedChaptersTest,
    testing::Values(ChapterCase{"mkv_across_two", "mkv", "2", "4", {{"One", 0, 2}, {"Two", 2, 4}}},
                    // Chapters that only touch the window's edges are left out.
                    ChapterCase{"mp4_on_chapter_bounds", "mp4", "4", "4", {{"Two", 0, 4}}}),
    [](const testing::TestParamInfo<ChapterCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kx::test
