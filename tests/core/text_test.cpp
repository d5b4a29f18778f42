#include "services/text.h"

#include <gtest/gtest.h>

#include <string>

namespace nrv::text {
namespace {

TEST(TextTest, CaseMappings) {
  struct Case {
    std::string input;
    std::string folded;
    std::string lower;
    std::string upper;
  };
  const Case cases[] = {
      {"Readme.TXT", "readme.txt", "readme.txt", "README.TXT"},
      {"ÄÖÜ äöü", "äöü äöü", "äöü äöü", "ÄÖÜ ÄÖÜ"},
      {"Straße", "strasse", "straße", "STRASSE"},  // full folding turns ß into ss
      {"ΣΑΣ", "σασ", "σας", "ΣΑΣ"},                // lower-casing knows the final sigma
      {"", "", "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FoldCase(c.input), c.folded) << c.input;
    EXPECT_EQ(ToLower(c.input), c.lower) << c.input;
    EXPECT_EQ(ToUpper(c.input), c.upper) << c.input;
  }
}

TEST(TextTest, InvalidBytesSurviveUnchanged) {
  // A Latin-1 file name next to valid UTF-8: only the valid parts change.
  const std::string name = "F\xE4hre-\xC3\x84pfel\xFF.TXT";
  EXPECT_EQ(FoldCase(name), "f\xE4hre-\xC3\xA4pfel\xFF.txt");
  EXPECT_EQ(ToUpper(name), "F\xE4HRE-\xC3\x84PFEL\xFF.TXT");
  // A truncated sequence at the end and an encoded surrogate are kept byte for byte.
  EXPECT_EQ(FoldCase("AB\xC3"), "ab\xC3");
  EXPECT_EQ(FoldCase("\xED\xA0\x80X"), "\xED\xA0\x80x");
}

TEST(TextTest, ComparisonsIgnoreCase) {
  EXPECT_TRUE(EqualsNoCase("ÄPFEL.txt", "äpfel.TXT"));
  EXPECT_TRUE(EqualsNoCase("STRASSE", "straße"));
  EXPECT_FALSE(EqualsNoCase("abc", "abd"));
  EXPECT_FALSE(EqualsNoCase("abc", "ab"));
  // Invalid bytes compare as themselves: equal only to the same byte.
  EXPECT_TRUE(EqualsNoCase("A\xE4", "a\xE4"));
  EXPECT_FALSE(EqualsNoCase("a\xE4", "a\xC4"));
  EXPECT_FALSE(EqualsNoCase("\xC3\xA4", "\xE4"));

  EXPECT_TRUE(StartsWithNoCase("/Home/Ärger/file", "/home/ärger/"));
  EXPECT_TRUE(StartsWithNoCase("ABC", ""));
  EXPECT_FALSE(StartsWithNoCase("AB", "abc"));
  EXPECT_FALSE(StartsWithNoCase("/home/ärger", "/home/ärgern"));

  EXPECT_EQ(CompareNoCase("apple", "APPLE"), 0);
  EXPECT_LT(CompareNoCase("apple", "Banana"), 0);
  EXPECT_GT(CompareNoCase("Ölfass", "olfass"), 0);
  EXPECT_LT(CompareNoCase("ab", "ABC"), 0);
}

TEST(TextTest, CompareLocaleOrdersForPeople) {
  // Unlike a byte comparison, a collation sorts "ä" with "a", not after "z".
  EXPECT_LT(CompareLocale("äpfel", "apfelz"), 0);
  EXPECT_LT(CompareLocale("äpfel", "zebra"), 0);
  EXPECT_EQ(CompareLocale("same", "same"), 0);
  EXPECT_GT(CompareLocale("zebra", "apfel"), 0);
}

TEST(TextTest, Utf8ValidityAndCodePoints) {
  struct Case {
    std::string s;
    bool valid;
    size_t code_points;
  };
  const Case cases[] = {
      {"", true, 0},
      {"abc", true, 3},
      {"äöü€", true, 4},
      {"\xF0\x9F\x98\x80", true, 1},
      {"a\xFF"
       "b",
       false, 3},
      {"\xC3", false, 1},
      {"\xC0\xAF", false, 2},  // overlong
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsValidUtf8(c.s), c.valid) << c.s;
    EXPECT_EQ(CodePointCount(c.s), c.code_points) << c.s;
  }
}

}  // namespace
}  // namespace nrv::text
