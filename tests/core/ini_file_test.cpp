#include "services/ini_file.h"

#include <gtest/gtest.h>

namespace nrv {
namespace {

TEST(IniFileTest, RewriteKeepsWhatItDoesNotTouchAndChangesOnlyTheValueSet) {
  const std::string text =
      "[Known]\nKey=old\nOther= spaced value  \n\n[Scanner.Data]\nfirst=a=b\nnote without equals\n";
  TIniFile ini = TIniFile::Parse(text);
  ini.WriteString("known", "KEY", "new");  // names compare without regard to letter case
  ini.WriteString("Fresh", "K", "v");
  EXPECT_EQ(ini.ToText(),
            "\xEF\xBB\xBF[Known]\r\nKey=new\r\nOther= spaced value  \r\n\r\n"
            "[Scanner.Data]\r\nfirst=a=b\r\nnote without equals\r\n\r\n"
            "[Fresh]\r\nK=v\r\n\r\n");
}

TEST(IniFileTest, ReadsValuesByteForByteWhateverTheLineEnds) {
  // A byte-order mark, CR LF, lone CR and lone LF line ends; bytes that are no UTF-8.
  const std::string text = "\xEF\xBB\xBF[S]\r\nPath=/tmp/a\xFF b \rX = 1\nEmpty=\r\n";
  TIniFile ini = TIniFile::Parse(text);
  EXPECT_EQ(ini.ReadString("s", "path", "?"), "/tmp/a\xFF b ");
  EXPECT_EQ(ini.ReadString("S", "X", "?"), " 1");
  EXPECT_EQ(ini.ReadString("S", "Empty", "?"), "");
  EXPECT_TRUE(ini.ValueExists("S", "Empty"));
  EXPECT_EQ(ini.ReadString("S", "Missing", "?"), "?");
  EXPECT_EQ(ini.ReadString("Nope", "X", "?"), "?");
  EXPECT_EQ(ini.ReadSectionLines("S"),
            (std::vector<std::string>{"Path=/tmp/a\xFF b ", "X= 1", "Empty="}));
  EXPECT_TRUE(ini.ReadSectionLines("Nope").empty());
}

TEST(IniFileTest, RepeatedSectionsMergeAndTheFirstKeyCounts) {
  TIniFile ini = TIniFile::Parse("[A]\nk=1\n[B]\nx=0\n[a]\nk=2\nm=3\n");
  EXPECT_EQ(ini.SectionNames(), (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(ini.ReadString("A", "k", ""), "1");
  EXPECT_EQ(ini.ReadString("A", "m", ""), "3");
}

}  // namespace
}  // namespace nrv
