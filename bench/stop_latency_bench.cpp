// How long a scan takes to wind down after a stop request, in each stage: the
// time from StopScan to the announced end of the scan. Measured on a tree of
// large files whose first blocks agree, so that whole files are being read and
// hashed (or compared byte by byte) when the request comes.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>

#include "engine/scan_engine.h"
#include "scanners/register_scan_modes.h"

namespace {

// 64 files of 16 MiB in pairs, equal in their first 4 KiB; 24 folders of small
// files for the walk. Built once under /var/tmp and reused.
const std::string& StopTree() {
  static const std::string root = [] {
    const char* base = std::getenv("NORVALIS_BENCH_DIR");
    std::string dir = std::string(base ? base : "/var/tmp/norvalis-bench") + "/stop-latency";
    if (std::filesystem::exists(dir + "/done")) return dir;
    std::filesystem::create_directories(dir + "/big");
    std::mt19937_64 rng(7);
    std::string head(4096, 'h');
    std::string body(16 << 20, '\0');
    for (int pair = 0; pair < 32; ++pair) {
      for (auto& c : body) c = static_cast<char>(rng());
      for (int copy = 0; copy < 2; ++copy) {
        std::ofstream(dir + "/big/f" + std::to_string(pair) + "-" + std::to_string(copy),
                      std::ios::binary)
            << head << body;
      }
    }
    for (int d = 0; d < 24; ++d) {
      std::string sub = dir + "/small/d" + std::to_string(d);
      std::filesystem::create_directories(sub);
      for (int f = 0; f < 500; ++f) std::ofstream(sub + "/s" + std::to_string(f)) << f % 37;
    }
    std::ofstream(dir + "/done") << "1";
    return dir;
  }();
  return root;
}

// Arguments: scan mode, milliseconds after the start at which the stop comes.
void BM_StopLatency(benchmark::State& state) {
  const std::string& tree = StopTree();
  nrv::TScanEngine engine;
  nrv::RegisterScanModes(engine);
  engine.SetScanMode(static_cast<int>(state.range(0)));
  nrv::TScanConfig config;
  config.IncludePaths = {tree};
  config.CacheFileInfo = false;
  for (auto _ : state) {
    engine.InitializeScan(config);
    engine.StartScan();
    std::this_thread::sleep_for(std::chrono::milliseconds(state.range(1)));
    const auto stage = engine.GetStatus();
    const auto t0 = std::chrono::steady_clock::now();
    engine.StopScan();
    engine.WaitForScan();
    const auto t1 = std::chrono::steady_clock::now();
    state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
    state.counters["stage"] = static_cast<double>(stage);
  }
}
BENCHMARK(BM_StopLatency)
    ->ArgsProduct({{0, 1}, {1, 20, 150, 400}})
    ->ArgNames({"mode", "after_ms"})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace
