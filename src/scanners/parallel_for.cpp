#include "scanners/parallel_for.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace nrv {

void ParallelFor(size_t count, unsigned threads, const std::function<void(size_t)>& task) {
  std::atomic<size_t> next{0};
  auto work = [&] {
    for (size_t i = next++; i < count; i = next++) task(i);
  };
  threads = std::max(1u, threads);
  const unsigned extra = count ? static_cast<unsigned>(std::min<size_t>(threads, count)) - 1 : 0;
  std::vector<std::thread> pool;
  pool.reserve(extra);
  for (unsigned t = 0; t < extra; ++t) pool.emplace_back(work);
  work();
  for (auto& t : pool) t.join();
}

}  // namespace nrv
