// Dropped files: collection, the pending-drop rule, first-only, index
// range, failures while collecting, and a drop posted to a window.
#include "base/DropTarget.h"

#include <gtest/gtest.h>

#include "base/AppTestSupport.h"
#include "platform/FileDrop.h"

namespace orrivel::test {
namespace {

using namespace platform;

std::vector<std::string> Names(DropTarget& target) {
  std::vector<std::string> names;
  for (int32_t i = 0; auto name = target.GetFile(i); ++i) names.push_back(*name);
  return names;
}

const std::vector<std::string> kFive = {"Z:\\a.txt", "Z:\\b.txt", "Z:\\c.txt", "Z:\\d.txt", "Z:\\e.txt"};

TEST(DropTargetTest, CollectsInOrderAndGivesNoneOutOfRange) {
  DropTarget target;
  const size_t pendingBefore = PendingDropCount();
  ASSERT_EQ(target.OnDropFiles(CreateDrop(kFive)), 0);
  EXPECT_EQ(PendingDropCount(), pendingBefore);  // finished
  EXPECT_EQ(Names(target), kFive);
  EXPECT_EQ(target.GetCount(), 5);
  EXPECT_FALSE(target.GetFile(5).has_value());  // index equal to the count
  EXPECT_FALSE(target.GetFile(-1).has_value());
  target.ClearFiles();
  EXPECT_FALSE(target.GetFile(0).has_value());
}

TEST(DropTargetTest, SecondDropWhileNamesWaitIsIgnoredButFinished) {
  DropTarget target;
  ASSERT_EQ(target.OnDropFiles(CreateDrop({"Z:\\first.txt"})), 0);
  const size_t pendingBefore = PendingDropCount();
  const DropHandle second = CreateDrop({"Z:\\second.txt", "Z:\\third.txt"});
  EXPECT_EQ(target.OnDropFiles(second), -1);
  EXPECT_EQ(PendingDropCount(), pendingBefore);
  EXPECT_EQ(DragQueryFile(second, kDropQueryCount, nullptr, 0), 0u);  // gone
  EXPECT_EQ(Names(target), std::vector<std::string>{"Z:\\first.txt"});
  // Once the scripts clear the list, the next drop is taken.
  target.ClearFiles();
  ASSERT_EQ(target.OnDropFiles(CreateDrop({"Z:\\fourth.txt"})), 0);
  EXPECT_EQ(Names(target), std::vector<std::string>{"Z:\\fourth.txt"});
}

TEST(DropTargetTest, FirstOnlyTakesOneNameOfFive) {
  DropTarget target;
  target.firstOnly = 1;
  ASSERT_EQ(target.OnDropFiles(CreateDrop(kFive)), 0);
  EXPECT_EQ(Names(target), std::vector<std::string>{"Z:\\a.txt"});
}

TEST(DropTargetTest, AFailedCollectionKeepsNoNamesAndFinishesTheDrop) {
  DropTarget target;
  const size_t pendingBefore = PendingDropCount();
  // The third name cannot be read: the two before it are freed again.
  EXPECT_EQ(target.OnDropFiles(CreateDrop({"Z:\\a.txt", "Z:\\b.txt", ""})), 2);
  EXPECT_EQ(target.GetCount(), 0);
  EXPECT_EQ(PendingDropCount(), pendingBefore);
  // A handle that is not (or no longer) a drop has nothing in it.
  EXPECT_EQ(target.OnDropFiles(0x7FFFFFFF), 0);
  EXPECT_EQ(target.GetCount(), 0);
  target.firstOnly = 1;
  EXPECT_EQ(target.OnDropFiles(0x7FFFFFFF), 2);
}

TEST(DropTargetTest, QueryCutsAtACharacterBoundary) {
  const std::string name = Utf8ToCp932Lossy("Z:\\ソフト.txt");  // "ソ" ends in a backslash byte
  const DropHandle drop = CreateDrop({name});
  EXPECT_EQ(DragQueryFile(drop, 0, nullptr, 0), name.size());
  char buffer[6];
  // "Z:\" and the first two-byte character fit in five bytes; the next one
  // would be split, so it is left out.
  EXPECT_EQ(DragQueryFile(drop, 0, buffer, sizeof buffer), 5u);
  EXPECT_EQ(std::string(buffer), name.substr(0, 5));
  EXPECT_EQ(DragQueryFile(drop, 1, buffer, sizeof buffer), 0u);
  DragFinish(drop);
}

class DropWindowTest : public HeadlessTest {};

TEST_F(DropWindowTest, DropsReachOnlyWindowsThatAcceptThem) {
  ASSERT_TRUE(backend.RegisterClass(WindowClass{"DropProbe"}));
  WindowCreateParams params;
  params.className = "DropProbe";
  params.width = 100;
  params.height = 100;
  const WindowId window = backend.CreateWindow(params);
  ASSERT_NE(window, kNoWindow);

  DropTarget target;
  const size_t pendingBefore = PendingDropCount();
  EXPECT_FALSE(PostDroppedFiles(backend, window, {"Z:\\refused.txt"}));
  EXPECT_EQ(PendingDropCount(), pendingBefore);

  target.Enable(window, 1);
  EXPECT_EQ(target.accepting, 1);
  EXPECT_TRUE(PostDroppedFiles(backend, window, {"Z:\\x.txt", "Z:\\y.txt"}));
  EXPECT_FALSE(PostDroppedFiles(backend, window, {}));
  Message message;
  bool seen = false;
  while (backend.PeekMessage(message, true)) {
    if (message.message != WM_DROPFILES) continue;
    seen = true;
    EXPECT_EQ(message.window, window);
    EXPECT_EQ(target.OnDropFiles(message.wParam), 0);
  }
  EXPECT_TRUE(seen);
  EXPECT_EQ(Names(target), (std::vector<std::string>{"Z:\\x.txt", "Z:\\y.txt"}));

  target.Enable(window, 0);
  EXPECT_FALSE(AcceptsDroppedFiles(window));
  backend.DestroyWindow(window);
}

}  // namespace
}  // namespace orrivel::test
