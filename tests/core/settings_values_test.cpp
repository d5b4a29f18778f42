#include "services/settings_values.h"

#include <gtest/gtest.h>

namespace nrv::settings_values {
namespace {

TEST(SettingsValuesTest, BooleansAndIntegersFallBackToTheDefaultWhenNoInteger) {
  struct TCase {
    const char* written;
    bool bool_default;
    bool expected_bool;
    int32_t expected_int;  // default 42
  };
  const TCase cases[] = {
      {"1", false, true, 1},    {"0", true, false, 0},
      {"7", false, true, 7},    {"-3", false, true, -3},
      {" 1 ", false, true, 1},  {"true", false, false, 42},
      {"true", true, true, 42}, {"", true, true, 42},
      {"1x", false, false, 42}, {"99999999999", false, false, 42},
  };
  for (const TCase& c : cases) {
    TIniFile ini = TIniFile::Parse(std::string("[S]\nK=") + c.written + "\n");
    EXPECT_EQ(ReadBool(ini, "S", "K", c.bool_default), c.expected_bool) << c.written;
    EXPECT_EQ(ReadInt(ini, "S", "K", 42), c.expected_int) << c.written;
  }
}

TEST(SettingsValuesTest, FloatsUseTheGivenDecimalSeparatorOnly) {
  struct TCase {
    const char* text;
    char separator;
    bool ok;
    float value;
  };
  const TCase cases[] = {
      {"1.5", '.', true, 1.5f}, {"1,5", ',', true, 1.5f},     {"1,5", '.', false, 0},
      {"1.5", ',', false, 0},   {"", '.', false, 0},          {"abc", '.', false, 0},
      {" 2 ", '.', true, 2.0f}, {"-0.25", '.', true, -0.25f},
  };
  for (const TCase& c : cases) {
    float v = 0;
    EXPECT_EQ(ParseFloat(c.text, c.separator, v), c.ok) << c.text << " " << c.separator;
    if (c.ok) {
      EXPECT_EQ(v, c.value) << c.text;
    }
  }
  EXPECT_EQ(FormatFloat(1.5f, ','), "1,5");
  EXPECT_EQ(FormatFloat(100.0f, '.'), "100");
  float back = 0;
  ASSERT_TRUE(ParseFloat(FormatFloat(0.1f, ','), ',', back));
  EXPECT_EQ(back, 0.1f);
}

TEST(SettingsValuesTest, FolderListsAreUpperCaseHexOfCrLfLines) {
  EXPECT_EQ(EncodeFolderList({"/a", "/b"}), "2F610D0A2F620D0A");
  EXPECT_EQ(EncodeFolderList({}), "");
  EXPECT_EQ(DecodeFolderList("2F610D0A2F620D0A"), (std::vector<std::string>{"/a", "/b"}));
  EXPECT_EQ(DecodeFolderList("2f61"), (std::vector<std::string>{"/a"}));
  EXPECT_TRUE(DecodeFolderList("").empty());
  // The list ends at the first pair that is no hexadecimal byte.
  EXPECT_EQ(DecodeFolderList("2F610D0AZZ2F62"), (std::vector<std::string>{"/a"}));
}

TEST(SettingsValuesTest, FolderNamesComeBackUnaltered) {
  // Linux names may hold any byte but "/" and NUL: not UTF-8, a lone LF or CR,
  // characters beyond any 8-bit code page.
  const std::vector<std::string> folders = {"/data/caf\xE9", "/data/two\nlines", "/data/cr\rx",
                                            "/data/\xE6\x97\xA5\xE6\x9C\xAC", "/data/sp "};
  EXPECT_EQ(DecodeFolderList(EncodeFolderList(folders)), folders);
}

}  // namespace
}  // namespace nrv::settings_values
