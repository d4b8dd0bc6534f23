// The in-memory backend's window and controls refuse misuse with the same typed
// errors as the Qt backend.
#include "winsys/memory/memory_window.h"

#include <memory>

#include "winsys/memory/memory_window_system.h"

#include <gtest/gtest.h>

#include "common/error.h"

namespace sprite::winsys {
namespace {

// A window closed and destroyed (an About box unloaded) is no longer reachable
// by index, whichever of it and the window system goes first.
TEST(MemoryWindowSystemTest, ADestroyedWindowLeavesTheListOfWindows) {
  auto windows = std::make_unique<MemoryWindowSystem>();
  const std::unique_ptr<Window> main = windows->CreateWindow(WindowSpec{});
  {
    const std::unique_ptr<Window> about = windows->CreateWindow(WindowSpec{});
    EXPECT_EQ(&windows->WindowAt(1), about.get());
  }
  EXPECT_EQ(&windows->WindowAt(0), main.get());
  EXPECT_THROW(windows->WindowAt(1), InvalidArgumentError);
  windows.reset();  // the main window outlives its system, as in a careless front end
}

TEST(MemoryWindowTest, ListBoxKeepsOrderSelectsAndChecksIndexes) {
  MemoryWindow window({}, 1000);
  ListBox& list = window.AddListBox({"lstFiles", {105, 105, 5160, 2205}});
  for (const char* line : {"b.bmp", "a.bmp", "c.bmp"}) {
    list.AddItem(line);
  }
  list.SetListIndex(2);
  list.RemoveItem(1);
  EXPECT_EQ(list.ListCount(), 2);
  EXPECT_EQ(list.List(1), "c.bmp");
  EXPECT_EQ(list.ListIndex(), -1);

  EXPECT_THROW(list.List(2), InvalidArgumentError);
  EXPECT_THROW(list.List(-1), InvalidArgumentError);
  EXPECT_THROW(list.RemoveItem(5), InvalidArgumentError);
  EXPECT_THROW(list.SetListIndex(-2), InvalidArgumentError);
  EXPECT_THROW(list.SetListIndex(2), InvalidArgumentError);
  list.SetListIndex(-1);
  EXPECT_EQ(list.ListIndex(), -1);
}

TEST(MemoryWindowTest, ListCountPast16BitsIsAnOverflow) {
  MemoryListBox log;
  for (int i = 0; i < 32767; ++i) {
    log.AddItem("x");
  }
  EXPECT_EQ(log.ListCount(), 32767);
  log.AddItem("one too many");
  EXPECT_THROW(log.ListCount(), OverflowError);
  log.SelectLast();
  EXPECT_EQ(log.ListIndex(), 32767);
}

TEST(MemoryWindowTest, ControlsAreFoundOnlyByTheNamesTheyWereMadeWith) {
  MemoryWindow window({}, 1000);
  window.AddButton({"Command1", {}}, "&Add");
  EXPECT_THROW(window.AddListBox({"Command1", {}}), InvalidArgumentError);
  EXPECT_EQ(window.ButtonNamed("Command1").Caption(), "&Add");
  EXPECT_THROW(window.ButtonNamed("Comand1"), InvalidArgumentError);
  EXPECT_THROW(window.ListBoxNamed("Command1"), InvalidArgumentError);
}

}  // namespace
}  // namespace sprite::winsys
