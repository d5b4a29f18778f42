#pragma once
#include <cstddef>
#include <functional>

namespace nrv {

// Runs task(i) for every i in [0, count) on `threads` threads (the caller's
// thread is one of them). Tasks are taken in index order, so callers sort them
// in the order the disk serves best.
void ParallelFor(size_t count, unsigned threads, const std::function<void(size_t)>& task);

}  // namespace nrv
