// sprite-cli as a user runs it: arguments, output streams, exit statuses, files.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/test_files.h"

namespace sprite::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

struct Result {
  int status = -1;
  std::string out;
  std::string err;
  std::vector<std::string> lines;     // stdout, one entry per line
  std::vector<std::string> errLines;  // stderr, one entry per line
};

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    lines.push_back(line);
  }
  return lines;
}

std::string Slurp(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs sprite-cli with the arguments and waits for it; `interruptAfterMs` >= 0
// sends Ctrl+C (SIGINT) that long after the start.
Result RunCli(const TempFolder& folder, const std::vector<std::string>& args,
              int interruptAfterMs = -1) {
  const std::string outPath = folder.Path("stdout.txt");
  const std::string errPath = folder.Path("stderr.txt");
  const pid_t child = fork();
  if (child == 0) {
    freopen(outPath.c_str(), "w", stdout);
    freopen(errPath.c_str(), "w", stderr);
    std::vector<char*> argv{const_cast<char*>(SPRITE_CLI)};
    for (const auto& arg : args) {
      argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    execv(SPRITE_CLI, argv.data());
    _exit(127);
  }
  if (interruptAfterMs >= 0) {
    usleep(static_cast<useconds_t>(interruptAfterMs) * 1000);
    kill(child, SIGINT);
  }
  int status = 0;
  waitpid(child, &status, 0);
  Result result;
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  result.out = Slurp(outPath);
  result.err = Slurp(errPath);
  result.lines = SplitLines(result.out);
  result.errLines = SplitLines(result.err);
  unlink(outPath.c_str());
  unlink(errPath.c_str());
  return result;
}

TEST(CliTest, VersionAndHelpGoToStandardOutput) {
  TempFolder folder;
  Result version = RunCli(folder, {"--version"});
  EXPECT_EQ(version.status, 0);
  ASSERT_GE(version.lines.size(), 2u);
  EXPECT_EQ(version.lines[0], "sprite-cli (Sprite Encoder / Decoder) 1.2.11");
  EXPECT_THAT(version.out, HasSubstr("MIT licence"));
  for (const auto& [args, usage] :
       {std::pair{std::vector<std::string>{"--help"}, "encode [OPTION]... -o ARCHIVE BITMAP..."},
        {{"encode", "--help"}, "encode [-q] -o ARCHIVE BITMAP..."},
        {{"decode", "-h", "x.spr"}, "decode [-q] [-C FOLDER] ARCHIVE"}}) {
    Result help = RunCli(folder, args);
    EXPECT_EQ(help.status, 0);
    EXPECT_THAT(help.lines, ::testing::Contains(std::string("Usage: sprite-cli ") + usage));
    EXPECT_EQ(help.err, "");
  }
}

TEST(CliTest, UsageErrorIsOneLineAndWhereToFindHelp) {
  TempFolder folder;
  const std::string bitmap = folder.Path("a.bmp");
  WriteFile(bitmap, BuildBitmap({.pixelArea = {1, 2, 3, 4}}));
  const std::string out = folder.Path("x.spr");
  const std::string missingFolder = folder.Path("no-such-folder");
  const struct {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{}, "no command given"},
      {{"pack"}, "unknown command 'pack'"},
      {{"encode", bitmap}, "encode needs an archive to write: -o ARCHIVE"},
      {{"encode", "-o"}, "option '-o' needs a file name"},
      {{"encode", "-o", out}, "encode needs at least one bitmap"},
      {{"encode", "-o", out, "--fast", bitmap}, "unknown option '--fast'"},
      {{"encode", "-qv", "-o", out, bitmap}, "unknown option '-v'"},
      {{"encode", "-o", out, "-", bitmap}, "unknown option '-'"},
      {{"decode"}, "decode needs an archive"},
      {{"decode", "a.spr", "b.spr"}, "decode takes exactly one archive"},
      {{"decode", "-C", missingFolder, "a.spr"}, "no such folder '" + missingFolder + "'"},
      {{"decode", "--directory=" + bitmap, "a.spr"}, "'" + bitmap + "' is not a folder"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    Result result = RunCli(folder, c.args);
    EXPECT_EQ(result.status, 2);
    EXPECT_THAT(result.errLines, ElementsAre("sprite-cli: " + c.message,
                                             "Try 'sprite-cli --help' for more information."));
    EXPECT_EQ(result.out, "");
  }
  EXPECT_THAT(folder.Names(), ElementsAre("a.bmp"));  // nothing written, no folder made
}

TEST(CliTest, EncodeThenDecodePrintsTheLogAndRestoresTheFiles) {
  TempFolder folder;
  std::mt19937 random(7);
  const BitmapFields picture{.width = 5,
                             .height = 3,
                             .palette = TestPalette(4),
                             .pixelArea = SpritePixelArea(random, 5, 3)};
  const std::string a = folder.Path("a.bmp");
  WriteFile(a, BuildBitmap(picture));
  const std::string archive = folder.Path("a.spr");

  Result encoded = RunCli(folder, {"encode", "--output=" + archive, a});
  EXPECT_EQ(encoded.status, 0) << encoded.err;
  EXPECT_THAT(encoded.lines,
              ElementsAre("Init", "Adding: " + a,
                          "RLE: OK, Compressed and orig data are identical ;]", "Completed "));
  EXPECT_EQ(encoded.err, "");

  Result decoded = RunCli(folder, {"decode", archive});
  EXPECT_EQ(decoded.status, 0) << decoded.err;
  EXPECT_THAT(decoded.lines, ElementsAre("Decoding...", "Processing bitmap: 1",
                                         "Decoded 1 pictures in .spr to .bmp"));
  EXPECT_EQ(ReadFile(archive + ".0001.bmp"), BuildBitmap(picture));
}

TEST(CliTest, ExitStatusSaysHowTheRunWent) {
  TempFolder folder;
  const std::string good = folder.Path("good.bmp");
  WriteFile(good, BuildBitmap({.pixelArea = {1, 2, 3, 4}}));

  Result unwritable = RunCli(folder, {"encode", "-o", folder.Path("nowhere/x.spr"), good});
  EXPECT_EQ(unwritable.status, 2);
  ASSERT_EQ(unwritable.lines.size(), 1u);
  EXPECT_THAT(unwritable.lines[0], HasSubstr("cannot write the archive"));
  EXPECT_THAT(unwritable.err, ::testing::StartsWith("sprite-cli: cannot write the archive"));

  Result notArchive = RunCli(folder, {"decode", good});
  EXPECT_EQ(notArchive.status, 1);
  EXPECT_EQ(notArchive.err, "sprite-cli: Error: \"" + good +
                                "\" is not a sprite archive: it starts with 42 4D 3A 04 "
                                "(\"BM:.\"); a sprite archive starts with 53 50 01 02 (\"SP\" "
                                "and the bytes 1 and 2).\n");
  EXPECT_THAT(notArchive.lines, ElementsAre("Decoding..."));

  Result missing = RunCli(folder, {"decode", folder.Path("none.spr")});
  EXPECT_EQ(missing.status, 1);
  EXPECT_THAT(missing.err, ::testing::StartsWith("sprite-cli: "));
  EXPECT_THAT(missing.err, HasSubstr("No such file or directory"));
}

TEST(CliTest, EveryPictureNotStoredGetsOneLineWithItsReason) {
  TempFolder folder;
  const auto file = [&](const std::string& name, const Bytes& bytes) {
    WriteFile(folder.Path(name), bytes);
    return folder.Path(name);
  };
  const auto text = [](const std::string& bytes) { return Bytes(bytes.begin(), bytes.end()); };
  Bytes damaged = BuildBitmap({});
  damaged[11] = 0x13;  // pixel offset 4918 in a 1078-byte file
  std::filesystem::create_directory(folder.root() / "sub");
  const std::vector<std::pair<std::string, std::string>> notStored{
      {folder.Path("missing.bmp"), "there is no such file"},
      {folder.Path("sub"), "cannot read it: it is a folder, not a file"},
      {file("a.png", text(std::string("\x89PNG\r\n\x1A\n", 8) + std::string(60, 'x'))),
       "it is a PNG picture, not a bitmap file"},
      {file("a.txt", text(std::string(60, 'h'))),
       "it is not a bitmap file: it starts with 68 68 68 68 (\"hhhh\"), not with \"BM\""},
      {file("24.bmp", BuildBitmap({.bitsPerPixel = 24, .coloursUsed = 0})),
       "it is a 24-bit bitmap; only 8-bit bitmaps with 256 colours can be stored"},
      {file("4.bmp", BuildBitmap({.bitsPerPixel = 4, .coloursUsed = 16})), "it is a 4-bit bitmap;"},
      {file("16.bmp", BuildBitmap({.coloursUsed = 16})), "it is an 8-bit bitmap with 16 colours;"},
      {file("rle.bmp", BuildBitmap({.compression = 1})),
       "it is compressed (compression 1, run-length 8-bit); only uncompressed bitmaps"},
      {file("bad.bmp", damaged), "it is damaged: the pixel offset 4918 lies past the end"},
  };
  const std::string good = file("good.bmp", BuildBitmap({.pixelArea = {1, 2, 3, 4}}));
  std::vector<std::string> args{"encode", "-o", folder.Path("x.spr")};
  for (const auto& [path, reason] : notStored) {
    args.push_back(path);
  }
  args.push_back(good);

  Result result = RunCli(folder, args);

  EXPECT_EQ(result.status, 1);
  ASSERT_EQ(result.errLines.size(), notStored.size());
  for (std::size_t i = 0; i < notStored.size(); ++i) {
    EXPECT_THAT(result.errLines[i], ::testing::StartsWith("sprite-cli: " + notStored[i].first +
                                                          ": not stored: " + notStored[i].second));
  }
  EXPECT_EQ(result.lines.size(), 4u + notStored.size());  // the window's log and nothing else
}

TEST(CliTest, QuietRunsPrintOnlyProblemsAndDecodeWritesIntoTheFolderGiven) {
  TempFolder folder;
  const std::string bitmap = folder.Path("a.bmp");
  WriteFile(bitmap, BuildBitmap({.pixelArea = {1, 2, 3, 4}}));
  const std::string archive = folder.Path("pack.spr");
  // After "--" even "-q" is a file name, here a missing one.
  Result encoded = RunCli(folder, {"encode", "-q", "-o" + archive, "--", bitmap, "-q"});
  EXPECT_EQ(encoded.status, 1);
  EXPECT_EQ(encoded.out, "");
  EXPECT_EQ(encoded.err, "sprite-cli: -q: not stored: there is no such file\n");

  std::filesystem::create_directory(folder.root() / "out");
  Result decoded = RunCli(folder, {"--quiet", "decode", "-C", folder.Path("out"), archive});
  EXPECT_EQ(decoded.status, 0);
  EXPECT_EQ(decoded.out + decoded.err, "");
  EXPECT_EQ(ReadFile(folder.Path("out/pack.spr.0001.bmp")), ReadFile(bitmap));
  EXPECT_THAT(folder.Names(), ElementsAre("a.bmp", "out", "pack.spr"));
}

TEST(CliTest, CtrlCLeavesNoTemporaryOrPartialFile) {
  TempFolder folder;
  std::mt19937 random(11);
  std::vector<std::string> args{"encode", "-o", folder.Path("big.spr")};
  for (int i = 0; i < 400; ++i) {
    const std::string path = folder.Path("p" + std::to_string(i) + ".bmp");
    WriteFile(path, BuildBitmap(
                        {.width = 64, .height = 64, .pixelArea = SpritePixelArea(random, 64, 64)}));
    args.push_back(path);
  }
  ASSERT_EQ(RunCli(folder, args).status, 0);
  const auto before = folder.Names();

  for (int delay : {0, 20, 60}) {
    Result result = RunCli(folder, {"decode", folder.Path("big.spr")}, delay);
    // Whenever the signal lands, what is on disk is whole: no temporary files,
    // and every bitmap present is complete.
    for (const auto& name : folder.Names()) {
      EXPECT_NE(name.front(), '.') << "temporary file left: " << name;
      if (name.rfind("big.spr.", 0) == 0) {
        EXPECT_EQ(ReadFile(folder.Path(name)).size(), 1078u + 64 * 64) << name;
      }
    }
    // A signal that lands before the handler is installed ends the process
    // before it has written anything (128 + SIGINT).
    if (result.status == 2) {
      EXPECT_THAT(result.err, HasSubstr("stopped"));
    } else if (result.status != 0) {
      EXPECT_EQ(result.status, 128 + SIGINT) << result.err;
    }
  }
  EXPECT_GE(folder.Names().size(), before.size());
}

}  // namespace
}  // namespace sprite::testing
