#include "platform/device_kind.h"

#include <sys/sysmacros.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <thread>

namespace nrv::platform {

namespace {

// 1 rotating, 0 not, -1 unknown (network and virtual file systems have no
// block device of their own).
int Rotational(dev_t device) {
  const std::string base =
      "/sys/dev/block/" + std::to_string(major(device)) + ":" + std::to_string(minor(device));
  // A partition keeps its queue settings in the parent disk's folder.
  for (const char* rel : {"/queue/rotational", "/../queue/rotational"}) {
    std::ifstream in(base + rel);
    int value = -1;
    if (in >> value) return value;
  }
  return -1;
}

}  // namespace

unsigned ReaderThreadsFor(dev_t device) {
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  if (Rotational(device) == 1) return 1;
  return std::max(2u, cores);
}

}  // namespace nrv::platform
