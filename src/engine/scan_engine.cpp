#include "engine/scan_engine.h"

#include <stdexcept>

#include "services/app_log.h"

namespace nrv {

TScanEngine::TScanEngine() = default;

TScanEngine::~TScanEngine() {
  if (scan_thread_.joinable()) {
    status_ = TScanStatus::ssStopping;
    scan_thread_.join();
  }
}

TScanEngine& ScanEngine() {
  static TScanEngine engine;
  return engine;
}

void TScanEngine::AddScanner(int scan_mode, TScannerClass scanner_class) {
  if (!FScanModes) FScanModes = std::make_unique<std::map<int, TScannerClass>>();
  (*FScanModes)[scan_mode] = std::move(scanner_class);
  FScanners.erase(scan_mode);
}

bool TScanEngine::IsAvaibableScanMode(int scan_mode) const {
  return FScanModes && FScanModes->count(scan_mode) > 0;
}

void TScanEngine::SetScanMode(int mode) {
  if (!IsAvaibableScanMode(mode)) throw std::invalid_argument("Unknown scan mode");
  FCurrentScanMode = mode;
}

IScannerPtr TScanEngine::GetScanner() {
  if (!FScanModes) return nullptr;
  if (auto it = FScanners.find(FCurrentScanMode); it != FScanners.end()) return it->second;
  auto cls = FScanModes->find(FCurrentScanMode);
  if (cls == FScanModes->end() || !cls->second) return nullptr;
  try {
    IScannerPtr scanner = cls->second(*this);
    if (scanner) FScanners[FCurrentScanMode] = scanner;
    return scanner;
  } catch (const std::exception& e) {
    AppLog().WriteLogException("Failed to instantiate scanner module", e);
  } catch (...) {
    AppLog().WriteLogException("Failed to instantiate scanner module");
  }
  return nullptr;
}

template <class F>
void TScanEngine::ForwardToScanner(const char* failure_text, F&& f) {
  try {
    if (auto scanner = GetScanner()) f(*scanner);
  } catch (const std::exception& e) {
    AppLog().WriteLogException(failure_text, e);
  } catch (...) {
    AppLog().WriteLogException(failure_text);
  }
}

TSettingsInfo TScanEngine::GetSettingsInfo() {
  auto s = GetScanner();
  return s ? s->GetSettingsInfo() : TSettingsInfo{};
}

std::vector<TSupportedAttribute> TScanEngine::GetSupportedAttributes() {
  auto s = GetScanner();
  return s ? s->SupportedAttributes() : std::vector<TSupportedAttribute>{};
}

TScannerFeatures TScanEngine::GetSupportedFeatures() {
  auto s = GetScanner();
  return s ? s->SupportedFeatures() : TScannerFeatures{};
}

bool TScanEngine::SupportsDragDrop() {
  auto s = GetScanner();
  return s && s->SupportsDragDrop();
}
bool TScanEngine::SupportsUndo() {
  auto s = GetScanner();
  return s && s->SupportsUndo();
}
bool TScanEngine::SupportsMove() {
  auto s = GetScanner();
  return s && s->SupportsMove();
}
bool TScanEngine::SupportsRename() {
  auto s = GetScanner();
  return s && s->SupportsRename();
}
bool TScanEngine::SupportsTrash() {
  auto s = GetScanner();
  return s && s->SupportsTrash();
}
bool TScanEngine::SupportsDelete() {
  auto s = GetScanner();
  return s && s->SupportsDelete();
}
bool TScanEngine::SupportsLink() {
  auto s = GetScanner();
  return s && s->SupportsLink();
}

bool TScanEngine::CheckValidDragDropData(const std::vector<std::string>& data) {
  bool result = false;
  ForwardToScanner("Failed to check drop data",
                   [&](IScanner& s) { result = s.CheckValidDragDropData(data); });
  return result;
}

IFolderPtr TScanEngine::GetFolderByName(const std::string& folder_name) {
  auto s = GetScanner();
  return s ? s->GetFolderByName(folder_name) : nullptr;
}

IFolderPtr TScanEngine::SelectFolder() {
  auto s = GetScanner();
  return s ? s->SelectFolder() : nullptr;
}

void TScanEngine::SelectFolders(std::vector<IFolderPtr>& folders) {
  if (auto s = GetScanner()) s->SelectFolders(folders);
}

void TScanEngine::ShowFile(const IFileInfoPtr& file) {
  ForwardToScanner("Failed to show file", [&](IScanner& s) {
    if (auto f = file ? file : FCurrentItem) s.ShowFile(f);
  });
}

void TScanEngine::ShowFileLocation(const IFileInfoPtr& file) {
  ForwardToScanner("Failed to show file location", [&](IScanner& s) {
    if (auto f = file ? file : FCurrentItem) s.ShowFileLocation(f);
  });
}

void TScanEngine::ShowFileWith(const IFileInfoPtr& file) {
  ForwardToScanner("Failed to show file with", [&](IScanner& s) {
    if (auto f = file ? file : FCurrentItem) s.ShowFileWith(f);
  });
}

void TScanEngine::ShowProperties(const IFileInfoPtr& file) {
  ForwardToScanner("Failed to show file properties", [&](IScanner& s) {
    if (auto f = file ? file : FCurrentItem) s.ShowProperties(f);
  });
}

void TScanEngine::ShowTrashFolder(const IFileInfoPtr& file) {
  ForwardToScanner("Failed to show trash folder",
                   [&](IScanner& s) { s.ShowTrashFolder(file ? file : FCurrentItem); });
}

void TScanEngine::ShowPreview(IPreviewTarget* target) {
  // The window calls this on its own thread already.
  ForwardToScanner("Failed to show preview", [&](IScanner& s) {
    if (FCurrentItem)
      s.ShowPreview(FCurrentItem, target);
    else
      s.ClearPreview(target);
  });
}

void TScanEngine::ClearPreview(IPreviewTarget* target) {
  ForwardToScanner("Failed to clear preview", [&](IScanner& s) { s.ClearPreview(target); });
}

}  // namespace nrv
