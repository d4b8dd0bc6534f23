#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "common/error.h"
#include "dialogs/ce_common_dialog.h"
#include "fakes/fake_common_dialog_calls.h"

namespace sprite::dialogs {
namespace {

using namespace std::string_literals;
using fakes::FakeCommonDialogCalls;

std::string Padded(std::string text, std::size_t size) {
  text.resize(size, '\0');
  return text;
}

class FileDialogTest : public ::testing::Test {
 protected:
  const winsys::OPENFILENAME& Sent() const { return calls.requests.back().record; }
  // Leaves a failure's outcome behind, to show what the next operation resets.
  void FailOnce() {
    calls.answers.push_back(calls.Fail(winsys::CDERR_DIALOGFAILURE));
    SaveFileArgs args;
    dialog.VBGetSaveFileName(args);
  }

  FakeCommonDialogCalls calls;
  ceCommonDialog dialog{calls};
};

TEST_F(FileDialogTest, OpenWithDefaultsSendsTheRecord) {
  OpenFileArgs args;
  dialog.VBGetOpenFileName(args);
  ASSERT_EQ(calls.requests.size(), 1u);
  EXPECT_EQ(calls.requests[0].function, "GetOpenFileNameA");
  const winsys::OPENFILENAME& r = Sent();
  EXPECT_EQ(r.lStructSize, winsys::kOpenFileNameSize);
  EXPECT_EQ(r.hwndOwner, 0);
  EXPECT_EQ(r.lpstrFilter, "All (*.*)\0 *.*\0\0"s);
  EXPECT_EQ(r.nFilterIndex, 1u);
  EXPECT_EQ(r.lpstrFile, std::string(1024, '\0'));
  EXPECT_EQ(r.nMaxFile, 1024u);
  EXPECT_EQ(r.lpstrFileTitle, std::string(260, '\0'));
  EXPECT_EQ(r.nMaxFileTitle, 260u);
  EXPECT_EQ(r.Flags, 0x1000u);
}

struct OpenRequestCase {
  const char* name;
  OpenFileArgs args;
  std::uint32_t flags;
  std::string filter;
};

TEST_F(FileDialogTest, OpenBuildsFlagWordAndFilterList) {
  const OpenRequestCase cases[] = {
      {"explorer multi-select", {.flags = 0x80200}, 0x81200, "All (*.*)\0 *.*\0\0"s},
      {"hook and template bits dropped", {.FileMustExist = false, .flags = 0x60}, 0x0, ""},
      {"every own bit", {.MultiSelect = true, .ReadOnly = true, .HideReadOnly = true}, 0x1205, ""},
      {"colon separates like the bar", {.Filter = "A:B|*.x"}, 0x1000, "A\0B\0*.x\0\0"s},
      {"empty filter", {.Filter = ""}, 0x1000, "\0\0"s},
  };
  for (const OpenRequestCase& c : cases) {
    SCOPED_TRACE(c.name);
    OpenFileArgs args = c.args;
    dialog.VBGetOpenFileName(args);
    EXPECT_EQ(Sent().Flags, c.flags);
    if (!c.filter.empty()) {
      EXPECT_EQ(Sent().lpstrFilter, c.filter);
    }
  }
}

TEST_F(FileDialogTest, OpenPassesOwnerAndTexts) {
  OpenFileArgs args{.Filename = "a.bmp",
                    .FileTitle = "t",
                    .FilterIndex = 3,
                    .InitDir = "/home/u",
                    .DlgTitle = "Add",
                    .DefaultExt = ".bmp",
                    .Owner = 7};
  dialog.VBGetOpenFileName(args);
  EXPECT_EQ(Sent().hwndOwner, 7);
  EXPECT_EQ(Sent().nFilterIndex, 3u);
  EXPECT_EQ(Sent().lpstrFile, Padded("a.bmp", 1024));
  EXPECT_EQ(Sent().lpstrFileTitle, Padded("t", 260));
  EXPECT_EQ(Sent().lpstrInitialDir, "/home/u");
  EXPECT_EQ(Sent().lpstrTitle, "Add");
  EXPECT_EQ(Sent().lpstrDefExt, ".bmp");
}

TEST_F(FileDialogTest, SaveBuildsFlagWordAndBuffer) {
  SaveFileArgs defaults{.Filename = "out.spr"};
  dialog.VBGetSaveFileName(defaults);
  EXPECT_EQ(calls.requests.back().function, "GetSaveFileNameA");
  EXPECT_EQ(Sent().Flags, 0x6u);
  EXPECT_EQ(Sent().lpstrFile, Padded("out.spr", 260));
  EXPECT_EQ(Sent().nMaxFile, 260u);

  SaveFileArgs noPrompt{.OverWritePrompt = false, .flags = 0x60};
  dialog.VBGetSaveFileName(noPrompt);
  EXPECT_EQ(Sent().Flags, 0x4u);
}

struct ConfirmCase {
  const char* name;
  std::string initial;
  std::string written;  // what the platform writes at the start of the file buffer
  std::string filename;
};

TEST_F(FileDialogTest, ConfirmedOpenReturnsTheWholeFileBuffer) {
  const ConfirmCase cases[] = {
      {"single file", "", "/home/u/a.bmp\0"s, Padded("/home/u/a.bmp", 1024)},
      {"two files, explorer form", "", "/home/u\0a.bmp\0b.bmp\0\0"s,
       Padded("/home/u\0a.bmp\0b.bmp"s, 1024)},
      {"rest of a longer initial name", "/initial/rest.bmp", "/b/x.bmp\0"s,
       Padded("/b/x.bmp\0rest.bmp"s, 1024)},
      {"non-ASCII path", "", "/home/é/ü/日本.bmp\0"s, Padded("/home/é/ü/日本.bmp", 1024)},
  };
  for (const ConfirmCase& c : cases) {
    SCOPED_TRACE(c.name);
    calls.answers.push_back(FakeCommonDialogCalls::Confirm(c.written));
    OpenFileArgs args{.Filename = c.initial, .FileTitle = "title"};
    EXPECT_TRUE(dialog.VBGetOpenFileName(args));
    EXPECT_EQ(args.Filename, c.filename);
    EXPECT_EQ(args.FileTitle, Padded("title", 260));
    EXPECT_EQ(dialog.APIReturn(), 1);
  }
}

TEST_F(FileDialogTest, ConfirmedSaveReturnsThe260ByteBuffer) {
  calls.answers.push_back(FakeCommonDialogCalls::Confirm("/home/u/out.spr\0"s));
  SaveFileArgs args;
  EXPECT_TRUE(dialog.VBGetSaveFileName(args));
  EXPECT_EQ(args.Filename, Padded("/home/u/out.spr", 260));
  EXPECT_EQ(args.flags, 0x6);
}

struct IndexCase {
  const char* name;
  std::int32_t index;
  std::string filter;
};

// The returned Filter is the pair at the index the platform reports.
TEST_F(FileDialogTest, ConfirmedDialogReturnsThePairAtTheReportedIndex) {
  const IndexCase cases[] = {
      {"first", 1, "A (*.a)\0*.a"s},
      {"second", 2, "B (*.b)\0*.b"s},
      {"past the last pair", 3, ""},
      {"far past the end", INT_MAX, ""},
      {"zero", 0, ""},
      {"negative", -5, ""},
  };
  for (const IndexCase& c : cases) {
    SCOPED_TRACE(c.name);
    calls.answers.push_back(
        FakeCommonDialogCalls::Confirm("/a\0"s, static_cast<std::uint32_t>(c.index)));
    OpenFileArgs args{.Filter = "A (*.a)|*.a|B (*.b)|*.b", .flags = 0x80000};
    EXPECT_TRUE(dialog.VBGetOpenFileName(args));
    EXPECT_EQ(args.Filter, c.filter);
    EXPECT_EQ(args.FilterIndex, c.index);
    EXPECT_EQ(args.flags, 0x81000);
  }
}

TEST_F(FileDialogTest, ReadOnlyIsSetFromTheResultButNeverCleared) {
  for (const bool passed : {false, true}) {
    SCOPED_TRACE(passed);
    calls.answers.push_back([passed](winsys::OPENFILENAME& r) {
      r.Flags ^= winsys::OFN_READONLY;  // the user toggles the box
      return winsys::kDialogConfirmed;
    });
    OpenFileArgs args{.ReadOnly = passed};
    EXPECT_TRUE(dialog.VBGetOpenFileName(args));
    EXPECT_EQ(args.flags & 0x1, passed ? 0 : 1);
    EXPECT_TRUE(args.ReadOnly);
  }
}

struct OutcomeCase {
  const char* name;
  bool save;
  std::int32_t result;
  std::uint32_t extendedError;
  int errorQueries;
  std::int32_t filterIndex;
};

TEST_F(FileDialogTest, CancelAndFailureResetTheArguments) {
  const OutcomeCase cases[] = {
      {"open cancelled", false, 0, 0, 0, -1},
      {"open failed", false, -1, winsys::FNERR_BUFFERTOOSMALL, 1, -1},
      {"open returns 2", false, 2, winsys::FNERR_BUFFERTOOSMALL, 1, -1},
      {"save cancelled", true, 0, 0, 0, 0},
      {"save failed", true, -1, winsys::FNERR_BUFFERTOOSMALL, 1, 0},
  };
  for (const OutcomeCase& c : cases) {
    SCOPED_TRACE(c.name);
    calls.errorQueries = 0;
    calls.error = 0;
    calls.answers.push_back(calls.Fail(winsys::FNERR_BUFFERTOOSMALL, c.result));
    OpenFileArgs open{.Filename = "a", .FileTitle = "t", .ReadOnly = true, .flags = 0x4};
    SaveFileArgs save{.Filename = "a", .FileTitle = "t", .flags = 0x4};
    const bool confirmed = c.save ? dialog.VBGetSaveFileName(save) : dialog.VBGetOpenFileName(open);
    EXPECT_FALSE(confirmed);
    EXPECT_EQ(dialog.APIReturn(), c.result);
    EXPECT_EQ(dialog.ExtendedError(), c.extendedError);
    EXPECT_EQ(calls.errorQueries, c.errorQueries);
    if (c.save) {
      EXPECT_EQ(save.Filename + save.FileTitle + save.Filter, "");
      EXPECT_EQ(save.flags, 0);
      EXPECT_EQ(save.FilterIndex, c.filterIndex);
    } else {
      EXPECT_EQ(open.Filename + open.FileTitle + open.Filter, "");
      EXPECT_EQ(open.flags, 0);
      EXPECT_EQ(open.FilterIndex, c.filterIndex);
      EXPECT_TRUE(open.ReadOnly);
    }
  }
}

TEST_F(FileDialogTest, NextDialogClearsAnEarlierFailure) {
  FailOnce();
  calls.answers.push_back(FakeCommonDialogCalls::Confirm("/a\0"s));
  OpenFileArgs args;
  EXPECT_TRUE(dialog.VBGetOpenFileName(args));
  EXPECT_EQ(dialog.APIReturn(), 1);
  EXPECT_EQ(dialog.ExtendedError(), 0u);
}

enum class Refusal { kNone, kOverflow, kInvalidArgument };

struct LimitCase {
  const char* name;
  bool save;
  std::size_t filename;
  std::size_t fileTitle;
  std::size_t filter;
  Refusal refusal;
};

TEST_F(FileDialogTest, RefusesOversizedArgumentsBeforeShowingTheDialog) {
  const LimitCase cases[] = {
      {"filter 32766", false, 0, 0, 32766, Refusal::kNone},
      {"filter 32767", false, 0, 0, 32767, Refusal::kOverflow},
      {"save filter 32767", true, 0, 0, 32767, Refusal::kOverflow},
      {"open name 1024", false, 1024, 0, 1, Refusal::kNone},
      {"open name 1025", false, 1025, 0, 1, Refusal::kInvalidArgument},
      {"save name 260", true, 260, 0, 1, Refusal::kNone},
      {"save name 261", true, 261, 0, 1, Refusal::kInvalidArgument},
      {"title 260", false, 0, 260, 1, Refusal::kNone},
      {"title 261", false, 0, 261, 1, Refusal::kInvalidArgument},
      {"save title 261", true, 0, 261, 1, Refusal::kInvalidArgument},
  };
  for (const LimitCase& c : cases) {
    SCOPED_TRACE(c.name);
    FailOnce();
    calls.requests.clear();
    const std::string filename(c.filename, 'n');
    const std::string fileTitle(c.fileTitle, 't');
    const std::string filter(c.filter, 'f');
    OpenFileArgs open{.Filename = filename, .FileTitle = fileTitle, .Filter = filter, .flags = 4};
    SaveFileArgs save{.Filename = filename, .FileTitle = fileTitle, .Filter = filter, .flags = 4};
    const auto show = [&] {
      return c.save ? dialog.VBGetSaveFileName(save) : dialog.VBGetOpenFileName(open);
    };
    switch (c.refusal) {
      case Refusal::kNone:
        EXPECT_NO_THROW(show());
        ASSERT_EQ(calls.requests.size(), 1u);
        EXPECT_EQ(Sent().lpstrFilter.size(), c.filter + 2);
        continue;
      case Refusal::kOverflow:
        EXPECT_THROW(show(), OverflowError);
        break;
      case Refusal::kInvalidArgument:
        EXPECT_THROW(show(), InvalidArgumentError);
        break;
    }
    EXPECT_TRUE(calls.requests.empty());
    EXPECT_EQ(dialog.APIReturn(), 0);
    EXPECT_EQ(dialog.ExtendedError(), 0u);
    const std::string& keptName = c.save ? save.Filename : open.Filename;
    const std::string& keptFilter = c.save ? save.Filter : open.Filter;
    const std::int32_t keptFlags = c.save ? save.flags : open.flags;
    EXPECT_EQ(keptName, filename);
    EXPECT_EQ(keptFilter, filter);
    EXPECT_EQ(keptFlags, 4);
  }
}

TEST_F(FileDialogTest, FileTitleLeavesTheOutcomeAsItWas) {
  FailOnce();
  std::size_t bufferSize = 0;
  std::uint16_t capacity = 0;
  calls.fileTitle = [&](const std::string& file, std::string& buffer, std::uint16_t cap) {
    bufferSize = buffer.size();
    capacity = cap;
    return winsys::GetFileTitleOf(file, buffer, cap);
  };
  EXPECT_EQ(dialog.VBGetFileTitle("/home/é/日本.bmp"), "日本.bmp");
  EXPECT_EQ(bufferSize, 260u);
  EXPECT_EQ(capacity, 260u);
  EXPECT_EQ(dialog.VBGetFileTitle("/home/u/"), "");
  EXPECT_EQ(dialog.APIReturn(), winsys::kDialogFailed);
  EXPECT_EQ(dialog.ExtendedError(), winsys::CDERR_DIALOGFAILURE);
}

}  // namespace
}  // namespace sprite::dialogs
