#include "services/language_controller.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <sstream>

#include "services/product_info.h"
#include "services/product_name.h"
#include "services/text.h"
#include "services/translation.h"
#include "services/text_lines.h"

namespace nrv {

namespace {

constexpr const char* kEnglishCode = "en";
constexpr const char* kPlaceholder = "$APP_NAME$";

std::atomic<const TLanguageController*> g_installed{nullptr};

bool IsFile(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool EndsWithLng(const std::string& name) {
  if (name.size() <= 4) return false;
  std::string ext = name.substr(name.size() - 4);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext == ".lng";
}

// Replaces every occurrence of an ASCII pattern, letter case ignored. The
// pattern being ASCII, this finds every spelling of it without touching the
// bytes around it (which need not be valid UTF-8).
std::string ReplaceAsciiNoCase(const std::string& s, const std::string& pattern,
                               const std::string& replacement) {
  std::string out;
  size_t i = 0;
  while (i < s.size()) {
    bool match = i + pattern.size() <= s.size();
    for (size_t k = 0; match && k < pattern.size(); ++k) {
      match = std::tolower(static_cast<unsigned char>(s[i + k])) ==
              std::tolower(static_cast<unsigned char>(pattern[k]));
    }
    if (match) {
      out += replacement;
      i += pattern.size();
    } else {
      out += s[i++];
    }
  }
  return out;
}

std::string ReplaceAll(std::string s, const std::string& from, const std::string& to) {
  for (size_t pos = s.find(from); pos != std::string::npos; pos = s.find(from, pos + to.size())) {
    s.replace(pos, from.size(), to);
  }
  return s;
}

}  // namespace

std::vector<std::string> ReadLanguageFileLines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream buf;
  buf << in.rdbuf();
  std::string bytes = buf.str();
  std::string text;
  auto starts = [&](const char* bom, size_t n) { return bytes.compare(0, n, bom, n) == 0; };
  if (starts("\xEF\xBB\xBF", 3)) {
    text = bytes.substr(3);
  } else if (starts("\xFF\xFE", 2) || starts("\xFE\xFF", 2)) {
    const char* cp = bytes[0] == '\xFF' ? "UTF-16LE" : "UTF-16BE";
    icu::UnicodeString u(bytes.data() + 2, static_cast<int32_t>(bytes.size() - 2), cp);
    u.toUTF8String(text);
  } else {
    text = bytes;
  }
  return SplitLines(text);
}

TLanguageController::~TLanguageController() {
  const TLanguageController* self = this;
  if (g_installed.compare_exchange_strong(self, nullptr)) SetTranslationLookup({});
}

std::string TLanguageController::LanguagesPath() const {
  std::shared_lock lock(mutex_);
  return languages_path_;
}

void TLanguageController::SetLanguagesPath(const std::string& path) {
  SetTranslationLookup({});
  {
    std::unique_lock lock(mutex_);
    languages_path_ = path;
    if (current_language_.empty()) current_language_ = kEnglishCode;
    ScanFolder();
    LoadCurrentTable();
  }
  g_installed = this;
  SetTranslationLookup([this](const std::string& s) { return TranslateText(s); });
  NotifyLanguageChanged();
}

void TLanguageController::ScanFolder() {
  languages_.clear();
  lang_names_.clear();
  lang_names_.emplace_back(kEnglishCode, "English");
  DIR* dir = opendir(languages_path_.c_str());
  if (!dir) return;
  std::vector<std::string> names;
  while (dirent* e = readdir(dir)) {
    std::string name = e->d_name;
    if (EndsWithLng(name) && IsFile(languages_path_ + "/" + name)) names.push_back(name);
  }
  closedir(dir);
  // Sorted, so that the list does not depend on the order of the directory.
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    std::string path = languages_path_ + "/" + name;
    std::string code = text::ToLower(name.substr(0, name.size() - 4));
    std::string display;
    for (const std::string& line : ReadLanguageFileLines(path)) {
      size_t eq = line.find('=');
      if (eq != std::string::npos && text::EqualsNoCase(line.substr(0, eq), ";LangName")) {
        display = line.substr(eq + 1);
        break;
      }
    }
    languages_[code] = path;
    lang_names_.emplace_back(code, display);
  }
}

void TLanguageController::LoadCurrentTable() {
  lang_strings_.clear();
  auto it = languages_.find(current_language_);
  if (it == languages_.end() || !IsFile(it->second)) return;
  for (const std::string& raw : ReadLanguageFileLines(it->second)) {
    std::string line = ReplaceAsciiNoCase(raw, kPlaceholder, kProductName);
    size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    lang_strings_.emplace(line.substr(0, eq), line.substr(eq + 1));
  }
}

std::string TLanguageController::CurrentLanguage() const {
  std::shared_lock lock(mutex_);
  return current_language_;
}

void TLanguageController::SetCurrentLanguage(const std::string& code) {
  {
    std::unique_lock lock(mutex_);
    if (languages_.count(code)) {
      current_language_ = code;
    } else if (!code.empty()) {
      current_language_ = kEnglishCode;
    }
    LoadCurrentTable();
  }
  NotifyLanguageChanged();
}

std::vector<std::pair<std::string, std::string>> TLanguageController::SupportedLanguages() const {
  std::shared_lock lock(mutex_);
  return lang_names_;
}

std::string TLanguageController::TranslateText(const std::string& text) const {
  // The files write a line break as "\n"; both CR LF and a lone LF count as one.
  std::string key = ReplaceAll(ReplaceAll(text, "\r\n", "\\n"), "\n", "\\n");
  std::string value;
  {
    std::shared_lock lock(mutex_);
    auto it = lang_strings_.find(key);
    if (it == lang_strings_.end()) return {};
    value = it->second;
  }
  return ReplaceAll(value, "\\n", "\n");
}

std::string TLanguageController::TranslateFileTypeGroups(const std::string& masks) const {
  if (!IsPartnerEdition()) return masks;
  static const char* const kGroups[] = {
      "Adobe Acrobat Files", "Archive Files", "MS Office Files", "Music Files", "Open Office Files",
      "Photo Images",        "Text Files",    "Video Files",     "Web Files"};
  std::string out = masks;
  for (const char* group : kGroups) out = ReplaceAsciiNoCase(out, group, Translate(group));
  return out;
}

int TLanguageController::AddLanguageChangedHandler(TLanguageChangedHandler handler) {
  std::lock_guard lock(handlers_mutex_);
  int id = next_handler_id_++;
  handlers_.emplace_back(id, std::move(handler));
  return id;
}

void TLanguageController::RemoveLanguageChangedHandler(int id) {
  std::lock_guard lock(handlers_mutex_);
  std::erase_if(handlers_, [id](const auto& h) { return h.first == id; });
}

void TLanguageController::NotifyLanguageChanged() {
  std::vector<std::pair<int, TLanguageChangedHandler>> copy;
  {
    std::lock_guard lock(handlers_mutex_);
    copy = handlers_;
  }
  for (auto& [id, handler] : copy) handler();
}

TLanguageController& LanguageController() {
  static TLanguageController* controller = new TLanguageController();
  return *controller;
}

}  // namespace nrv
