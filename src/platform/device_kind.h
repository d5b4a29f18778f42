#pragma once
#include <sys/types.h>

namespace nrv::platform {

// How many files of one device are best read at once: one for a rotating disk
// (parallel reads would make its head seek back and forth), several for solid
// state and network storage, where more requests in flight are faster.
unsigned ReaderThreadsFor(dev_t device);

}  // namespace nrv::platform
