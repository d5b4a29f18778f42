#include "services/product_info.h"
#include "platform_test_support.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace nrv {
namespace {

using platform::testing::TScopedEnv;

namespace fs = std::filesystem;

TEST(ProductInfoTest, AddressesCarryTheTagOnlyWhenThereIsOne) {
  const std::string host = "http://" + SiteText();
  struct TCase {
    std::string tag;
    std::string site, help, eula, update_list;
  };
  const TCase cases[] = {
      {"", host, host + "/help.html", host + "/eula.html", host + "/files/autoupdate_nrv7.txt"},
      {"shop", host + "?tag=shop", host + "/help.html?tag=shop", host + "/eula.html?tag=shop",
       host + "/files/autoupdate_nrv7.txt"},
      {"partner-oem", host + "?tag=partner-oem", host + "/help.html?tag=partner-oem",
       host + "/eula.html?tag=partner-oem", host + "/files/partner-oem/autoupdate_nrv7.txt"},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(SiteUrl(c.tag), c.site) << c.tag;
    EXPECT_EQ(HelpUrl(c.tag), c.help) << c.tag;
    EXPECT_EQ(EulaUrl(c.tag), c.eula) << c.tag;
    EXPECT_EQ(UpdateListUrl(c.tag), c.update_list) << c.tag;
  }
  EXPECT_EQ(UserManualUrl(), host + "/UserManual_nrv.pdf");
}

TEST(ProductInfoTest, ReleaseDateFallsBackToToday) {
  const TDateTime today = Today();
  // Day count of today since 1899-12-30.
  const int64_t today_days = today.AddDays(0.5).Seconds() / 86400 + 25569;
  TDateTime expected;
  ASSERT_TRUE(TDateTime::FromLocal(2020, 8, 25, 0, 0, 0, expected));
  EXPECT_EQ(ReleaseDateFromText("44068"), expected);
  EXPECT_EQ(ReleaseDateFromText(std::to_string(today_days + 3)), today) << "in the future";
  EXPECT_EQ(ReleaseDateFromText("40000"), today) << "2009 is before 2012";
  EXPECT_EQ(ReleaseDateFromText("12ab"), today);
  EXPECT_EQ(ReleaseDateFromText(""), today);
  EXPECT_LE(ReleaseDate(), today);
}

TEST(ProductInfoTest, SystemFilesAreReadTrimmedAndMissingOnesGiveEmpty) {
  char templ[] = "/tmp/nrv-product-XXXXXX";
  const std::string dir = mkdtemp(templ);
  std::ofstream(dir + "/tag") << "  Partner-EDU \n";
  std::ofstream(dir + "/os-release")
      << "NAME=Debian\nPRETTY_NAME=\"Debian GNU/Linux 12 \\\"x\\\"\"\n";
  EXPECT_EQ(ReadDistributionTag(dir + "/tag"), "partner-edu");
  EXPECT_TRUE(IsPartnerTag(ReadDistributionTag(dir + "/tag")));
  EXPECT_EQ(ReadDistributionTag(dir + "/none"), "");
  EXPECT_FALSE(IsPartnerTag(""));
  EXPECT_EQ(ReadOsPrettyName(dir + "/os-release"), "Debian GNU/Linux 12 \"x\"");
  EXPECT_EQ(ReadOsPrettyName(dir + "/none"), "");
  fs::remove_all(dir);

  EXPECT_EQ(TitleLine().rfind("Norvalis v" + AppVersion() + " - ", 0), 0u);
}

TEST(ProductInfoTest, FoldersFollowTheXdgVariables) {
  TScopedEnv data("XDG_DATA_HOME", "/tmp/nrv-xdg-data");
  EXPECT_EQ(UserFolder(), "/tmp/nrv-xdg-data/Norvalis/");
  EXPECT_EQ(UpdaterPath(), "/tmp/nrv-xdg-data/Norvalis/Update.exe");
  EXPECT_EQ(ProgramFolder().back(), '/');
  EXPECT_TRUE(fs::exists(ProgramFolder()));
}

}  // namespace
}  // namespace nrv
