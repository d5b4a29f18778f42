// Micro benchmarks of the pieces a scan spends its time in: digests of the first
// block and of whole-file blocks, CRC-32, file-mask tests and the folder walk.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/file_mask.h"
#include "engine/scan_engine.h"
#include "engine/scan_records.h"
#include "scanners/file_hasher.h"
#include "scanners/register_scan_modes.h"
#include "services/code_utils.h"

namespace {

std::vector<unsigned char> RandomBytes(size_t n) {
  std::vector<unsigned char> out(n);
  std::mt19937_64 rng(42);
  for (auto& b : out) b = static_cast<unsigned char>(rng());
  return out;
}

void BM_Sha256(benchmark::State& state) {
  const auto data = RandomBytes(static_cast<size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(nrv::Sha256Hex(data.data(), data.size()));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_Sha256)->Arg(nrv::kFirstBlockSize)->Arg(nrv::kHashBlockSize);

void BM_Crc32(benchmark::State& state) {
  // The largest block a single call takes (its length is 16-bit).
  constexpr uint16_t kBlock = 65521;
  const auto data = RandomBytes(kBlock);
  uint32_t crc = 0;
  for (auto _ : state) {
    nrv::UpdateCrc32(data.data(), kBlock, crc);
    benchmark::DoNotOptimize(crc);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kBlock);
}
BENCHMARK(BM_Crc32);

// Names as a scan meets them, tested against a few kinds of masks.
void BM_FileMask(benchmark::State& state) {
  static const char* const kMasks[] = {"*.*", "*.jpg", "IMG_????.JP*", "[a-m]*report*.doc?"};
  const std::string mask = kMasks[state.range(0)];
  const std::vector<std::string> names = {
      "IMG_2041.JPG", "holiday photo.jpeg", "Annual Report 2023.docx", "notes.txt",
      "a-very-long-file-name-that-goes-on-and-on-without-a-match.tar.gz", "Mörkö.jpg"};
  for (auto _ : state) {
    for (const auto& n : names) benchmark::DoNotOptimize(nrv::MatchesFileMask(mask, n));
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * names.size()));
  state.SetLabel(mask);
}
BENCHMARK(BM_FileMask)->DenseRange(0, 3);

// A folder of 10,000 small files in 100 subfolders, removed when the program ends.
class TWalkTree {
 public:
  static constexpr int kFolders = 100;
  static constexpr int kFilesPerFolder = 100;

  TWalkTree() {
    std::string templ =
        (std::filesystem::temp_directory_path() / "norvalis-walk-XXXXXX").string();
    if (mkdtemp(templ.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = templ;
    for (int d = 0; d < kFolders; ++d) {
      const auto folder = std::filesystem::path(path_) / ("folder" + std::to_string(d));
      std::filesystem::create_directory(folder);
      for (int f = 0; f < kFilesPerFolder; ++f) {
        std::ofstream(folder / ("file" + std::to_string(f) + ".dat"), std::ios::binary)
            << d << '/' << f;
      }
    }
  }
  ~TWalkTree() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

void BM_WalkTenThousandFiles(benchmark::State& state) {
  static const TWalkTree tree;
  nrv::TScanEngine engine;
  nrv::RegisterScanModes(engine);
  nrv::TScanConfig config;
  config.IncludePaths = {tree.Path()};
  config.CacheFileInfo = false;
  // The name mode compares names only, so the scan is the walk and the grouping
  // without reading any content.
  engine.SetScanMode(2);
  for (auto _ : state) {
    engine.InitializeScan(config);
    engine.StartScan();
    engine.WaitForScan();
    benchmark::DoNotOptimize(engine.GetGroups().size());
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * TWalkTree::kFolders *
                          TWalkTree::kFilesPerFolder);
}
BENCHMARK(BM_WalkTenThousandFiles)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
