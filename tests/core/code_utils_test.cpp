#include "services/code_utils.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <clocale>
#include <filesystem>
#include <string>
#include <system_error>

namespace nrv {
namespace {

TEST(CodeUtilsTest, Crc32MatchesStandardCheckValueAcrossBlocks) {
  const std::string data = "123456789";
  uint32_t whole = 0xFFFFFFFF;
  UpdateCrc32(data.data(), static_cast<uint16_t>(data.size()), whole);
  EXPECT_EQ(whole ^ 0xFFFFFFFF, 0xCBF43926u);

  // The running value carries over between blocks.
  uint32_t split = 0xFFFFFFFF;
  UpdateCrc32(data.data(), 4, split);
  UpdateCrc32(data.data() + 4, 5, split);
  EXPECT_EQ(split, whole);
}

TEST(CodeUtilsTest, Crc16OfText) {
  EXPECT_EQ(Crc16OfText("123456789"), 0x6F91);
  EXPECT_EQ(Crc16OfText(""), 0xFFFF);
  EXPECT_NE(Crc16OfText("a"), Crc16OfText("A"));
}

TEST(CodeUtilsTest, MatchesWildcard) {
  struct Case {
    const char* pattern;
    const char* text;
    bool match;
  };
  const Case cases[] = {
      {"*.TXT", "readme.txt", true},
      {"a?c", "abc", true},
      {"a?c", "ac", false},
      {"abc*", "abc", true},
      {"abc", "abcd", false},
      {"abcd", "abc", false},
      {"*", "", true},
      {"", "", true},
      {"", "a", false},
      {"?", "", false},
      {"*b*", "aXbY", true},
      {"*.log", "nrv.log.bak", false},
      {"a*b*c", "aXXbYYbZc", true},
      {"ÄB*", "äbc", true},  // case ignored beyond ASCII
      {"?", "ä", true},      // "?" is one character, not one byte
      {"a?b",
       "a\xFF"
       "b",
       true},  // an invalid byte counts as one character
      {"\xFF", "\xFE", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MatchesWildcard(c.pattern, c.text), c.match)
        << "pattern '" << c.pattern << "' text '" << c.text << "'";
  }
}

TEST(CodeUtilsTest, MatchesWildcardStaysFastOnManyStars) {
  const std::string text(20000, 'a');
  EXPECT_FALSE(MatchesWildcard("*a*a*a*a*a*a*a*a*b", text));
  EXPECT_TRUE(MatchesWildcard("*a*a*a*a*a*a*a*a*", text));
}

TEST(CodeUtilsTest, FormatSize) {
  struct Case {
    int64_t size;
    int unit_in;
    const char* text;
    int unit_out;
  };
  const Case cases[] = {
      {0, 3, "0", 0},
      {1023, 3, "1023", 0},
      {1024, 3, "1", 1},
      {1048575, 3, "1 023", 1},
      {1572864, 3, "1.5", 2},
      {1048576, 3, "1", 2},
      {5000000, 1, "4 882", 1},
      {5000000, 0, "5000000", 0},
      {3LL << 30, 3, "3", 3},
      {(5LL << 40) + (1LL << 39), 3, "5 632", 3},
      {(5LL << 30), 2, "5 120", 2},
      {1288490189, 3, "1.2", 3},  // 1.2000000002 GB: trailing zeros dropped
      {1300234240, 3, "1.21", 3},
  };
  for (const Case& c : cases) {
    int unit = c.unit_in;
    EXPECT_EQ(FormatSize(c.size, unit), c.text) << c.size;
    EXPECT_EQ(unit, c.unit_out) << c.size;
  }
}

TEST(CodeUtilsTest, FormatSizeUsesLocaleDecimalSeparator) {
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  std::string saved = previous ? previous : "C";
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) {
    GTEST_SKIP() << "de_DE.UTF-8 locale not installed";
  }
  int unit = 3;
  std::string text = FormatSize(1572864, unit);
  std::setlocale(LC_NUMERIC, saved.c_str());
  EXPECT_EQ(text, "1,5");
}

TEST(CodeUtilsTest, NextTokenWalksTheText) {
  size_t index = 1;
  EXPECT_EQ(NextToken(index, "7.2", '.'), "7");
  EXPECT_EQ(index, 3u);
  EXPECT_EQ(NextToken(index, "7.2", '.'), "2");
  EXPECT_EQ(NextToken(index, "7.2", '.'), "");

  index = 1;
  EXPECT_EQ(NextToken(index, "1..3", '.'), "1");
  EXPECT_EQ(NextToken(index, "1..3", '.'), "");
  EXPECT_EQ(NextToken(index, "1..3", '.'), "3");
}

TEST(CodeUtilsTest, Utf8ToText) {
  struct Case {
    std::string bytes;
    std::string text;
  };
  const Case cases[] = {
      {"plain", "plain"},
      {"\xC3\xA9", "\xC3\xA9"},  // U+00E9
      {"ab\xC3", "ab"},          // truncated at the end
      {"x\xE2\x82\xAC"
       "y",
       "x\xE2\x82\xAC"
       "y"},                                       // three bytes
      {"\xF0\x9F\x98\x80!", "\xF0\x9F\x98\x80!"},  // four bytes, kept whole
      {"ok\xC3(rest", "ok"},                       // continuation byte missing
      {"ok\x80rest", "ok"},                        // stray continuation byte
      {"ok\xC0\xAF", "ok"},                        // overlong "/"
  };
  for (const Case& c : cases) EXPECT_EQ(Utf8ToText(c.bytes), c.text);
}

TEST(CodeUtilsTest, FormatDuration) {
  struct Case {
    double seconds;
    const char* text;
  };
  const Case cases[] = {
      {3725, "1:02:05"}, {65, "1:05"},        {0, "0:00"},  {59.9, "0:59"},
      {600, "10:00"},    {36000, "10:00:00"}, {-5, "0:00"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatDuration(c.seconds), c.text) << c.seconds;
}

TEST(CodeUtilsTest, FileSizeOf) {
  char dir_template[] = "/tmp/nrv_codeutils_XXXXXX";
  ASSERT_NE(mkdtemp(dir_template), nullptr);
  const std::string dir = dir_template;
  const std::string path = dir + "/f\xFF.bin";  // not valid UTF-8, still a name
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::write(fd, "12345", 5), 5);
  ::close(fd);

  EXPECT_EQ(FileSizeOf(path), 5);
  EXPECT_THROW(FileSizeOf(dir + "/missing"), std::system_error);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace nrv
