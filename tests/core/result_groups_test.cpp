#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>

#include "engine/base_file_info.h"
#include "engine/file_category.h"
#include "engine/group.h"
#include "engine/message_bus.h"
#include "engine/messages.h"
#include "engine/scan_engine.h"
#include "scan_test_support.h"

namespace nrv {
namespace {

// An item with a folder, a name, a size, a time and a scan index; the drive is the
// first path component ("/m/a/" lies on "/m").
class TItem : public TBaseFileInfo {
 public:
  TItem(std::string folder, std::string name, int64_t size, int64_t mtime_s, int32_t index)
      : folder_(std::move(folder)),
        name_(std::move(name)),
        size_(size),
        modified_(TDateTime::FromSeconds(mtime_s)) {
    SetIndex(index);
  }
  std::string GetName() const override { return name_; }
  std::string GetBaseName() const override {
    auto dot = name_.rfind('.');
    return dot == std::string::npos || dot == 0 ? name_ : name_.substr(0, dot);
  }
  std::string GetDisplayPath() const override { return folder_; }
  std::string GetDrive() const override { return folder_.substr(0, folder_.find('/', 1)); }
  std::string GetFileType() const override {
    auto dot = name_.rfind('.');
    return dot == std::string::npos ? name_ : name_.substr(dot);
  }
  std::string GetFullName() const override { return folder_ + name_; }
  std::string GetDisplayName() const override { return folder_ + name_; }
  int64_t GetSize() const override { return size_; }
  TDateTime GetModified() const override { return modified_; }
  bool Exists() const override { return true; }
  bool CheckContent() override { return true; }
  bool IsReady() const override { return true; }
  bool IsValid() override { return true; }
  TAttributeValue GetAttributeValue(TSupportedAttribute attr) const override {
    if (attr == TSupportedAttribute::atMaster && master_) return *master_;
    return TBaseFileInfo::GetAttributeValue(attr);
  }
  void SetMaster(bool m) { master_ = m; }

 private:
  std::string folder_, name_;
  int64_t size_;
  TDateTime modified_;
  std::optional<bool> master_;
};
using TItemPtr = std::shared_ptr<TItem>;

TItemPtr Item(std::string folder, std::string name, int64_t mtime_s = 0, int64_t size = 1) {
  static int32_t next_index = 0;
  return std::make_shared<TItem>(std::move(folder), std::move(name), size, mtime_s, next_index++);
}

class TFolder : public IFolder {
 public:
  explicit TFolder(std::string path) : path_(std::move(path)) {}
  std::string GetDisplayName() const override { return path_; }
  std::string GetName() const override { return path_; }
  bool Exists() const override { return true; }
  bool IsEmpty() const override { return false; }
  IFolderPtr GetParent() const override { return nullptr; }
  bool Delete() override { return false; }
  void SetName(const std::string& path) override { path_ = path; }

 private:
  std::string path_;
};

// Orders items by the value of one attribute; everything else a scan mode offers
// is not needed by the results.
class TOrderScanner : public IScanner {
 public:
  explicit TOrderScanner(bool undo) : undo_(undo) {}
  int CompareAttributes(const IFileInfoPtr& l, const IFileInfoPtr& r,
                        TSupportedAttribute a) override {
    auto lv = l->GetAttributeValue(a), rv = r->GetAttributeValue(a);
    return lv < rv ? -1 : (rv < lv ? 1 : 0);
  }
  bool SupportsUndo() override { return undo_; }

  bool ExactMatch() override { return true; }
  std::vector<IFolderPtr> ConvertFolder(const IFolderPtr&) override { return {}; }
  TSettingsInfo GetSettingsInfo() override { return {}; }
  bool SupportsDragDrop() override { return false; }
  bool SupportsMove() override { return false; }
  bool SupportsRename() override { return false; }
  bool SupportsTrash() override { return false; }
  bool SupportsDelete() override { return false; }
  bool SupportsLink() override { return false; }
  bool CheckValidDragDropData(const std::vector<std::string>&) override { return false; }
  bool FolderExists(const IFolderPtr&) override { return false; }
  bool IsAppFolder(const IFolderPtr&) override { return false; }
  bool IsSysFolder(const IFolderPtr&) override { return false; }
  bool IsSysFile(const IFileInfoPtr&) override { return false; }
  bool IsTempFile(const IFileInfoPtr&) override { return false; }
  bool IsJunctionPoint(const IFolderPtr&) override { return false; }
  bool IsTempFolder(const IFolderPtr&) override { return false; }
  bool IsTrashFolder(const IFolderPtr&) override { return false; }
  bool IsHidden(const IFolderPtr&) override { return false; }
  bool IsHidden(const IFileInfoPtr&) override { return false; }
  bool IsSymbolicLink(const IFolderPtr&) override { return false; }
  bool IsSymbolicLink(const IFileInfoPtr&) override { return false; }
  bool IsCompressed(const IFileInfoPtr&) override { return false; }
  bool IsHardLink(const IFileInfoPtr&) override { return false; }
  IFolderPtr GetFolder(const std::string&) override { return nullptr; }
  std::vector<IFolderPtr> GetFolders(const IFolderPtr&) override { return {}; }
  int CompareFiles(const IFileInfoPtr&, const IFileInfoPtr&) override { return 0; }
  TScannerFeatures SupportedFeatures() override { return {}; }
  std::vector<TSupportedAttribute> SupportedAttributes() override { return {}; }
  bool MoveFile(const IFileInfoPtr&, const IFolderPtr&, bool) override { return false; }
  bool DeleteFile(const IFileInfoPtr&, bool) override { return false; }
  bool UnDeleteFile(const IFileInfoPtr&, bool) override { return false; }
  bool PutBack(const IFileInfoPtr&) override { return false; }
  bool LinkToOriginal(const IFileInfoPtr&) override { return false; }
  bool Unlink(const IFileInfoPtr&) override { return false; }
  bool Rename(const IFileInfoPtr&, const std::string&) override { return false; }
  bool RestoreName(const IFileInfoPtr&) override { return false; }
  IFolderPtr GetFolderByName(const std::string&) override { return nullptr; }
  IFolderPtr SelectFolder() override { return nullptr; }
  TProgressMethod ProgressMethod() override { return TProgressMethod::spmScanCount; }
  bool ScanExcludedFolders() override { return false; }
  void Initialize() override {}
  void SelectFolders(std::vector<IFolderPtr>&) override {}
  void ScanFolder(const IFolderPtr&) override {}
  void ShowPreview(const IFileInfoPtr&, IPreviewTarget*) override {}
  void ShowProperties(const IFileInfoPtr&) override {}
  void ShowFile(const IFileInfoPtr&) override {}
  void ShowFileWith(const IFileInfoPtr&) override {}
  void ShowFileLocation(const IFileInfoPtr&) override {}
  void ShowTrashFolder(const IFileInfoPtr&) override {}
  void ClearPreview(IPreviewTarget*) override {}
  void ProcessGroups(std::vector<TGroupPtr>&, std::vector<IFileInfoPtr>&,
                     TScanProgressInfo&) override {}

 private:
  bool undo_;
};

// Counts the messages the engine sends while it lives.
struct TMessageCounter {
  int result_set = 0;
  int selection = 0;
  TMessageBus::TSubscriptionId a, b;
  TMessageCounter() {
    a = MessageBus().Subscribe<TResultSetChanged>(
        [this](const TResultSetChanged&) { ++result_set; });
    b = MessageBus().Subscribe<TSelectionChanged>(
        [this](const TSelectionChanged&) { ++selection; });
  }
  ~TMessageCounter() {
    MessageBus().Unsubscribe(a);
    MessageBus().Unsubscribe(b);
  }
};

class ResultGroups : public ::testing::Test {
 protected:
  void SetUpEngine(bool undo = true) {
    engine_.AddScanner(0, [undo](TScanEngine&) { return std::make_shared<TOrderScanner>(undo); });
    engine_.AddScanner(5, [](TScanEngine&) { return std::make_shared<TOrderScanner>(true); });
    engine_.SetScanMode(0);
  }
  void SetUp() override { SetUpEngine(); }

  // Groups numbered from 1 in the order given.
  void Load(const std::vector<std::vector<TItemPtr>>& groups) {
    std::vector<TGroupPtr> list;
    for (const auto& members : groups) {
      auto g = std::make_shared<TGroup>();
      g->SetGroupNo(static_cast<int32_t>(list.size()) + 1);
      for (const auto& m : members) g->Add(m);
      list.push_back(g);
    }
    engine_.SetResults(std::move(list));
  }

  // The labels of the checked shown items, sorted.
  std::vector<std::string> Checked() {
    std::vector<std::string> out;
    for (const auto& f : engine_.GetFiles()) {
      if (f->IsChecked()) out.push_back(Label(f));
    }
    std::sort(out.begin(), out.end());
    return out;
  }
  std::vector<std::string> Shown() {
    std::vector<std::string> out;
    for (const auto& f : engine_.GetFiles()) out.push_back(Label(f));
    return out;
  }
  std::string Label(const IFileInfoPtr& f) {
    return labels_.count(f.get()) ? labels_[f.get()] : f->GetName();
  }
  TItemPtr Named(std::string label, TItemPtr item) {
    labels_[item.get()] = std::move(label);
    return item;
  }

  TScanEngine engine_;
  std::map<const IFileInfo*, std::string> labels_;
};

using Names = std::vector<std::string>;

TEST(FileCategory, FromExtensionIgnoringCase) {
  struct Case {
    const char* name;
    TFileCategory want;
  } cases[] = {
      {"song.Mp2", TFileCategory::fcMusic},  // in the music and the video list: music wins
      {"clip.mpg", TFileCategory::fcVideo},
      {"backup.tar.gz", TFileCategory::fcArchives},
      {"letter.PDF", TFileCategory::fcDocuments},
      {"résumé.docx", TFileCategory::fcDocuments},
      {"photo.jpeg", TFileCategory::fcPictures},
      {"README", TFileCategory::fcOther},
      {".mp3", TFileCategory::fcOther},  // a hidden name, not an extension
      {"odd;name.ZIP", TFileCategory::fcArchives},
      {"partial.mp", TFileCategory::fcOther},  // only whole entries match
      {"x.xyz", TFileCategory::fcOther},
  };
  for (const auto& c : cases) EXPECT_EQ(GetFileCategory(c.name), c.want) << c.name;
}

TEST_F(ResultGroups, StatsFollowTheFilter) {
  TMessageCounter messages;
  Load({{Item("/d/", "a.txt"), Item("/e/", "a.PDF")},
        {Item("/d/", "s.Mp2"), Item("/e/", "s.mp3"), Item("/f/", "p.jpg")}});
  EXPECT_EQ(messages.result_set, 1);
  auto stats = engine_.GetResultStats();
  EXPECT_EQ(stats[TFileCategory::fcAllFiles], 0);
  EXPECT_EQ(stats[TFileCategory::fcDocuments], 2);
  EXPECT_EQ(stats[TFileCategory::fcMusic], 2);
  EXPECT_EQ(stats[TFileCategory::fcPictures], 1);

  engine_.SetFilterCategory(TFileCategory::fcPictures);
  EXPECT_EQ(messages.result_set, 2);
  engine_.SetFilterCategory(TFileCategory::fcPictures);  // unchanged: no message
  EXPECT_EQ(messages.result_set, 2);
  stats = engine_.GetResultStats();
  for (int c = 1; c <= 7; ++c) {
    EXPECT_EQ(stats.Counts[c], c == 5 ? 1 : 0) << c;
  }
  EXPECT_EQ(Shown(), Names{"p.jpg"});
  // Hidden members are neither shown nor counted in the selection.
  engine_.AutoSelect(2);
  EXPECT_TRUE(engine_.HasSelectedItems());
  EXPECT_EQ(engine_.GetSelectionInfo().Count, 1);
  EXPECT_FALSE(engine_.GetAllFiles()[0]->IsVisible());
}

// Two groups laid out so that every path, drive and time rule separates them:
// "/x/m/a/" holds the text "/m/a/" without lying below it, "/m/ab/" shares its start.
class SelectionRules : public ResultGroups {
 protected:
  void SetUp() override {
    ResultGroups::SetUp();
    a1 = Named("a1", Item("/m/a/", "x.txt", 10));
    a2 = Named("a2", Item("/m/a/sub/", "x.txt", 20));
    a3 = Named("a3", Item("/n/b/", "x.txt", 20));
    b1 = Named("b1", Item("/m/a/", "y.jpg", 5));
    b2 = Named("b2", Item("/x/m/a/", "y.jpg", 5));
    b3 = Named("b3", Item("/m/ab/", "y.png", 5));
    Load({{a1, a2, a3}, {b1, b2, b3}});
  }

 public:  // named by the case tables
  TItemPtr a1, a2, a3, b1, b2, b3;
};

TEST_F(SelectionRules, RulesTable) {
  struct Case {
    const char* what;
    int start_rule;  // 1: all unchecked, 2: all checked
    TItemPtr SelectionRules::*current;
    int rule;
    std::pair<std::string, std::string> param;
    Names want;
  } cases[] = {
      {"reverse", 1, nullptr, 3, {}, {"a1", "a2", "a3", "b1", "b2", "b3"}},
      {"drive", 1, &SelectionRules::a1, 4, {}, {"a1", "a2", "b1", "b3"}},
      {"drive without current", 2, nullptr, 4, {}, {}},
      {"folder", 1, &SelectionRules::a1, 5, {}, {"a1", "b1"}},
      {"folder tree", 1, &SelectionRules::a1, 6, {}, {"a1", "a2", "b1"}},
      {"group except this", 1, &SelectionRules::a2, 7, {}, {"a1", "a3"}},
      {"group except this keeps others",
       2,
       &SelectionRules::a2,
       7,
       {},
       {"a1", "a3", "b1", "b2", "b3"}},
      {"group except this without current",
       2,
       nullptr,
       7,
       {},
       {"a1", "a2", "a3", "b1", "b2", "b3"}},
      // a2 and a3 share the newest time: both kept; group 2 has one time: all kept.
      {"keep newest", 2, nullptr, 8, {}, {"a1"}},
      {"keep oldest", 2, nullptr, 9, {}, {"a2", "a3"}},
      {"keep file type", 2, &SelectionRules::b1, 10, {}, {"b3"}},
      {"keep file type without current", 2, nullptr, 10, {}, {}},
      {"keep folder", 1, &SelectionRules::a1, 12, {}, {"a2", "a3", "b2", "b3"}},
      {"keep folder tree", 1, &SelectionRules::a1, 13, {}, {"a3", "b2", "b3"}},
      {"keep folder tree without current", 2, nullptr, 13, {}, {}},
      {"custom folder tree", 1, nullptr, 14, {"/m/a/", "True"}, {"a1", "a2", "b1"}},
      {"custom folder without separator", 1, nullptr, 14, {"/m/a", "False"}, {"a1", "b1"}},
      {"custom folder empty", 2, nullptr, 14, {"", "True"}, {}},
      {"custom folder empty, no subfolders", 2, nullptr, 14, {"", "False"}, {}},
      // "/m/a/" holds a1 (10) and b1 (5); every other folder holds one item.
      {"keep newest in folder", 2, nullptr, 15, {}, {"b1"}},
      {"keep oldest in folder", 2, nullptr, 16, {}, {"a1"}},
      {"unknown rule", 2, nullptr, 99, {}, {"a1", "a2", "a3", "b1", "b2", "b3"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    engine_.AutoSelect(c.start_rule);
    engine_.SetCurrentItem(c.current ? this->*c.current : nullptr);
    TMessageCounter messages;
    engine_.AutoSelect(c.rule, c.param);
    EXPECT_EQ(Checked(), c.want);
    EXPECT_EQ(messages.selection, 1);
  }
}

TEST_F(SelectionRules, DuplicatesAndOriginals) {
  // Group order: larger name first, then later time, then higher index, so the
  // originals are a3 (x.txt, time 20, last found) and b3 (y.png).
  struct Case {
    std::vector<int> rules;
    Names want;
  } cases[] = {
      {{2, 17}, {"a1", "a2", "a3", "b1", "b2", "b3"}},  // no unchecked member left to keep
      {{1, 17}, {"a1", "a2", "b1", "b2"}},
      // b3 is shown before the other members of its group: checking it must not
      // make the next member the original as well.
      {{1, 18}, {"a3", "b3"}},
      {{1, 17, 18}, {"a3", "b3"}},
      // After the reversal a2 and b2 are the first unchecked members in group order.
      {{1, 17, 3, 17}, {"a1", "a3", "b1", "b3"}},
      // With every member checked no group has an original left: all are unchecked.
      {{2, 18}, {}},
  };
  for (const auto& c : cases) {
    for (int r : c.rules) engine_.AutoSelect(r);
    EXPECT_EQ(Checked(), c.want) << ::testing::PrintToString(c.rules);
  }
}

TEST_F(ResultGroups, DuplicatesInFolderComparisonAreTheNonMasterItems) {
  auto master = Item("/master/", "a.txt"), copy = Item("/other/", "a.txt");
  auto plain = Item("/other/", "b.txt");  // reports no master attribute at all
  master->SetMaster(true);
  copy->SetMaster(false);
  Load({{master, copy, plain}});
  engine_.SetScanMode(5);
  engine_.AutoSelect(2);
  engine_.AutoSelect(17);
  EXPECT_EQ(Checked(), (Names{"a.txt", "b.txt"}));
  EXPECT_FALSE(master->IsChecked());
}

TEST_F(ResultGroups, KeepOriginalNames) {
  Load({{Item("/a/", "report.txt"), Item("/b/", "Report final.txt"),
         Item("/c/", "report final.txt")},
        {Item("/a/", "photo.jpg"), Item("/b/", "photo2.jpg"), Item("/c/", "photo (1).jpg")}});
  engine_.AutoSelect(11);
  // "photo2" is not "photo" plus a space: it stays an original name.
  EXPECT_EQ(Checked(), (Names{"Report final.txt", "photo (1).jpg", "report final.txt"}));
}

TEST_F(ResultGroups, FactsFollowTheFilter) {
  // With only pictures shown, the newest shown member of the group is kept.
  auto old_pic = Item("/a/", "p.jpg", 1), new_pic = Item("/b/", "p.jpg", 2),
       newest_doc = Item("/c/", "p.txt", 3);
  Load({{old_pic, new_pic, newest_doc}});
  engine_.AutoSelect(8);
  EXPECT_EQ(Checked(), (Names{"p.jpg", "p.jpg"}));
  engine_.SetFilterCategory(TFileCategory::fcPictures);
  engine_.AutoSelect(8);
  EXPECT_TRUE(old_pic->IsChecked());
  EXPECT_FALSE(new_pic->IsChecked());
}

TEST_F(ResultGroups, SafetyCheckReportsFirstAndCountOfFullyCheckedGroups) {
  std::vector<std::vector<TItemPtr>> groups;
  for (int g = 1; g <= 8; ++g) groups.push_back({Item("/a/", "f.txt"), Item("/b/", "f.txt")});
  Load(groups);
  int32_t first = -1, total = -1;
  EXPECT_TRUE(engine_.CheckSafeGroupSelection(first, total));
  EXPECT_EQ(first, 0);
  EXPECT_EQ(total, 0);
  for (int g : {3, 7}) {
    for (auto& item : groups[g - 1]) item->SetChecked(true);
  }
  groups[4][0]->SetChecked(true);  // group 5 keeps one member
  EXPECT_FALSE(engine_.CheckSafeGroupSelection(first, total));
  EXPECT_EQ(first, 3);
  EXPECT_EQ(total, 2);
}

TEST_F(ResultGroups, SortTieBreaks) {
  // Equal sizes everywhere: the name (without regard to case, larger first), then
  // the time (earlier first), then the scan index decide.
  auto upper_b = Named("B", Item("/p/", "B.txt", 5, 10));
  auto lower_a = Named("a", Item("/p/", "a.txt", 5, 10));
  auto x_late = Named("x-late", Item("/p/", "x.txt", 9, 10));
  auto x_early = Named("x-early", Item("/p/", "x.txt", 1, 10));
  auto x_early2 = Named("x-early2", Item("/q/", "x.txt", 1, 10));
  auto big = Named("big", Item("/p/", "z.txt", 0, 99));
  Load({{lower_a, upper_b, x_late, x_early, x_early2, big}});
  TMessageCounter messages;

  struct Case {
    TSupportedAttribute attr;
    TSortOrder order;
    Names want;
  } cases[] = {
      {TSupportedAttribute::atSize,
       TSortOrder::soAsc,
       {"x-early", "x-early2", "x-late", "B", "a", "big"}},
      {TSupportedAttribute::atSize,
       TSortOrder::soDesc,
       {"big", "a", "B", "x-late", "x-early2", "x-early"}},
      // By name: ordinal ("B" before "a"), equal names by time then index.
      {TSupportedAttribute::atName,
       TSortOrder::soAsc,
       {"B", "a", "x-early", "x-early2", "x-late", "big"}},
      // By time: equal times put the larger name first.
      {TSupportedAttribute::atModified,
       TSortOrder::soAsc,
       {"big", "x-early", "x-early2", "B", "a", "x-late"}},
  };
  int sent = 0;
  for (const auto& c : cases) {
    engine_.SortResults(c.attr, c.order);
    EXPECT_EQ(Shown(), c.want) << static_cast<int>(c.attr) << "/" << static_cast<int>(c.order);
    EXPECT_EQ(messages.result_set, ++sent);
    EXPECT_EQ(engine_.GetStatus(), TScanStatus::ssIdle);
  }
  engine_.SortResults(TSupportedAttribute::atModified, TSortOrder::soAsc);  // unchanged
  EXPECT_EQ(messages.result_set, sent);
}

TEST(ResultGroupsNoScanner, SortKeepsOrderWithoutScanner) {
  TScanEngine engine;
  auto g = std::make_shared<TGroup>();
  auto z = Item("/p/", "z.txt", 0, 9), a = Item("/p/", "a.txt", 0, 1);
  g->Add(z);
  g->Add(a);
  engine.SetResults({g});
  engine.SortResults(TSupportedAttribute::atSize, TSortOrder::soAsc);
  EXPECT_EQ(engine.GetFiles(), (std::vector<IFileInfoPtr>{z, a}));
}

TEST_F(ResultGroups, FoundPathsAreDistinctAndCaseSensitive) {
  Load({{Item("/p/A/", "f.txt"), Item("/p/a/", "f.txt"), Item("/p/A/", "g.txt")},
        {Item("/q/", "s.mp3"), Item("/p/a/", "s.mp3")}});
  EXPECT_EQ(engine_.GetFoundPaths(), (Names{"/p/A/", "/p/a/", "/q/"}));
  engine_.SetFilterCategory(TFileCategory::fcMusic);
  EXPECT_EQ(engine_.GetFoundPaths(), (Names{"/q/", "/p/a/"}));
}

TEST_F(ResultGroups, ClearUnderMusicFilterRemovesOnlyMusic) {
  auto song1 = Item("/m/", "s.mp3"), song2 = Item("/n/", "s.mp3");
  auto doc1 = Item("/m/", "d.txt"), doc2 = Item("/n/", "d.txt");
  Load({{song1, song2}, {doc1, doc2}});
  engine_.SetFilterCategory(TFileCategory::fcMusic);
  TMessageCounter messages;
  engine_.ClearResults();
  EXPECT_TRUE(engine_.GetFiles().empty());
  EXPECT_EQ(messages.result_set, 1);
  ASSERT_EQ(engine_.GetUndoStack().size(), 1u);
  EXPECT_EQ(engine_.GetUndoStack().back().ResolveAction, TResolveAction::raClearResults);
  EXPECT_EQ(engine_.GetUndoStack().back().ItemsProcessed,
            (std::vector<IFileInfoPtr>{song1, song2}));
  engine_.SetFilterCategory(TFileCategory::fcAllFiles);
  EXPECT_EQ(engine_.GetFiles(), (std::vector<IFileInfoPtr>{doc1, doc2}));
  EXPECT_EQ(engine_.GetAllFiles().size(), 4u);  // removed members stay in their groups
}

TEST_F(ResultGroups, Removals) {
  struct Case {
    const char* what;
    std::function<void(TScanEngine&, const std::vector<TItemPtr>&)> remove;
    Names left;  // shown afterwards; empty `action` means nothing was removed
    std::optional<TResolveAction> action;
  } cases[] = {
      {"resolved",
       [](TScanEngine& e, const std::vector<TItemPtr>& it) {
         it[1]->SetResolved(true);
         e.RemoveResolved();
       },
       {"m.txt", "x.txt", "x.txt", "m.jpg"},
       TResolveAction::raRemoveResolved},
      {"file type of the given item (exact text)",
       [](TScanEngine& e, const std::vector<TItemPtr>& it) { e.RemoveFileTypeFromResults(it[0]); },
       {"sub.TXT", "m.jpg"},
       TResolveAction::raRemoveByFileType},
      {"file type of the current item",
       [](TScanEngine& e, const std::vector<TItemPtr>& it) {
         e.SetCurrentItem(it[4]);
         e.RemoveFileTypeFromResults(nullptr);
       },
       {"m.txt", "sub.TXT", "x.txt", "x.txt"},
       TResolveAction::raRemoveByFileType},
      {"file type without any item",
       [](TScanEngine& e, const std::vector<TItemPtr>&) { e.RemoveFileTypeFromResults(nullptr); },
       {"m.txt", "sub.TXT", "x.txt", "x.txt", "m.jpg"},
       std::nullopt},
      {"folder",
       [](TScanEngine& e, const std::vector<TItemPtr>&) {
         e.RemoveFolderFromResults(std::make_shared<TFolder>("/m"), false);
       },
       {"sub.TXT", "x.txt", "x.txt"},
       TResolveAction::raRemoveByFolder},
      // "/x/m/" holds the text "/m/" but does not lie below it.
      {"folder and subfolders",
       [](TScanEngine& e, const std::vector<TItemPtr>&) {
         e.RemoveFolderFromResults(std::make_shared<TFolder>("/m/"), true);
       },
       {"x.txt", "x.txt"},
       TResolveAction::raRemoveByFolder},
      {"folder of the current item",
       [](TScanEngine& e, const std::vector<TItemPtr>& it) {
         e.SetCurrentItem(it[2]);
         e.RemoveFolderFromResults(nullptr, false);
       },
       {"m.txt", "sub.TXT", "x.txt", "m.jpg"},
       TResolveAction::raRemoveByFolder},
      {"folder without any",
       [](TScanEngine& e, const std::vector<TItemPtr>&) {
         e.RemoveFolderFromResults(nullptr, true);
       },
       {"m.txt", "sub.TXT", "x.txt", "x.txt", "m.jpg"},
       std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TScanEngine engine;
    engine.AddScanner(0, [](TScanEngine&) { return std::make_shared<TOrderScanner>(true); });
    std::vector<TItemPtr> items{Item("/m/", "m.txt", 0, 5), Item("/m/sub/", "sub.TXT", 0, 4),
                                Item("/x/m/", "x.txt", 0, 3), Item("/y/", "x.txt", 0, 2),
                                Item("/m/", "m.jpg", 0, 1)};
    auto g = std::make_shared<TGroup>();
    for (auto& i : items) g->Add(i);
    engine.SetResults({g});
    engine.SortResults(TSupportedAttribute::atSize, TSortOrder::soDesc);
    TMessageCounter messages;
    c.remove(engine, items);
    Names left;
    for (const auto& f : engine.GetFiles()) left.push_back(f->GetName());
    EXPECT_EQ(left, c.left);  // still in size order
    EXPECT_EQ(engine.GetUndoStack().empty(), !c.action.has_value());
    if (c.action) {
      EXPECT_EQ(engine.GetUndoStack().back().ResolveAction, *c.action);
      EXPECT_EQ(engine.GetUndoStack().back().ItemsProcessed.size(), 5 - left.size());
    }
    EXPECT_EQ(messages.result_set, c.action ? 1 : 0);
  }
}

TEST(ResultGroupsWithoutUndo, RemovalRecordsNoEntry) {
  TScanEngine engine;
  engine.AddScanner(0, [](TScanEngine&) { return std::make_shared<TOrderScanner>(false); });
  auto g = std::make_shared<TGroup>();
  g->Add(Item("/a/", "f.txt"));
  engine.SetResults({g});
  engine.ClearResults();
  EXPECT_TRUE(engine.GetFiles().empty());
  EXPECT_TRUE(engine.GetUndoStack().empty());
}

// --- results of real scans of a temporary folder ---

void SetModified(const std::string& path, int64_t seconds) {
  timespec times[2] = {{seconds, 0}, {seconds, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

std::vector<std::string> FullNames(const std::vector<IFileInfoPtr>& files, bool checked_only) {
  std::vector<std::string> out;
  for (const auto& f : files) {
    if (!checked_only || f->IsChecked()) out.push_back(f->GetFullName());
  }
  return out;
}

TEST(ResultGroupsOfARealScan, SelectFilterSortAndClear) {
  nrv::testing::TTempDir dir;
  TScanEngine engine;
  RegisterScanModes(engine);
  dir.MakeDir("copy");
  auto song = dir.WriteFile("s.Mp2", "song"), song_copy = dir.WriteFile("copy/s.mp2", "song");
  auto doc_old = dir.WriteFile("a.txt", "document"),
       doc_new = dir.WriteFile("copy/a.txt", "document");
  auto big = dir.WriteFile("big.dat", "a larger content"),
       big_copy = dir.WriteFile("copy/big.dat", "a larger content");
  for (const auto& p : {song, song_copy, big, big_copy}) SetModified(p, 5000);
  SetModified(doc_old, 1000);
  SetModified(doc_new, 2000);

  nrv::testing::RunScan(engine, 0, nrv::testing::ConfigFor({dir.Path()}));
  ASSERT_EQ(engine.GetGroups().size(), 3u);
  // A scan ends with "select all duplicates": each group keeps its original unchecked.
  for (const auto& g : engine.GetGroups()) {
    std::vector<IFileInfoPtr> unchecked;
    for (const auto& f : g->Files()) {
      if (!f->IsChecked()) unchecked.push_back(f);
    }
    ASSERT_EQ(unchecked.size(), 1u) << g->GroupNo();
    EXPECT_EQ(unchecked[0], g->GetOrigial(nullptr));
  }
  auto stats = engine.GetResultStats();
  EXPECT_EQ(stats[TFileCategory::fcMusic], 2);
  EXPECT_EQ(stats[TFileCategory::fcDocuments], 2);
  EXPECT_EQ(stats[TFileCategory::fcOther], 2);

  engine.AutoSelect(8);  // keep the newest: only the older document is checked
  EXPECT_EQ(FullNames(engine.GetFiles(), true), std::vector<std::string>{doc_old});

  engine.SortResults(TSupportedAttribute::atSize, TSortOrder::soDesc);
  auto by_size = [](const std::vector<IFileInfoPtr>& files) {
    return std::is_sorted(files.begin(), files.end(),
                          [](const auto& a, const auto& b) { return a->GetSize() > b->GetSize(); });
  };
  EXPECT_TRUE(by_size(engine.GetFiles()));
  EXPECT_EQ(engine.GetFiles()[0]->GetSize(), 16);

  engine.SetFilterCategory(TFileCategory::fcMusic);
  engine.ClearResults();
  EXPECT_TRUE(engine.GetFiles().empty());
  ASSERT_EQ(engine.GetUndoStack().size(), 1u);
  auto cleared = FullNames(engine.GetUndoStack().back().ItemsProcessed, false);
  std::sort(cleared.begin(), cleared.end());
  EXPECT_EQ(cleared, (std::vector<std::string>{song_copy, song}));  // sorted: "copy/" < "s."
  engine.SetFilterCategory(TFileCategory::fcAllFiles);
  EXPECT_EQ(engine.GetFiles().size(), 4u);
  EXPECT_TRUE(by_size(engine.GetFiles()));
}

TEST(ResultGroupsOfARealScan, FolderComparisonChecksTheComparedCopies) {
  nrv::testing::TTempDir dir;
  TScanEngine engine;
  RegisterScanModes(engine);
  auto master = dir.MakeDir("master"), other = dir.MakeDir("other");
  auto kept = dir.WriteFile("master/m1", "content"), copy = dir.WriteFile("other/c1", "content");
  auto cfg = nrv::testing::ConfigFor({master});
  cfg.ExcludePaths = {other};
  nrv::testing::RunScan(engine, 5, cfg);
  ASSERT_EQ(engine.GetFiles().size(), 2u);
  EXPECT_EQ(FullNames(engine.GetFiles(), true), std::vector<std::string>{copy});
  engine.AutoSelect(2);
  engine.AutoSelect(17);  // the master copy is unchecked again, whatever the marks were
  EXPECT_EQ(FullNames(engine.GetFiles(), true), std::vector<std::string>{copy});
}

}  // namespace
}  // namespace nrv
