// Actions on duplicates on real files: what each changes on disk and in the
// results, what it refuses to touch, and that undo takes it back.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "action_test_support.h"

namespace nrv::testing {
namespace {

namespace fs = std::filesystem;

// Some file below `folder` with the given content, or "" when there is none.
std::string FindContent(const std::string& folder, const std::string& content) {
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::end(it);
       it.increment(ec)) {
    if (it->is_regular_file() && ReadAll(it->path().string()) == content) return it->path();
  }
  return {};
}

class DeleteTest : public ActionTest, public ::testing::WithParamInterface<bool> {};

TEST_P(DeleteTest, DeletesTheCheckedDuplicateRemovesEmptiedFoldersAndUndoes) {
  const bool permanently = GetParam();
  auto kept = Put(dir, "keep/a.txt", "alpha");
  dir.MakeDir("gone/deeper");
  auto doomed = Put(dir, "gone/deeper/a.txt", "alpha");
  auto other = Put(dir, "keep/b.txt", "beta");
  Put(dir, "keep/c.txt", "beta");
  Scan(/*remove_empty_folders=*/true);
  Check({doomed});

  engine.DeleteSelected(permanently, Recorder(), Waiter());

  EXPECT_FALSE(PathExists(doomed));
  EXPECT_FALSE(PathExists(dir / "gone")) << "the emptied folder and its emptied parent go too";
  EXPECT_EQ(ReadAll(kept), "alpha");
  EXPECT_EQ(ReadAll(other), "beta");
  if (!permanently) {
    EXPECT_NE(FindContent(data / "Trash/files", "alpha"), "");
  }
  auto item = Item(doomed);
  EXPECT_TRUE(item->IsResolved());
  EXPECT_FALSE(item->IsChecked());
  EXPECT_FALSE(Item(kept)->IsResolved());
  ASSERT_EQ(engine.GetUndoStack().size(), 1u);
  EXPECT_EQ(engine.GetUndoStack().back().ResolveAction,
            permanently ? TResolveAction::raDeletePermanently : TResolveAction::raMoveToTrash);
  ASSERT_GE(reports.size(), 2u);
  EXPECT_EQ(reports.front().Current, 0);
  EXPECT_EQ(Last().TotalItems, 1);
  EXPECT_EQ(Last().Current, 1);
  EXPECT_EQ(Last().Failed, 0);
  EXPECT_FALSE(foreign_thread_report);

  reports.clear();
  engine.UndoLastAction(Recorder(), Waiter());

  EXPECT_EQ(ReadAll(doomed), "alpha");
  EXPECT_FALSE(item->IsResolved());
  EXPECT_FALSE(item->IsChecked()) << "undo leaves check marks alone";
  EXPECT_TRUE(engine.GetUndoStack().empty());
  if (!permanently) {
    EXPECT_EQ(FindContent(data / "Trash/files", "alpha"), "");
  }
  ASSERT_FALSE(reports.empty());
  EXPECT_EQ(Last().Current, 1);
  EXPECT_EQ(Last().Failed, 0);
  EXPECT_FALSE(foreign_thread_report);
}

INSTANTIATE_TEST_SUITE_P(PermanentlyAndToTrash, DeleteTest, ::testing::Bool());

// A duplicate whose data changed after the scan may no longer be a duplicate at
// all: it is never deleted or replaced, and stays checked for the user to see.
TEST_F(ActionTest, FilesChangedAfterTheScanAreLeftAlone) {
  auto a1 = Put(dir, "a1.txt", "alpha");
  auto a2 = Put(dir, "a2.txt", "alpha");
  auto b1 = Put(dir, "b1.txt", "bravo");
  auto b2 = Put(dir, "b2.txt", "bravo");
  Scan();
  Check({a2, b2});
  Put(dir, "a2.txt", "alpha, and then some");  // another size
  struct timespec times[2] = {{0, UTIME_OMIT}, {1'000'000, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, b2.c_str(), times, 0), 0);  // same size, another time

  for (bool replace : {false, true}) {
    SCOPED_TRACE(replace ? "replace with link" : "delete");
    reports.clear();
    if (replace) {
      engine.ReplaceSelected(Recorder(), Waiter());
    } else {
      engine.DeleteSelected(true, Recorder(), Waiter());
    }
    EXPECT_EQ(ReadAll(a2), "alpha, and then some");
    EXPECT_FALSE(IsSymlink(b2));
    EXPECT_EQ(ReadAll(b2), "bravo");
    for (const auto& path : {a2, b2}) {
      EXPECT_TRUE(Item(path)->IsChecked());
      EXPECT_FALSE(Item(path)->IsResolved());
    }
    EXPECT_EQ(Last().Failed, 2);
    EXPECT_TRUE(engine.GetUndoStack().empty());
  }
  EXPECT_EQ(ReadAll(a1), "alpha");
  EXPECT_EQ(ReadAll(b1), "bravo");
}

// Even when the caller skipped the safety check, the last copy of a group stays.
TEST_F(ActionTest, AGroupWithEveryMemberCheckedKeepsItsFiles) {
  auto a1 = Put(dir, "a1.txt", "alpha");
  auto a2 = Put(dir, "a2.txt", "alpha");
  Scan();
  engine.AutoSelect(2);
  engine.DeleteSelected(true, Recorder());
  EXPECT_EQ(ReadAll(a1), "alpha");
  EXPECT_EQ(ReadAll(a2), "alpha");
  EXPECT_EQ(Last().Failed, 2);
  EXPECT_TRUE(Item(a1)->IsChecked());
  EXPECT_TRUE(Item(a2)->IsChecked());
}

TEST_F(ActionTest, MembersHiddenByTheFileTypeFilterAreNotTouched) {
  auto t1 = Put(dir, "t1.txt", "text");
  auto t2 = Put(dir, "t2.txt", "text");
  auto p1 = Put(dir, "p1.jpg", "picture");
  auto p2 = Put(dir, "p2.jpg", "picture");
  Scan();
  Check({t2, p2});
  engine.SetFilterCategory(TFileCategory::fcPictures);
  engine.DeleteSelected(true, Recorder());
  EXPECT_EQ(ReadAll(t2), "text");
  EXPECT_FALSE(PathExists(p2));
  EXPECT_EQ(Last().TotalItems, 1);
  EXPECT_TRUE(PathExists(t1) && PathExists(p1));
}

class MoveTest : public ActionTest, public ::testing::WithParamInterface<bool> {};

TEST_P(MoveTest, MovesIntoTheFolderAndPutsBack) {
  const bool keep_structure = GetParam();
  auto kept = Put(dir, "keep/a.txt", "alpha");
  dir.MakeDir("src/deep/er");
  auto moved = Put(dir, "src/deep/er/a.txt", "alpha");
  const std::string dest_path = dir.MakeDir("dest") + "/";
  Scan(/*remove_empty_folders=*/true);
  Check({moved});
  auto dest = engine.GetFolderByName(dest_path);
  ASSERT_TRUE(dest);

  engine.MoveSelected(dest, keep_structure, Recorder(), Waiter());

  // With the structure, the whole path below the root is kept under the destination.
  const std::string target = keep_structure ? dest_path + moved.substr(1) : dest_path + "a.txt";
  EXPECT_EQ(ReadAll(target), "alpha");
  EXPECT_FALSE(PathExists(moved));
  EXPECT_FALSE(PathExists(dir / "src"));
  EXPECT_TRUE(Item(moved)->IsResolved());
  EXPECT_EQ(Last().Failed, 0);
  ASSERT_EQ(engine.GetUndoStack().size(), 1u);
  EXPECT_EQ(engine.GetUndoStack().back().ResolveAction, TResolveAction::raMoveToFolder);

  engine.UndoLastAction(Recorder(), Waiter());

  EXPECT_EQ(ReadAll(moved), "alpha");
  EXPECT_FALSE(PathExists(target));
  // The destination folders the undo emptied are removed as well.
  EXPECT_FALSE(PathExists(dest_path));
  EXPECT_EQ(ReadAll(kept), "alpha");
  EXPECT_FALSE(Item(moved)->IsResolved());
  EXPECT_FALSE(foreign_thread_report);
}

INSTANTIATE_TEST_SUITE_P(FlatAndWithStructure, MoveTest, ::testing::Bool());

TEST_F(ActionTest, RenamesAndRestoresNames) {
  struct Case {
    const char* what;
    const char* original;    // kept, in "one/"
    const char* duplicate;   // renamed, in "two/"
    const char* in_the_way;  // another file already in "two/", or ""
    const char* add_text;
    bool name_as_original, use_suffix;
    const char* expected;
  } cases[] = {
      {"suffix", "x.txt", "a.txt", "", "_old", false, true, "a_old.txt"},
      {"prefix", "x.txt", "a.txt", "", "_old", false, false, "_olda.txt"},
      {"no extension", "x", "readme", "", "_old", false, true, "readme_old"},
      {"the original's name", "orig.txt", "copy.txt", "", "-2", true, true, "orig-2.txt"},
      {"a clash", "orig.txt", "copy.txt", "orig.txt", "", true, true, "orig (1).txt"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TTempDir tree;
    auto original = Put(tree, std::string("one/") + c.original, "same");
    auto duplicate = Put(tree, std::string("two/") + c.duplicate, "same");
    if (*c.in_the_way) Put(tree, std::string("two/") + c.in_the_way, "unrelated");
    RunScan(engine, 0, ConfigFor({tree.Path()}));
    engine.AutoSelect(1);
    Check({duplicate});

    engine.RenameSelected(c.add_text, c.name_as_original, c.use_suffix, Recorder(), Waiter());

    const std::string renamed = tree / (std::string("two/") + c.expected);
    EXPECT_EQ(ReadAll(renamed), "same");
    EXPECT_FALSE(PathExists(duplicate));
    EXPECT_EQ(ReadAll(original), "same");
    if (*c.in_the_way) {
      EXPECT_EQ(ReadAll(tree / (std::string("two/") + c.in_the_way)), "unrelated");
    }
    EXPECT_TRUE(Item(duplicate)->IsResolved());
    ASSERT_EQ(engine.GetUndoStack().size(), 1u);

    engine.UndoLastAction(Recorder(), Waiter());

    EXPECT_EQ(ReadAll(duplicate), "same");
    EXPECT_FALSE(PathExists(renamed));
    EXPECT_FALSE(Item(duplicate)->IsResolved());
  }
}

// With every member of the group checked there is no original to take the name
// from; the member keeps its own.
TEST_F(ActionTest, RenameAsOriginalWithoutAnOriginalUsesTheOwnName) {
  auto a = Put(dir, "a.txt", "same");
  auto b = Put(dir, "b.txt", "same");
  Scan();
  engine.AutoSelect(2);
  engine.RenameSelected("_dup", true, true, Recorder());
  EXPECT_EQ(Last().Failed, 0);
  EXPECT_EQ(ReadAll(dir / "a_dup.txt"), "same");
  EXPECT_EQ(ReadAll(dir / "b_dup.txt"), "same");
  EXPECT_FALSE(PathExists(a) || PathExists(b));
}

TEST_F(ActionTest, ReplacesWithALinkToTheOriginalAndUnlinks) {
  auto original = Put(dir, "one/a.txt", "alpha");
  auto duplicate = Put(dir, "two/a.txt", "alpha");
  Scan();
  Check({duplicate});

  engine.ReplaceSelected(Recorder(), Waiter());

  ASSERT_TRUE(IsSymlink(duplicate));
  EXPECT_EQ(fs::canonical(duplicate), fs::canonical(original));
  EXPECT_TRUE(Item(duplicate)->IsResolved());
  ASSERT_EQ(engine.GetUndoStack().size(), 1u);
  EXPECT_EQ(engine.GetUndoStack().back().ResolveAction, TResolveAction::raReplaceWithLink);

  engine.UndoLastAction(Recorder(), Waiter());

  EXPECT_FALSE(IsSymlink(duplicate));
  EXPECT_EQ(ReadAll(duplicate), "alpha");
  EXPECT_EQ(ReadAll(original), "alpha");
  EXPECT_FALSE(Item(duplicate)->IsResolved());
}

}  // namespace
}  // namespace nrv::testing
