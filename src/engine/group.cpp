#include "engine/group.h"

#include <algorithm>

namespace nrv {

TGroup::~TGroup() {
  for (auto& f : files_) {
    if (f && f->GetGroup() == this) f->SetGroup(nullptr);
  }
}

void TGroup::Add(const IFileInfoPtr& file) {
  files_.push_back(file);
  file->SetGroup(this);
  sorted_ = false;
}

int32_t TGroup::VisibleCount() const {
  return static_cast<int32_t>(
      std::count_if(files_.begin(), files_.end(), [](const auto& f) { return f->IsVisible(); }));
}

int32_t TGroup::CheckedCount() const {
  return static_cast<int32_t>(std::count_if(files_.begin(), files_.end(), [](const auto& f) {
    return f->IsVisible() && f->IsChecked();
  }));
}

bool TGroup::CheckSafeSelection() const {
  if (files_.empty()) return false;
  auto gone = std::count_if(files_.begin(), files_.end(),
                            [](const auto& f) { return f->IsChecked() || !f->Exists(); });
  return gone < static_cast<std::ptrdiff_t>(files_.size());
}

IFileInfoPtr TGroup::GetFirstExisting() const {
  for (const auto& f : files_) {
    if (f->Exists()) return f;
  }
  return nullptr;
}

void TGroup::Sort() {
  std::stable_sort(files_.begin(), files_.end(), [](const IFileInfoPtr& a, const IFileInfoPtr& b) {
    int c = a->GetName().compare(b->GetName());
    if (c != 0) return c > 0;
    auto ma = a->GetModified(), mb = b->GetModified();
    if (ma != mb) return ma > mb;
    return a->GetIndex() > b->GetIndex();
  });
  sorted_ = true;
}

IFileInfoPtr TGroup::GetOrigial(const IFileInfoPtr& except_this) {
  if (!sorted_) Sort();
  IFileInfoPtr hidden_candidate;
  for (const auto& f : files_) {
    if (f == except_this || f->IsChecked() || !f->Exists()) continue;
    if (f->IsVisible()) return f;
    if (!hidden_candidate) hidden_candidate = f;
  }
  return hidden_candidate;
}

}  // namespace nrv
