// sprite-cli as a user runs it: arguments, output streams, exit statuses, files.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <random>
#include <sstream>
#include <string>
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
  std::vector<std::string> lines;  // stdout, one entry per line
};

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
  std::istringstream lines(result.out);
  for (std::string line; std::getline(lines, line);) {
    result.lines.push_back(line);
  }
  unlink(outPath.c_str());
  unlink(errPath.c_str());
  return result;
}

TEST(CliTest, UsageHelpAndVersion) {
  TempFolder folder;
  Result version = RunCli(folder, {"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "Sprite Encoder / Decoder 1.2.11\n");

  Result help = RunCli(folder, {"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_THAT(help.out, HasSubstr("sprite-cli encode -o OUT IN..."));

  for (const std::vector<std::string>& wrong : {std::vector<std::string>{},
                                                {"pack"},
                                                {"encode", "a.bmp"},
                                                {"encode", "-o"},
                                                {"decode"},
                                                {"decode", "a.spr", "b.spr"}}) {
    Result result = RunCli(folder, wrong);
    EXPECT_EQ(result.status, 2) << (wrong.empty() ? "" : wrong[0]);
    EXPECT_THAT(result.err, HasSubstr("Usage:"));
    EXPECT_EQ(result.out, "");
  }
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

  Result encoded = RunCli(folder, {"encode", "-o", archive, a});
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
  const std::string archive = folder.Path("x.spr");

  Result rejected = RunCli(folder, {"encode", "-o", archive, good, folder.Path("missing.bmp")});
  EXPECT_EQ(rejected.status, 1);
  EXPECT_THAT(rejected.lines,
              ::testing::Contains("ERROR: bitmap palette does not match format restriction "
                                  "(8BPP/256Cols)"));

  Result unwritable = RunCli(folder, {"encode", "-o", folder.Path("nowhere/x.spr"), good});
  EXPECT_EQ(unwritable.status, 2);
  ASSERT_EQ(unwritable.lines.size(), 1u);
  EXPECT_THAT(unwritable.lines[0], HasSubstr("cannot write the archive"));

  Result notArchive = RunCli(folder, {"decode", good});
  EXPECT_EQ(notArchive.status, 1);
  EXPECT_THAT(notArchive.err,
              ::testing::StartsWith("Error: \"" + good + "\" is not a sprite archive: "));
  EXPECT_THAT(notArchive.lines, ElementsAre("Decoding..."));

  Result missing = RunCli(folder, {"decode", folder.Path("none.spr")});
  EXPECT_EQ(missing.status, 1);
  EXPECT_THAT(missing.err, HasSubstr("No such file or directory"));
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
