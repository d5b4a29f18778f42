#include "scanners/candidate_groups.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "platform/device_kind.h"
#include "scanners/local_file.h"
#include "services/text.h"

namespace nrv {

std::vector<std::vector<TLocalFile*>> CandidateGroups(const std::vector<IFileInfoPtr>& files,
                                                     const TScanConfig& cfg) {
  std::vector<std::vector<TLocalFile*>> groups;
  const bool by_name = cfg.IncludeFileName || cfg.IncludeExtension;
  size_t i = 0;
  while (i < files.size()) {
    size_t j = i;
    while (j < files.size() && files[j]->GetSize() == files[i]->GetSize()) ++j;
    if (j - i >= 2) {
      if (!by_name) {
        std::vector<TLocalFile*> run;
        for (size_t k = i; k < j; ++k) {
          if (auto* f = dynamic_cast<TLocalFile*>(files[k].get())) run.push_back(f);
        }
        if (run.size() >= 2) groups.push_back(std::move(run));
      } else {
        std::map<std::pair<std::string, std::string>, std::vector<TLocalFile*>> by_key;
        for (size_t k = i; k < j; ++k) {
          auto* f = dynamic_cast<TLocalFile*>(files[k].get());
          if (!f) continue;
          by_key[{cfg.IncludeFileName ? text::FoldCase(f->GetBaseName()) : std::string(),
                  cfg.IncludeExtension ? text::FoldCase(f->GetFileType()) : std::string()}]
              .push_back(f);
        }
        for (auto& [key, run] : by_key) {
          if (run.size() >= 2) groups.push_back(std::move(run));
        }
      }
    }
    i = j;
  }
  return groups;
}

unsigned ReaderThreadsForItems(const std::vector<TLocalFile*>& items) {
  return items.empty() ? 1 : platform::ReaderThreadsFor(items.front()->Device());
}

void SortForReading(std::vector<TLocalFile*>& items) {
  std::sort(items.begin(), items.end(), [](const TLocalFile* a, const TLocalFile* b) {
    return std::make_pair(a->Device(), a->Inode()) < std::make_pair(b->Device(), b->Inode());
  });
}

}  // namespace nrv
