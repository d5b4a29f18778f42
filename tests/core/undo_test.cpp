// Undo across several entries of the history, and of removals from the results.
#include <gtest/gtest.h>

#include "action_test_support.h"
#include "engine/message_bus.h"
#include "engine/messages.h"

namespace nrv::testing {
namespace {

// Counts result-set messages for the length of a test.
class ResultSetCounter {
 public:
  ResultSetCounter()
      : id_(MessageBus().Subscribe<TResultSetChanged>(
            [this](const TResultSetChanged&) { ++count; })) {}
  ~ResultSetCounter() { MessageBus().Unsubscribe(id_); }
  int count = 0;

 private:
  TMessageBus::TSubscriptionId id_;
};

TEST_F(ActionTest, UndoWithAnEmptyHistoryDoesNothing) {
  Put(dir, "a.txt", "alpha");
  Put(dir, "b.txt", "alpha");
  Scan();
  ResultSetCounter messages;
  engine.UndoLastAction(Recorder(), Waiter());
  EXPECT_EQ(messages.count, 0);
  EXPECT_TRUE(reports.empty());
}

TEST_F(ActionTest, TwoActionsAreUndoneNewestFirst) {
  auto a1 = Put(dir, "a1.txt", "alpha");
  auto a2 = Put(dir, "a2.txt", "alpha");
  auto b1 = Put(dir, "b1.txt", "bravo");
  auto b2 = Put(dir, "b2.txt", "bravo");
  Scan();
  Check({a2});
  engine.DeleteSelected(true, Recorder());
  Check({b2});
  engine.DeleteSelected(true, Recorder());
  ASSERT_FALSE(PathExists(a2) || PathExists(b2));
  ASSERT_EQ(engine.GetUndoStack().size(), 2u);

  ResultSetCounter messages;
  engine.UndoLastAction(Recorder());
  EXPECT_TRUE(PathExists(b2));
  EXPECT_FALSE(PathExists(a2));
  EXPECT_EQ(messages.count, 1);

  engine.UndoLastAction(Recorder());
  EXPECT_EQ(ReadAll(a2), "alpha");
  EXPECT_EQ(ReadAll(b2), "bravo");
  EXPECT_TRUE(engine.GetUndoStack().empty());
  EXPECT_TRUE(PathExists(a1) && PathExists(b1));
}

TEST_F(ActionTest, UndoOfRemovalsBringsBackExactlyTheRemovedMembers) {
  auto a1 = Put(dir, "a1.txt", "alpha");
  auto a2 = Put(dir, "a2.txt", "alpha");
  Put(dir, "p1.jpg", "picture");
  Put(dir, "p2.jpg", "picture");
  Scan();
  const auto all_shown = engine.GetFiles();
  Check({a2});
  engine.DeleteSelected(true, Recorder());
  engine.RemoveResolved();
  ASSERT_EQ(engine.GetFiles().size(), all_shown.size() - 1);

  // Cleared while only pictures are shown: the text members were never removed.
  engine.SetFilterCategory(TFileCategory::fcPictures);
  engine.ClearResults();
  EXPECT_TRUE(engine.GetFiles().empty());
  engine.SetFilterCategory(TFileCategory::fcAllFiles);
  EXPECT_EQ(engine.GetFiles().size(), 1u);
  ASSERT_EQ(engine.GetUndoStack().size(), 3u);

  engine.SetFilterCategory(TFileCategory::fcPictures);
  engine.UndoLastAction(Recorder());
  EXPECT_EQ(engine.GetFiles().size(), 2u);
  engine.SetFilterCategory(TFileCategory::fcAllFiles);
  EXPECT_EQ(engine.GetFiles().size(), all_shown.size() - 1);

  engine.UndoLastAction(Recorder());  // the removal of the resolved member
  EXPECT_EQ(engine.GetFiles().size(), all_shown.size());
  EXPECT_TRUE(Item(a2)->IsResolved()) << "its deletion is the next entry";
  EXPECT_FALSE(PathExists(a2));

  engine.UndoLastAction(Recorder());
  EXPECT_EQ(ReadAll(a2), "alpha");
  EXPECT_FALSE(Item(a2)->IsResolved());
  EXPECT_EQ(ReadAll(a1), "alpha");
}

}  // namespace
}  // namespace nrv::testing
