#include "scanners/scanner_bbb.h"

#include <cstring>
#include <vector>

#include "engine/scan_engine.h"
#include "scanners/comparison_steps.h"
#include "scanners/file_reader.h"
#include "services/code_utils.h"

namespace nrv {

namespace {

constexpr size_t kBlock = 65521;

int Order(uint32_t a, uint32_t b) { return a < b ? -1 : (a > b ? 1 : 0); }

}  // namespace

IFileInfoPtr TScannerBBB::CreateFileItem(const TLocalFolderPtr& folder,
                                         const TLocalEntryInfo& entry) {
  return std::make_shared<TFileBBB>(folder, entry);
}

int TScannerBBB::CompareFiles(const IFileInfoPtr& left, const IFileInfoPtr& right) {
  auto* l = dynamic_cast<TFileBBB*>(left.get());
  auto* r = dynamic_cast<TFileBBB*>(right.get());
  if (!l || !r) return l ? -1 : (r ? 1 : 0);
  int c = CompareSizeAndNames(*l, *r, engine_.ScanSettings());
  if (c != 0) return c;
  // Classed by the preparation: equal exactly when in the same class (a CRC-32
  // alone could make two different files "equal"). A file left unclassed equals
  // no other and sorts after the classes, without being read again, so that the
  // order stays consistent.
  if (l->ContentClass() != 0 || r->ContentClass() != 0) {
    const uint64_t a = l->ContentClass() ? l->ContentClass() : UINT64_MAX;
    const uint64_t b = r->ContentClass() ? r->ContentClass() : UINT64_MAX;
    return a < b ? -1 : (a > b ? 1 : 0);
  }
  // Both read to their end before: their checksums decide without reading again.
  if (l->Hash() != 0 && r->Hash() != 0) return Order(l->Hash(), r->Hash());

  TFileReader lf, rf;
  if (!lf.Open(l->GetFullName())) return -1;
  if (!rf.Open(r->GetFullName())) return 1;
  // A file that changed since the walk is never equal to anything.
  if (lf.Size() != l->GetSize() || lf.Modified() != l->GetModified()) return -1;
  if (rf.Size() != r->GetSize() || rf.Modified() != r->GetModified()) return 1;

  thread_local std::vector<unsigned char> lbuf(kBlock), rbuf(kBlock);
  uint32_t lcrc = 0xFFFFFFFF, rcrc = 0xFFFFFFFF;
  int64_t lcount = 0, rcount = 0;
  int result = 0;
  for (;;) {
    int64_t ln = lf.Read(lbuf.data(), kBlock);
    int64_t rn = rf.Read(rbuf.data(), kBlock);
    if (ln < 0) return -1;
    if (rn < 0) return 1;
    lcount += ln;
    rcount += rn;
    l->SetAnalyzed(std::max(l->GetAnalyzed(), lcount));
    r->SetAnalyzed(std::max(r->GetAnalyzed(), rcount));
    UpdateCrc32(lbuf.data(), static_cast<uint16_t>(ln), lcrc);
    UpdateCrc32(rbuf.data(), static_cast<uint16_t>(rn), rcrc);
    if (lcount == l->GetSize()) l->SetHash(lcrc);
    if (rcount == r->GetSize()) r->SetHash(rcrc);
    result = ln < rn ? -1 : (ln > rn ? 1 : 0);
    if (result == 0 && ln > 0 && std::memcmp(lbuf.data(), rbuf.data(), static_cast<size_t>(ln)) != 0) {
      result = Order(lcrc, rcrc);
      if (result == 0) result = std::memcmp(lbuf.data(), rbuf.data(), static_cast<size_t>(ln)) < 0 ? -1 : 1;
      break;
    }
    if (ln == 0 || rn == 0 || result != 0) break;
    if (engine_.StopRequested()) break;
  }
  if (engine_.StopRequested()) return 1;
  return result;
}

TSettingsInfo TScannerBBB::GetSettingsInfo() {
  auto info = TScannerLocal::GetSettingsInfo();
  info.SectionName = "BBB.Settings";
  info.DataSectionName = "BBB.Settings.Data";
  return info;
}

}  // namespace nrv
