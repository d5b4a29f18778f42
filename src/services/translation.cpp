#include "services/translation.h"

#include <memory>
#include <mutex>

namespace nrv {

namespace {

std::mutex& LookupMutex() {
  static std::mutex m;
  return m;
}

std::shared_ptr<const TTranslationLookup>& LookupSlot() {
  static std::shared_ptr<const TTranslationLookup> slot;
  return slot;
}

}  // namespace

std::string Translate(const std::string& text) {
  if (text.empty()) return text;
  std::shared_ptr<const TTranslationLookup> lookup;
  {
    std::lock_guard<std::mutex> lock(LookupMutex());
    lookup = LookupSlot();
  }
  if (!lookup) return text;
  std::string translated = (*lookup)(text);
  return translated.empty() ? text : translated;
}

void SetTranslationLookup(TTranslationLookup lookup) {
  std::shared_ptr<const TTranslationLookup> next;
  if (lookup) next = std::make_shared<const TTranslationLookup>(std::move(lookup));
  std::lock_guard<std::mutex> lock(LookupMutex());
  LookupSlot() = std::move(next);
}

}  // namespace nrv
