#include "platform/device_kind.h"

#include <sys/sysmacros.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <memory>
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

unsigned ReaderThreadsFor(dev_t) {
  return std::max(2u, std::thread::hardware_concurrency());
}

std::mutex* DiskLockFor(dev_t device) {
  static std::mutex guard;
  static std::map<dev_t, std::unique_ptr<std::mutex>>* locks =
      new std::map<dev_t, std::unique_ptr<std::mutex>>();  // never freed: readers may outlive statics
  std::lock_guard lock(guard);
  auto it = locks->find(device);
  if (it == locks->end()) {
    std::unique_ptr<std::mutex> m;
    if (Rotational(device) == 1) m = std::make_unique<std::mutex>();
    it = locks->emplace(device, std::move(m)).first;
  }
  return it->second.get();
}

}  // namespace nrv::platform
