// The local scanner's file operations and their undo on real files, with a
// temporary XDG_DATA_HOME for the trash.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <memory>

#include "engine/group.h"
#include "platform/drives.h"
#include "platform/path_forms.h"
#include "scan_test_support.h"
#include "scanners/local_file.h"
#include "scanners/local_folder.h"
#include "services/app_log.h"
#include "platform_test_support.h"

namespace nrv::testing {
namespace {

using platform::testing::Present;
using platform::testing::ReadAll;

bool IsLink(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

class LocalFileOperations : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterScanModes(engine);
    engine.SetScanMode(0);
    scanner = engine.GetScanner();
    ASSERT_NE(scanner, nullptr);
  }
  // An item for the file at dir/name, as the walk would make it.
  IFileInfoPtr Item(const std::string& name) { return ItemIn(dir, name); }
  static IFileInfoPtr ItemIn(const TTempDir& folder, const std::string& name) {
    const std::string full = folder / name;
    TLocalEntryInfo entry;
    entry.name = platform::ExtractFileName(full);
    return std::make_shared<TLocalFile>(
        std::make_shared<TLocalFolder>(platform::ExtractFilePath(full)), entry);
  }
  // A group of items, the way a scan hands them over.
  std::shared_ptr<TGroup> Group(std::initializer_list<IFileInfoPtr> items) {
    auto g = std::make_shared<TGroup>();
    for (const auto& f : items) g->Add(f);
    groups.push_back(g);
    return g;
  }
  TTempDir dir;
  TTempDir data;
  TScopedEnv env{"XDG_DATA_HOME", data.Path()};
  TScanEngine engine;
  IScannerPtr scanner;
  std::vector<std::shared_ptr<TGroup>> groups;
};

TEST_F(LocalFileOperations, DeletePermanently) {
  dir.WriteFile("a.txt");
  auto a = Item("a.txt");
  EXPECT_TRUE(scanner->DeleteFile(a, true));
  EXPECT_FALSE(Present(a->GetFullName()));
  EXPECT_TRUE(scanner->DeleteFile(a, true)) << "a file that is gone counts as deleted";

  // A dangling link is deleted as the link; Exists() alone would call it gone.
  ASSERT_EQ(symlink("/nonexistent", (dir / "l").c_str()), 0);
  EXPECT_TRUE(scanner->DeleteFile(Item("l"), true));
  EXPECT_FALSE(Present(dir / "l"));

  // A folder that took the file's name is not the file: left alone.
  dir.MakeDir("d");
  EXPECT_TRUE(scanner->DeleteFile(Item("d"), true));
  EXPECT_TRUE(Present(dir / "d"));
}

TEST_F(LocalFileOperations, TrashAndUndelete) {
  dir.MakeDir("sub");
  dir.WriteFile("sub/a.txt", "content");
  auto a = Item("sub/a.txt");
  ASSERT_TRUE(scanner->DeleteFile(a, false));
  EXPECT_EQ(a->GetDestLocation(), data / "Trash/files/a.txt");
  EXPECT_FALSE(Present(a->GetFullName()));

  ASSERT_TRUE(scanner->UnDeleteFile(a, false));
  EXPECT_EQ(ReadAll(a->GetFullName()), "content");
  EXPECT_FALSE(Present(data / "Trash/files/a.txt"));
  EXPECT_FALSE(Present(data / "Trash/info/a.txt.trashinfo"));
  EXPECT_TRUE(scanner->UnDeleteFile(a, false)) << "an item that exists needs nothing";

  // Trashed again, a new file in its place blocks the undo and both are kept.
  ASSERT_TRUE(scanner->DeleteFile(a, false));
  dir.WriteFile("sub/a.txt", "newer");
  a->SetDestLocation(data / "Trash/files/a.txt");
  EXPECT_TRUE(scanner->UnDeleteFile(a, false));  // exists: nothing to do
  ASSERT_EQ(unlink(a->GetFullName().c_str()), 0);
  ASSERT_EQ(symlink("/nonexistent", a->GetFullName().c_str()), 0);  // taken, yet not "existing"
  EXPECT_FALSE(scanner->UnDeleteFile(a, false));
  EXPECT_TRUE(IsLink(a->GetFullName()));
  EXPECT_EQ(ReadAll(data / "Trash/files/a.txt"), "content");
}

TEST_F(LocalFileOperations, TrashOfAVanishedFileKeepsTheDestination) {
  auto gone = Item("gone.txt");
  gone->SetDestLocation("earlier");
  EXPECT_TRUE(scanner->DeleteFile(gone, false));
  EXPECT_EQ(gone->GetDestLocation(), "earlier");
}

TEST_F(LocalFileOperations, TrashFailureKeepsTheFile) {
  dir.WriteFile("a.txt", "keep");
  std::ofstream(data / "Trash") << "not a folder";
  auto a = Item("a.txt");
  EXPECT_FALSE(scanner->DeleteFile(a, false));
  EXPECT_EQ(ReadAll(a->GetFullName()), "keep");
  EXPECT_EQ(a->GetDestLocation(), "");
}

TEST_F(LocalFileOperations, UndeletePermanentlyCopiesAnotherMember) {
  dir.WriteFile("b.txt", "same");
  dir.WriteFile("a.txt", "same");
  auto a = Item("a.txt"), b = Item("b.txt");
  Group({a, b});
  ASSERT_TRUE(scanner->DeleteFile(b, true));
  ASSERT_TRUE(scanner->UnDeleteFile(b, true));
  EXPECT_EQ(ReadAll(b->GetFullName()), "same");

  // With the whole group gone there is nothing to copy from.
  ASSERT_TRUE(scanner->DeleteFile(a, true));
  ASSERT_TRUE(scanner->DeleteFile(b, true));
  EXPECT_FALSE(scanner->UnDeleteFile(b, true));
  EXPECT_FALSE(Present(b->GetFullName()));
}

TEST_F(LocalFileOperations, MoveWithAndWithoutFolderStructureAndPutBack) {
  dir.MakeDir("src/deep");
  dir.MakeDir("dest");
  auto dest = std::make_shared<TLocalFolder>(dir / "dest");
  const std::string full = dir / "src/deep/a.txt";
  const std::string mount = platform::IncludeTrailingSeparator(platform::GetDisplayDrive(full));
  struct {
    bool keep;
    std::string target;
  } cases[] = {
      {false, dest->GetName() + "a.txt"},
      {true, dest->GetName() + full.substr(mount.size())},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keep);
    dir.WriteFile("src/deep/a.txt", "moved");
    auto a = Item("src/deep/a.txt");
    ASSERT_TRUE(scanner->MoveFile(a, dest, c.keep));
    EXPECT_EQ(a->GetDestLocation(), c.target);
    EXPECT_EQ(ReadAll(c.target), "moved");
    EXPECT_FALSE(Present(full));

    ASSERT_TRUE(scanner->PutBack(a));
    EXPECT_EQ(ReadAll(full), "moved");
    EXPECT_FALSE(Present(c.target));

    // Moved again, a new file at the old place blocks putting it back.
    ASSERT_TRUE(scanner->MoveFile(a, dest, c.keep));
    dir.WriteFile("src/deep/a.txt", "newer");
    EXPECT_FALSE(scanner->PutBack(a));
    EXPECT_EQ(ReadAll(full), "newer");
    EXPECT_EQ(ReadAll(c.target), "moved");
    ASSERT_EQ(unlink(c.target.c_str()), 0);
    ASSERT_EQ(unlink(full.c_str()), 0);
  }
  EXPECT_FALSE(scanner->MoveFile(Item("src/deep/a.txt"),
                                 std::make_shared<TLocalFolder>(dir / "no such folder"), false));
}

TEST_F(LocalFileOperations, MoveNeverReplacesTheTarget) {
  AppLog().Initialize(dir / "log", 0, TLogLevel::All);
  struct TLogBack {
    ~TLogBack() { AppLog().Initialize("", 0, TLogLevel::All); }
  } log_back;
  dir.MakeDir("dest");
  dir.WriteFile("a.txt", "mine");
  dir.WriteFile("dest/a.txt", "theirs");
  auto a = Item("a.txt");
  EXPECT_FALSE(scanner->MoveFile(a, std::make_shared<TLocalFolder>(dir / "dest"), false));
  EXPECT_EQ(ReadAll(dir / "a.txt"), "mine");
  EXPECT_EQ(ReadAll(dir / "dest/a.txt"), "theirs");
  EXPECT_EQ(a->GetDestLocation(), "");

  AppLog().Flush();
  std::string raw = ReadAll(AppLog().LogFileName()), text;
  for (size_t i = 0; i + 1 < raw.size(); i += 2) text += raw[i];  // ASCII of UTF-16LE
  EXPECT_NE(text.find("Target file already exists: " + dir / "dest/a.txt"), std::string::npos);
}

TEST_F(LocalFileOperations, RenameAvoidsTakenNamesAndRestores) {
  struct {
    std::vector<std::string> existing;
    std::string new_name, result;
  } cases[] = {
      {{}, "new.txt", "new.txt"},
      {{"doc.txt", "doc (1).txt"}, "doc.txt", "doc (2).txt"},
      {{"readme"}, "readme", "readme (1)"},
      {{"x.tar.gz"}, "x.tar.gz", "x.tar (1).gz"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.new_name);
    TTempDir d;
    for (const auto& e : c.existing) d.WriteFile(e, "other");
    d.WriteFile("item.bin", "item");
    auto f = ItemIn(d, "item.bin");

    ASSERT_TRUE(scanner->Rename(f, c.new_name));
    EXPECT_EQ(f->GetDestLocation(), d / c.result);
    EXPECT_EQ(ReadAll(d / c.result), "item");
    for (const auto& e : c.existing) EXPECT_EQ(ReadAll(d / e), "other");

    ASSERT_TRUE(scanner->RestoreName(f));
    EXPECT_EQ(ReadAll(d / "item.bin"), "item");
    EXPECT_FALSE(Present(d / c.result));
  }
}

TEST_F(LocalFileOperations, RenameEdgeCases) {
  dir.WriteFile("a.txt", "a");
  auto a = Item("a.txt");
  EXPECT_TRUE(scanner->Rename(a, "a.txt"));
  EXPECT_EQ(a->GetDestLocation(), "");
  EXPECT_FALSE(scanner->Rename(a, "../escape.txt"));
  EXPECT_FALSE(scanner->Rename(Item("missing.txt"), "b.txt"));
  EXPECT_EQ(ReadAll(dir / "a.txt"), "a");

  // Undoing a rename never replaces a file that took the old name meanwhile.
  ASSERT_TRUE(scanner->Rename(a, "b.txt"));
  dir.WriteFile("a.txt", "newer");
  EXPECT_FALSE(scanner->RestoreName(a));
  EXPECT_EQ(ReadAll(dir / "a.txt"), "newer");
  EXPECT_EQ(ReadAll(dir / "b.txt"), "a");
}

// The link comes first in group order ("b" before "a"), so the first existing
// member is the link itself; unlinking must copy from the other member.
TEST_F(LocalFileOperations, LinkToOriginalAndUnlink) {
  dir.WriteFile("a.txt", "same");
  dir.WriteFile("b.txt", "same");
  auto a = Item("a.txt"), b = Item("b.txt");
  Group({b, a});
  b->SetChecked(true);

  EXPECT_FALSE(scanner->Unlink(b)) << "not a link yet";
  EXPECT_EQ(ReadAll(dir / "b.txt"), "same");

  ASSERT_TRUE(scanner->LinkToOriginal(b));
  EXPECT_TRUE(IsLink(dir / "b.txt"));
  EXPECT_EQ(ReadAll(dir / "b.txt"), "same");

  ASSERT_TRUE(scanner->Unlink(b));
  EXPECT_FALSE(IsLink(dir / "b.txt"));
  EXPECT_EQ(ReadAll(dir / "b.txt"), "same");
  EXPECT_FALSE(Present(dir / "b.txt.slt"));
  EXPECT_EQ(ReadAll(dir / "a.txt"), "same");

  // Without another member there is no original to link to.
  dir.WriteFile("c.txt", "alone");
  auto c = Item("c.txt");
  Group({c});
  EXPECT_FALSE(scanner->LinkToOriginal(c));
  EXPECT_FALSE(scanner->LinkToOriginal(Item("d.txt"))) << "no group at all";
  EXPECT_EQ(ReadAll(dir / "c.txt"), "alone");
}

}  // namespace
}  // namespace nrv::testing
