#pragma once
// Small helpers shared by the platform tests: a real temporary folder and an
// environment variable changed for the length of one test.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

namespace nrv::platform::testing {

class TTempDir {
 public:
  TTempDir() {
    std::string templ = (std::filesystem::temp_directory_path() / "nrv-platform-XXXXXX").string();
    if (mkdtemp(templ.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
    path_ = templ;
  }
  ~TTempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;

  // The folder, without trailing "/".
  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

  std::string WriteFile(const std::string& name, const std::string& content = "x") const {
    const std::string p = *this / name;
    std::ofstream(p, std::ios::binary) << content;
    return p;
  }
  std::string MakeDir(const std::string& name) const {
    const std::string p = *this / name;
    std::filesystem::create_directories(p);
    return p;
  }

 private:
  std::string path_;
};

// The whole content of a file ("" when it cannot be read).
inline std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The entry exists, without following a symbolic link.
inline bool Present(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0;
}

class TScopedEnv {
 public:
  TScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = getenv(name)) old_ = old;
    setenv(name, value.c_str(), 1);
  }
  ~TScopedEnv() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }
  TScopedEnv(const TScopedEnv&) = delete;
  TScopedEnv& operator=(const TScopedEnv&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

}  // namespace nrv::platform::testing
