// Conversions that cannot succeed fail with a readable FFmpegException, never
// crash, and leave no empty output behind; a damaged disc still converts.
#include <sys/mount.h>

#include <filesystem>
#include <fstream>

#include "transcode_helpers.h"

namespace kx::test {
namespace {

namespace fs = std::filesystem;

class TranscodeFaultTest : public testing::Test {
 protected:
  void SetUp() override { LoadPlugIn(); }
};

// A small tmpfs for the time of a test; the test is skipped where mounting is not permitted.
class ScratchMount {
 public:
  ScratchMount(const std::string& name, const std::string& options) : path_(ScratchDir(name)) {
    mounted_ = mount("tmpfs", path_.c_str(), "tmpfs", options.find("ro") == 0 ? MS_RDONLY : 0,
                     options.c_str()) == 0;
  }
  ~ScratchMount() {
    if (mounted_) umount(path_.c_str());
  }
  bool Mounted() const { return mounted_; }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  bool mounted_ = false;
};

bool HasEmptyFile(const std::string& folder) {
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.is_regular_file() && entry.file_size() == 0) return true;
  return false;
}

TEST_F(TranscodeFaultTest, UnknownEncoderIsNamed) {
  const std::string folder = ScratchDir("fault_encoder");
  TitleJob job;
  job.outputOptions = {{"vcodec", "nosuchcodec"}};
  EXPECT_EQ(FailureOf(job, folder + "/out.mp4"), "new_video_stream fail: Unknown encoder 'nosuchcodec'");
  EXPECT_TRUE(fs::is_empty(folder));
}

// The rejected codec goes with the failed output: the next output of the same
// engine is made from its own choices and converts.
TEST_F(TranscodeFaultTest, FailedOutputLeavesNoChoiceBehind) {
  const std::string folder = ScratchDir("fault_retry");
  TCustomFFmpeg engine;
  DVDPlugIn::SetDVDParam(TitleJob{}.param);
  ASSERT_TRUE(engine.OpenInput("opendvd:" + DiscFolder("three_titles"))) << engine.LastError();
  engine.SetOption("vcodec", "nosuchcodec");
  ASSERT_LT(engine.CreateOutput(folder + "/first.mp4", false), 0);
  engine.SetOption("t", "1");
  ASSERT_EQ(engine.CreateOutput(folder + "/second.mp4", false), 1) << engine.LastError();
  TRunControl control;
  EXPECT_TRUE(engine.Transcode(control, {}));
  engine.Release();
  EXPECT_FALSE(Probe(folder + "/second.mp4").video.empty());
  EXPECT_FALSE(fs::exists(folder + "/first.mp4"));
}

TEST_F(TranscodeFaultTest, MissingFolderNamesTheFile) {
  const std::string output = ScratchDir("fault_folder") + "/missing/out.mp4";
  EXPECT_EQ(FailureOf(TitleJob{}, output), output + ": No such file or directory");
}

TEST_F(TranscodeFaultTest, ReadOnlyFolderNamesTheFile) {
  ScratchMount mount("fault_readonly", "ro,size=64k");
  if (!mount.Mounted()) GTEST_SKIP() << "mounting a tmpfs is not permitted here";
  const std::string output = mount.Path() + "/out.mp4";
  EXPECT_EQ(FailureOf(TitleJob{}, output), output + ": Read-only file system");
}

TEST_F(TranscodeFaultTest, FullFileSystemEndsWithAWriteError) {
  ScratchMount mount("fault_full", "size=256k");
  if (!mount.Mounted()) GTEST_SKIP() << "mounting a tmpfs is not permitted here";
  TitleJob job;
  job.outputOptions = {{"f", "dvd"}, {"vcodec", "mpeg2video"}, {"acodec", "ac3"}, {"b", "8000000"}};
  const std::string text = FailureOf(job, mount.Path() + "/out.mpg");
  EXPECT_NE(text.find("No space left on device"), std::string::npos) << text;
  EXPECT_FALSE(HasEmptyFile(mount.Path()));
}

TEST_F(TranscodeFaultTest, HeaderThatCannotBeWrittenLeavesNoEmptyFile) {
  ScratchMount mount("fault_header", "size=4k");
  if (!mount.Mounted()) GTEST_SKIP() << "mounting a tmpfs is not permitted here";
  // Fill the file system so that not even the header fits.
  { std::ofstream(mount.Path() + "/filler") << std::string(4096, 'x'); }
  TitleJob job;
  job.outputOptions = {{"s", "320x240"}, {"vcodec", "mpeg4"}, {"acodec", "libmp3lame"}};
  const std::string text = FailureOf(job, mount.Path() + "/out.avi");
  EXPECT_FALSE(text.empty());
  EXPECT_FALSE(fs::exists(mount.Path() + "/out.avi"));
}

TEST_F(TranscodeFaultTest, DamagedDiscStillConvertsEverySecond) {
  const std::string output = ScratchDir("fault_damaged") + "/out.mp4";
  TitleJob job;
  job.disc = "damaged";
  job.outputOptions = {{"s", "320x240"}, {"vcodec", "libx264"}, {"acodec", "aac"}};
  ASSERT_TRUE(Convert(job, output));
  const DecodedMedia media = DecodeFile(output, 60);
  ASSERT_FALSE(media.frames.empty());
  EXPECT_EQ(media.frames.front().mark, (FrameMark{1, 0}));
  EXPECT_EQ(media.frames.back().mark, (FrameMark{1, 9}));
  EXPECT_NEAR(media.frames.size() / 25.0, 10, 0.5);
}

}  // namespace
}  // namespace kx::test
