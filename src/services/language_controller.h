#pragma once
#include <functional>
#include <map>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace nrv {

// Finds the language files ("*.lng") of one folder, holds the table of the
// current language and answers the lookups behind Translate. One instance for
// the process (LanguageController()); tests may make their own.
//
// A language file is text (UTF-8 or UTF-16 when it starts with a byte-order
// mark, else UTF-8) of lines "English text=translation"; a line break inside a
// text is written as the two characters "\n". The line ";LangName=..." names
// the language. "$APP_NAME$" (any letter case) stands for the product name.
class TLanguageController {
 public:
  using TLanguageChangedHandler = std::function<void()>;

  TLanguageController() = default;
  ~TLanguageController();
  TLanguageController(const TLanguageController&) = delete;
  TLanguageController& operator=(const TLanguageController&) = delete;

  std::string LanguagesPath() const;
  // Rescans the folder, reselects the current language and installs this
  // controller's lookup behind Translate.
  void SetLanguagesPath(const std::string& path);

  std::string CurrentLanguage() const;
  // A known code selects that language, any other non-empty code selects "en",
  // an empty code reloads the current one. Runs the language-changed handlers.
  void SetCurrentLanguage(const std::string& code);

  // Pairs of code and display name, "en"/"English" first, then the files found.
  std::vector<std::pair<std::string, std::string>> SupportedLanguages() const;

  // The translation of an English text, or an empty text when there is none.
  std::string TranslateText(const std::string& text) const;

  // In a partner edition, translates the names of the file-type groups inside
  // a list of masks; otherwise returns the text unchanged.
  std::string TranslateFileTypeGroups(const std::string& masks) const;

  // Handlers run on the thread that changes the language, after every change,
  // so that windows can look their texts up again.
  int AddLanguageChangedHandler(TLanguageChangedHandler handler);
  void RemoveLanguageChangedHandler(int id);

 private:
  void ScanFolder();
  void LoadCurrentTable();
  void NotifyLanguageChanged();

  mutable std::shared_mutex mutex_;  // guards every field below but the handlers
  std::string languages_path_;
  std::string current_language_;
  std::map<std::string, std::string> languages_;  // code -> file path
  std::vector<std::pair<std::string, std::string>> lang_names_;
  std::unordered_map<std::string, std::string> lang_strings_;  // first line of a key wins
  bool installed_ = false;

  std::mutex handlers_mutex_;
  int next_handler_id_ = 1;
  std::vector<std::pair<int, TLanguageChangedHandler>> handlers_;
};

// The controller of the process, created on first use.
TLanguageController& LanguageController();

// Lines of a language file as text: the byte-order mark picks UTF-8 or UTF-16
// (little or big endian); without one the bytes are taken as UTF-8. Lines end
// at CR, LF or CR LF.
std::vector<std::string> ReadLanguageFileLines(const std::string& path);

}  // namespace nrv
