#include <gtest/gtest.h>

#include "engine/unicode_names.h"

namespace kx {
namespace {

struct NameCase {
  std::string name;
  std::string libraryName;
};

class LibraryNames : public testing::TestWithParam<NameCase> {};

TEST_P(LibraryNames, GoThereAndBack) {
  EXPECT_EQ(ToLibraryName(GetParam().name), GetParam().libraryName);
  EXPECT_EQ(FromLibraryName(GetParam().libraryName), GetParam().name);
}

const std::string kLatin1Bytes = "/tmp/caf\xe9.mp4";  // not UTF-8

INSTANTIATE_TEST_SUITE_P(
    Names, LibraryNames,
    testing::Values(NameCase{"/home/user/clip.mp4", "/home/user/clip.mp4"},
                    NameCase{"/home/user/Fïlm 日本/clip.mp4", "/home/user/Fïlm 日本/clip.mp4"},
                    NameCase{"opendvd:/dev/sr0", "opendvd:/dev/sr0"},
                    NameCase{kLatin1Bytes, "unicode:utf8:" + kLatin1Bytes},
                    NameCase{"udp://host:1234/\xff\xfe", "udp://host:1234/\xff\xfe"},
                    NameCase{"pipe:\xff", "pipe:\xff"},
                    NameCase{"weird:\xff", "unicode:utf8:weird:\xff"},
                    NameCase{"", ""}));

TEST(LibraryNames, UnicodeNamesAreNotWrappedTwice) {
  EXPECT_EQ(ToLibraryName("unicode:utf8:/a/\xff"), "unicode:utf8:/a/\xff");
  EXPECT_EQ(FromLibraryName("unicode:utf8:/a/b"), "/a/b");
  EXPECT_EQ(FromLibraryName("unicode:utf8:"), "unicode:utf8:");  // names no file
}

TEST(LibraryNames, OverlongAndSurrogateEncodingsAreNotUtf8) {
  for (const std::string bad : {"/x\xc0\xaf", "/x\xed\xa0\x80", "/x\xe6\x97", "/x\xf5\x80\x80\x80"})
    EXPECT_EQ(ToLibraryName(bad), "unicode:utf8:" + bad);
}

}  // namespace
}  // namespace kx
