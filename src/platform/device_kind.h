#pragma once
#include <sys/types.h>

#include <mutex>

namespace nrv::platform {

// How many threads read and hash files of one device: one per core. Reads that
// must wait for a rotating disk take turns (DiskLockFor), so its head does not
// seek back and forth between files, while data already in memory is hashed in
// parallel.
unsigned ReaderThreadsFor(dev_t device);
// The lock that serialises reads of a rotating disk; null for solid state,
// network and virtual storage.
std::mutex* DiskLockFor(dev_t device);

}  // namespace nrv::platform
