#include <gtest/gtest.h>

#include "engine/base_file_info.h"
#include "engine/group.h"

namespace nrv {
namespace {

// A small in-memory item: enough to exercise the group and flag rules.
class TTestItem : public TBaseFileInfo {
 public:
  TTestItem(std::string name, int64_t mtime_s, int32_t index, bool exists = true)
      : name_(std::move(name)), modified_(TDateTime::FromSeconds(mtime_s)), exists_(exists) {
    SetIndex(index);
    SetVisible(true);
  }
  std::string GetName() const override { return name_; }
  std::string GetBaseName() const override { return name_; }
  std::string GetDisplayPath() const override { return "/t/"; }
  std::string GetDrive() const override { return "/"; }
  std::string GetFileType() const override { return name_; }
  std::string GetFullName() const override { return "/t/" + name_; }
  std::string GetDisplayName() const override { return GetFullName(); }
  int64_t GetSize() const override { return 1; }
  TDateTime GetModified() const override { return modified_; }
  bool Exists() const override { return exists_; }
  bool CheckContent() override { return true; }
  bool IsReady() const override { return true; }
  bool IsValid() override { return true; }
  void SetExists(bool e) { exists_ = e; }

 private:
  std::string name_;
  TDateTime modified_;
  bool exists_;
};

std::shared_ptr<TTestItem> Item(std::string name, int64_t t, int32_t index, bool exists = true) {
  return std::make_shared<TTestItem>(std::move(name), t, index, exists);
}

TEST(ItemFlags, ResolvedAndRemovedItemsReadUnchecked) {
  auto a = Item("a", 0, 0);
  a->SetChecked(true);
  a->SetResolved(true);
  EXPECT_FALSE(a->IsChecked());
  a->SetChecked(true);  // cannot check a resolved item
  a->SetResolved(false);
  EXPECT_FALSE(a->IsChecked());

  auto b = Item("b", 0, 1);
  b->SetChecked(true);
  b->SetRemoved(true);
  EXPECT_FALSE(b->IsChecked());
  EXPECT_FALSE(b->IsVisible());
  b->SetRemoved(false);  // the earlier flags come back
  EXPECT_TRUE(b->IsChecked());
  EXPECT_TRUE(b->IsVisible());
}

TEST(Group, SafeSelectionNeedsOneExistingUncheckedMember) {
  TGroup g;
  EXPECT_FALSE(g.CheckSafeSelection());  // an empty group is not safe
  auto a = Item("a", 0, 0), b = Item("b", 0, 1);
  g.Add(a);
  g.Add(b);
  a->SetChecked(true);
  EXPECT_TRUE(g.CheckSafeSelection());
  b->SetExists(false);  // the only unchecked member is gone
  EXPECT_FALSE(g.CheckSafeSelection());
  EXPECT_EQ(g.GetFirstExisting(), a);
}

TEST(Group, SortsLargerNameThenLaterTimeThenHigherIndexFirst) {
  TGroup g;
  auto a = Item("a", 5, 0), b = Item("b", 1, 1), b_late = Item("b", 9, 2), b_late2 = Item("b", 9, 3);
  for (auto& i : {a, b, b_late, b_late2}) g.Add(i);
  g.Sort();
  ASSERT_TRUE(g.IsSorted());
  std::vector<IFileInfoPtr> want{b_late2, b_late, b, a};
  EXPECT_EQ(g.Files(), want);
}

TEST(Group, OriginalSkipsCheckedGoneAndExceptedMembers) {
  TGroup g;
  auto a = Item("a", 0, 0), b = Item("b", 0, 1), c = Item("c", 0, 2);
  for (auto& i : {a, b, c}) g.Add(i);
  EXPECT_EQ(g.GetOrigial(nullptr), c);  // first in group order
  c->SetChecked(true);
  EXPECT_EQ(g.GetOrigial(nullptr), b);
  EXPECT_EQ(g.GetOrigial(b), a);
  b->SetVisible(false);
  EXPECT_EQ(g.GetOrigial(nullptr), a);  // a visible member wins over an earlier hidden one
  a->SetExists(false);
  EXPECT_EQ(g.GetOrigial(nullptr), b);  // then a hidden one
  EXPECT_EQ(g.GetOrigial(b), nullptr);
  b->SetChecked(true);
  EXPECT_EQ(g.GetOrigial(nullptr), nullptr);
}

TEST(Group, DestroyClearsBackReferences) {
  auto a = Item("a", 0, 0);
  {
    TGroup g;
    g.SetGroupNo(4);
    g.Add(a);
    EXPECT_EQ(a->GetGroupNo(), 4);
  }
  EXPECT_EQ(a->GetGroup(), nullptr);
  EXPECT_EQ(a->GetGroupNo(), 0);
}

}  // namespace
}  // namespace nrv
