#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "scanners/file_hasher.h"
#include "scanners/file_reader.h"

namespace nrv {
namespace {

// Digest computed by OpenSSL's one-shot call, independent of the code under test.
std::string OneShotSha256(const std::string& bytes) {
  unsigned char md[EVP_MAX_MD_SIZE];
  unsigned int len = 0;
  EXPECT_EQ(EVP_Digest(bytes.data(), bytes.size(), md, &len, EVP_sha256(), nullptr), 1);
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned int i = 0; i < len; ++i) {
    hex += kDigits[md[i] >> 4];
    hex += kDigits[md[i] & 0x0f];
  }
  return hex;
}

std::string RandomBytes(size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(gen() & 0xff);
  return s;
}

class FileHasherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/nrv-hash-XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string Write(const std::string& name, const std::string& bytes) {
    std::string path = dir_ + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  std::string dir_;
};

TEST_F(FileHasherTest, KnownDigests) {
  struct Case {
    std::string content;
    std::string digest;
  } cases[] = {
      {"", kEmptySha256},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.content);
    std::string path = Write("f", c.content);
    THashResult first = Sha256OfFirstBlock(path);
    THashResult whole = Sha256OfFile(path, {});
    for (const THashResult& r : {first, whole}) {
      EXPECT_TRUE(r.ok) << r.error;
      EXPECT_EQ(r.digest, c.digest);
      EXPECT_EQ(r.bytes_read, static_cast<int64_t>(c.content.size()));
      EXPECT_FALSE(r.stopped);
    }
    EXPECT_FALSE(whole.changed);
  }
}

TEST_F(FileHasherTest, FirstBlockCoversOnlyTheFirst4096Bytes) {
  std::string bytes = RandomBytes(4096 + 1, 1);
  std::string path = Write("f", bytes);
  THashResult first = Sha256OfFirstBlock(path);
  ASSERT_TRUE(first.ok) << first.error;
  EXPECT_EQ(first.bytes_read, 4096);
  EXPECT_EQ(first.digest, OneShotSha256(bytes.substr(0, 4096)));
  EXPECT_EQ(first.size, 4097);
  THashResult whole = Sha256OfFile(path, {});
  EXPECT_EQ(whole.digest, OneShotSha256(bytes));
  EXPECT_NE(whole.digest, first.digest);
}

// Sizes around the 4 MiB block: an exact multiple ends on an empty read, the
// others on a short one.
TEST_F(FileHasherTest, WholeFileEqualsOneShotDigest) {
  for (size_t size : {kHashBlockSize, kHashBlockSize + 1, 2 * kHashBlockSize + 123}) {
    SCOPED_TRACE(size);
    std::string bytes = RandomBytes(size, static_cast<unsigned>(size));
    std::string path = Write("big", bytes);
    std::vector<int64_t> progress;
    THashResult r = Sha256OfFile(
        path, [] { return false; }, [&](int64_t n) { progress.push_back(n); });
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.digest, OneShotSha256(bytes));
    EXPECT_EQ(r.bytes_read, static_cast<int64_t>(size));
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), static_cast<int64_t>(size));
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_FALSE(r.changed);
  }
}

TEST_F(FileHasherTest, StopEndsReadingWithoutDigest) {
  std::string path = Write("big", RandomBytes(2 * kHashBlockSize + 5, 7));
  int asked = 0;
  // Stop before the second block.
  THashResult r = Sha256OfFile(path, [&] { return ++asked > 1; });
  EXPECT_TRUE(r.stopped);
  EXPECT_FALSE(r.ok);
  EXPECT_TRUE(r.digest.empty());
  EXPECT_EQ(r.bytes_read, static_cast<int64_t>(kHashBlockSize));

  THashResult at_once = Sha256OfFile(path, [] { return true; });
  EXPECT_TRUE(at_once.stopped);
  EXPECT_TRUE(at_once.digest.empty());
  EXPECT_EQ(at_once.bytes_read, 0);
}

// Nothing but a regular file is read; a FIFO without writer would block a plain
// open or read forever.
TEST_F(FileHasherTest, RefusesWhatIsNotAReadableRegularFile) {
  std::string target = Write("target", "abc");
  std::string fifo = dir_ + "/fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::string link = dir_ + "/link";
  ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
  std::string sub = dir_ + "/sub";
  ASSERT_EQ(::mkdir(sub.c_str(), 0700), 0);

  for (const std::string& path : {fifo, link, sub, dir_ + "/missing"}) {
    SCOPED_TRACE(path);
    THashResult first = Sha256OfFirstBlock(path);
    THashResult whole = Sha256OfFile(path, {});
    for (const THashResult& r : {first, whole}) {
      EXPECT_FALSE(r.ok);
      EXPECT_FALSE(r.stopped);
      EXPECT_TRUE(r.digest.empty());
      EXPECT_FALSE(r.error.empty());
    }
  }
  EXPECT_EQ(Sha256OfFile(fifo, {}).error, "Not a regular file");
  EXPECT_EQ(Sha256OfFile(dir_ + "/missing", {}).error, "No such file or directory");
}

TEST_F(FileHasherTest, ReaderReadsFullBlocksUntilTheEnd) {
  constexpr size_t kBlock = 65521;
  std::string bytes = RandomBytes(3 * kBlock + 10, 3);
  std::string path = Write("f", bytes);
  TFileReader reader;
  ASSERT_TRUE(reader.Open(path)) << reader.Error();
  EXPECT_EQ(reader.Size(), static_cast<int64_t>(bytes.size()));
  std::string got;
  std::vector<int64_t> lengths;
  std::vector<char> buf(kBlock);
  for (;;) {
    int64_t n = reader.Read(buf.data(), kBlock);
    ASSERT_GE(n, 0) << reader.Error();
    lengths.push_back(n);
    if (n == 0) break;
    got.append(buf.data(), static_cast<size_t>(n));
  }
  EXPECT_EQ(got, bytes);
  EXPECT_EQ(lengths, (std::vector<int64_t>{kBlock, kBlock, kBlock, 10, 0}));

  TFileReader moved = std::move(reader);
  EXPECT_FALSE(reader.IsOpen());
  EXPECT_TRUE(moved.IsOpen());
}

}  // namespace
}  // namespace nrv
