#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "services/language_controller.h"
#include "services/translation.h"

namespace nrv {
namespace {

namespace fs = std::filesystem;

TEST(TranslateTest, EntryPointRules) {
  int calls = 0;
  SetTranslationLookup([&](const std::string& s) {
    ++calls;
    return s == "known" ? std::string("bekannt") : std::string();
  });
  EXPECT_EQ(Translate(""), "");
  EXPECT_EQ(calls, 0) << "an empty text is not looked up";
  EXPECT_EQ(Translate("known"), "bekannt");
  EXPECT_EQ(Translate("unknown"), "unknown");
  SetTranslationLookup({});
  EXPECT_EQ(Translate("known"), "known");
}

class LanguageControllerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char templ[] = "/tmp/nrv-lang-XXXXXX";
    dir_ = mkdtemp(templ);
  }
  void TearDown() override { fs::remove_all(dir_); }
  void Write(const std::string& name, const std::string& bytes) {
    std::ofstream(dir_ + "/" + name, std::ios::binary) << bytes;
  }
  std::string dir_;
};

TEST_F(LanguageControllerTest, LookupRules) {
  Write("de.lng",
        "\xEF\xBB\xBF;LangName=Deutsch\r\n"
        "Cancel=Abbrechen\r\n"
        "Empty=\r\n"
        "Line one\\nLine two=Zeile eins\\nZeile zwei\r\n"
        "Check for updates on startup=Beim Start nach Updates suchen\r\n"
        "About $APP_NAME$=\xC3\x9C"
        "ber $app_name$\r\n"
        "Cancel=Second line does not count\r\n"
        "a note without equals sign\r\n");
  TLanguageController c;
  c.SetLanguagesPath(dir_);
  c.SetCurrentLanguage("de");
  struct TCase {
    const char* text;
    const char* shown;
  };
  const TCase cases[] = {
      {"Cancel", "Abbrechen"},
      {"Not in the file", "Not in the file"},
      {"Empty", "Empty"},
      {"Line one\r\nLine two", "Zeile eins\nZeile zwei"},
      {"Line one\nLine two", "Zeile eins\nZeile zwei"},
      {"Check for updates on startup", "Beim Start nach Updates suchen"},
      {"Check for Updates on Startup", "Check for Updates on Startup"},
      {"About Norvalis",
       "\xC3\x9C"
       "ber Norvalis"},
      {"a note without equals sign", "a note without equals sign"},
      {"", ""},
  };
  for (const TCase& t : cases) EXPECT_EQ(Translate(t.text), t.shown) << t.text;
}

TEST_F(LanguageControllerTest, LanguageListAndSelection) {
  Write("de.lng", ";LangName=Deutsch\nCancel=Abbrechen\n");
  Write("notes.txt", "Cancel=nope\n");
  TLanguageController c;
  c.SetLanguagesPath(dir_);
  using TList = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(c.SupportedLanguages(), (TList{{"en", "English"}, {"de", "Deutsch"}}));
  EXPECT_EQ(c.CurrentLanguage(), "en");

  int changes = 0;
  int id = c.AddLanguageChangedHandler([&] { ++changes; });
  c.SetCurrentLanguage("de");
  EXPECT_EQ(Translate("Cancel"), "Abbrechen");
  c.SetCurrentLanguage("");  // keeps the language and reloads its file
  EXPECT_EQ(c.CurrentLanguage(), "de");
  EXPECT_EQ(Translate("Cancel"), "Abbrechen");
  c.SetCurrentLanguage("fr");  // no such file: English
  EXPECT_EQ(c.CurrentLanguage(), "en");
  EXPECT_EQ(Translate("Cancel"), "Cancel");
  EXPECT_EQ(changes, 3);
  c.RemoveLanguageChangedHandler(id);

  // A file for "en" itself (in UTF-16 with its mark) is offered and used.
  const std::u16string utf16 = u";LangName=British\r\nCancel=Cancel it\r\n";
  std::string bytes = "\xFF\xFE";
  for (char16_t ch : utf16) {
    bytes += static_cast<char>(ch & 0xFF);
    bytes += static_cast<char>(ch >> 8);
  }
  Write("EN.lng", bytes);
  c.SetLanguagesPath(dir_);
  EXPECT_EQ(c.SupportedLanguages(),
            (TList{{"en", "English"}, {"en", "British"}, {"de", "Deutsch"}}));
  c.SetCurrentLanguage("en");
  EXPECT_EQ(Translate("Cancel"), "Cancel it");

  // A chosen language whose file has gone shows English.
  c.SetCurrentLanguage("de");
  fs::remove(dir_ + "/de.lng");
  c.SetCurrentLanguage("de");
  EXPECT_EQ(c.CurrentLanguage(), "de");
  EXPECT_EQ(Translate("Cancel"), "Cancel");
}

TEST_F(LanguageControllerTest, MissingFolderOffersEnglishOnly) {
  TLanguageController c;
  c.SetLanguagesPath(dir_ + "/absent");
  EXPECT_EQ(c.SupportedLanguages().size(), 1u);
  c.SetCurrentLanguage("de");
  EXPECT_EQ(c.CurrentLanguage(), "en");
  EXPECT_EQ(Translate("Cancel"), "Cancel");
}

TEST(GermanTranslationTest, ShippedFileSwitchesTranslateToGerman) {
  const std::string folder = (fs::path(__FILE__).parent_path() / "../../Languages").string();
  TLanguageController c;
  c.SetLanguagesPath(folder);
  bool offered = false;
  for (const auto& [code, name] : c.SupportedLanguages())
    offered |= code == "de" && name == "Deutsch";
  EXPECT_TRUE(offered);
  c.SetCurrentLanguage("de");
  EXPECT_EQ(Translate("Cancel"), "Abbrechen");
  EXPECT_EQ(Translate("Scanning"), "Durchsuchen");
  EXPECT_EQ(Translate("Administrator"), "Administrator");
  c.SetCurrentLanguage("en");
  EXPECT_EQ(Translate("Scanning"), "Scanning");
}

}  // namespace
}  // namespace nrv
