#include <gtest/gtest.h>

#include "platform/path_forms.h"

namespace nrv::platform {
namespace {

TEST(PlatformPathForms, DisplayFormKeepsEveryByte) {
  // Not valid UTF-8: a Linux name may hold any byte but "/" and NUL.
  const std::string raw = "/data/caf\xe9/\xff\xfe name.txt";
  EXPECT_EQ(ToDisplayPath(raw), raw);
  EXPECT_EQ(ToDisplayPath("/a/b/"), "/a/b/");
}

TEST(PlatformPathForms, TrailingSeparator) {
  struct Case {
    std::string path, with, without;
  };
  const Case cases[] = {
      {"/", "/", "/"},
      {"//", "//", "/"},
      {"/home/u", "/home/u/", "/home/u"},
      {"/home/u/", "/home/u/", "/home/u"},
      {"/home/u///", "/home/u///", "/home/u"},
      {"rel", "rel/", "rel"},
      {"", "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IncludeTrailingSeparator(c.path), c.with) << c.path;
    EXPECT_EQ(ExcludeTrailingSeparator(c.path), c.without) << c.path;
  }
}

TEST(PlatformPathForms, NameFolderAndExtension) {
  struct Case {
    std::string path, name, folder, ext;
  };
  const Case cases[] = {
      {"/a/b/photo.jpg", "photo.jpg", "/a/b/", ".jpg"},
      {"/a/b/archive.tar.gz", "archive.tar.gz", "/a/b/", ".gz"},
      {"/a/b/README", "README", "/a/b/", ""},
      {"/home/u/.bashrc", ".bashrc", "/home/u/", ""},
      {"/home/u/.config.bak", ".config.bak", "/home/u/", ".bak"},
      {"/a/dir.d/file", "file", "/a/dir.d/", ""},
      {"/a/b/", "", "/a/b/", ""},
      {"/x", "x", "/", ""},
      {"name.txt", "name.txt", "", ".txt"},
      {"/a/\xff.\xfe", "\xff.\xfe", "/a/", ".\xfe"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExtractFileName(c.path), c.name) << c.path;
    EXPECT_EQ(ExtractFilePath(c.path), c.folder) << c.path;
    EXPECT_EQ(ExtractFileExt(c.path), c.ext) << c.path;
  }
}

}  // namespace
}  // namespace nrv::platform
