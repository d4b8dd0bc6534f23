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

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    lines.push_back(line);
  }
  return lines;
}

constexpr char kTry[] = "Try 'sprite-cli --help' for more information.";

TEST(CliTest, VersionAndHelpGoToStandardOutput) {
  TempFolder folder;
  Result version = RunCli(folder, {"--version"});
  EXPECT_EQ(version.status, 0);
  ASSERT_GE(version.lines.size(), 3u);
  EXPECT_EQ(version.lines[0], "sprite-cli (Sprite Encoder / Decoder) 1.2.11");
  EXPECT_EQ(version.lines[1], "Copyright (c) 2026 the Sprite Encoder / Decoder authors");
  EXPECT_THAT(version.out, HasSubstr("MIT licence"));
  EXPECT_EQ(version.err, "");

  const struct {
    std::vector<std::string> args;
    std::string usage;
  } cases[] = {
      {{"--help"}, "Usage: sprite-cli encode [OPTION]... -o ARCHIVE BITMAP..."},
      {{"-h"}, "Usage: sprite-cli encode [OPTION]... -o ARCHIVE BITMAP..."},
      {{"encode", "--help"}, "Usage: sprite-cli encode [-q] -o ARCHIVE BITMAP..."},
      {{"decode", "-h", "x.spr"}, "Usage: sprite-cli decode [-q] [-C FOLDER] ARCHIVE"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[0] + (c.args.size() > 1 ? " " + c.args[1] : ""));
    Result help = RunCli(folder, c.args);
    EXPECT_EQ(help.status, 0);
    ASSERT_FALSE(help.lines.empty());
    EXPECT_EQ(help.lines[0], c.usage);
    EXPECT_EQ(help.err, "");
  }
}

TEST(CliTest, UsageErrorIsOneLineAndWhereToFindHelp) {
  TempFolder folder;
  const std::string bitmap = folder.Path("a.bmp");
  WriteFile(bitmap, BuildBitmap({.pixelArea = {1, 2, 3, 4}}));
  const std::string missingFolder = folder.Path("no-such-folder");
  const struct {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{}, "no command given"},
      {{"pack"}, "unknown command 'pack'"},
      {{"encode", bitmap}, "encode needs an archive to write: -o ARCHIVE"},
      {{"encode", "-o"}, "option '-o' needs a file name"},
      {{"encode", "--output="}, "option '--output' needs a file name"},
      {{"encode", "-o", folder.Path("x.spr")}, "encode needs at least one bitmap"},
      {{"encode", "-o", folder.Path("x.spr"), "--fast", bitmap}, "unknown option '--fast'"},
      {{"encode", "-ox.spr", "-v", bitmap}, "unknown option '-v'"},
      {{"encode", "-o", folder.Path("x.spr"), "-", bitmap}, "unknown option '-'"},
      {{"encode", "--quiet=yes", "-o", folder.Path("x.spr"), bitmap},
       "option '--quiet' takes no value"},
      {{"encode", "-C", folder.root().string(), "-o", folder.Path("x.spr"), bitmap},
       "option '-C' (--directory) belongs to decode"},
      {{"decode"}, "decode needs an archive"},
      {{"decode", "a.spr", "b.spr"}, "decode takes exactly one archive"},
      {{"decode", "-o", "a.spr", "b.spr"}, "option '-o' (--output) belongs to encode"},
      {{"decode", "-C", missingFolder, "a.spr"}, "no such folder '" + missingFolder + "'"},
      {{"decode", "--directory=" + bitmap, "a.spr"}, "'" + bitmap + "' is not a folder"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    Result result = RunCli(folder, c.args);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "sprite-cli: " + c.message + "\n" + kTry + "\n");
    EXPECT_EQ(result.out, "");
  }
  EXPECT_THAT(folder.Names(), ElementsAre("a.bmp"));  // nothing written, no folder made
}

TEST(CliTest, OutputNamedInEveryFormAndFileNamesAfterDoubleDash) {
  TempFolder folder;
  const std::string bitmap = folder.Path("-odd.bmp");
  WriteFile(bitmap, BuildBitmap({.pixelArea = {1, 2, 3, 4}}));
  const std::string archive = folder.Path("out.spr");
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"encode", "--output=" + archive, "--", bitmap},
        {"encode", "--output", archive, "--", bitmap},
        {"encode", "-o" + archive, "--", bitmap}}) {
    SCOPED_TRACE(args[1]);
    unlink(archive.c_str());
    Result result = RunCli(folder, args);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_THAT(result.lines,
                ElementsAre("Init", "Adding: " + bitmap,
                            "RLE: OK, Compressed and orig data are identical ;]", "Completed "));
    EXPECT_EQ(ReadFile(archive).size(), 8u + 6 + 4 + 1024);
  }

  // Quiet prints no log line; after "--" the "-q" is a file, and a missing one.
  Result quiet = RunCli(folder, {"-q", "encode", "-o", archive, "--", bitmap, "-q"});
  EXPECT_EQ(quiet.status, 1);
  EXPECT_EQ(quiet.out, "");
  EXPECT_EQ(quiet.err, "sprite-cli: -q: not stored: there is no such file\n");
  EXPECT_EQ(ReadFile(archive).size(), 8u + 6 + 4 + 1024);
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
  const auto bitmap = [&](const std::string& name, const BitmapFields& fields) {
    WriteFile(folder.Path(name), BuildBitmap(fields));
    return folder.Path(name);
  };
  const auto file = [&](const std::string& name, const std::string& bytes) {
    WriteFile(folder.Path(name), Bytes(bytes.begin(), bytes.end()));
    return folder.Path(name);
  };
  std::filesystem::create_directory(folder.root() / "sub");
  Bytes damaged = BuildBitmap({.pixelArea = {}});
  damaged[10] = 0x88;  // pixel offset 5000 in a 1078-byte file
  damaged[11] = 0x13;
  WriteFile(folder.Path("damaged.bmp"), damaged);

  const std::vector<std::pair<std::string, std::string>> notStored{
      {folder.Path("missing.bmp"), "there is no such file"},
      {folder.Path("sub"), "cannot read it: it is a folder, not a file"},
      {file("picture.png", std::string("\x89PNG\r\n\x1A\n", 8) + std::string(100, '\0')),
       "it is a PNG picture, not a bitmap file"},
      {file("notes.txt", std::string(100, 'h')),
       "it is not a bitmap file: it starts with 68 68 68 68 (\"hhhh\"), not with \"BM\""},
      {bitmap("true.bmp", {.bitsPerPixel = 24, .coloursUsed = 0}), "it is a 24-bit bitmap; only"},
      {bitmap("four.bmp", {.bitsPerPixel = 4, .coloursUsed = 16}), "it is a 4-bit bitmap; only"},
      {bitmap("sixteen.bmp", {.coloursUsed = 16}), "it is an 8-bit bitmap with 16 colours; only"},
      {bitmap("rle.bmp", {.compression = 1, .pixelArea = {4, 5, 0, 0, 0, 1}}),
       "it is compressed (compression 1, run-length 8-bit); only uncompressed"},
      {folder.Path("damaged.bmp"), "it is damaged: the pixel offset 5000 lies past the end"},
  };
  const std::string first =
      bitmap("first.bmp", {.palette = TestPalette(1), .pixelArea = {1, 2, 3, 4}});
  const std::string last =
      bitmap("last.bmp", {.palette = TestPalette(2), .pixelArea = {5, 6, 7, 8}});
  std::vector<std::string> args{"encode", "-o", folder.Path("x.spr"), first};
  for (const auto& [path, reason] : notStored) {
    args.push_back(path);
  }
  args.push_back(last);

  Result result = RunCli(folder, args);

  EXPECT_EQ(result.status, 1);
  const std::vector<std::string> err = Lines(result.err);
  ASSERT_EQ(err.size(), notStored.size() + 1);
  for (std::size_t i = 0; i < notStored.size(); ++i) {
    EXPECT_THAT(err[i], ::testing::StartsWith("sprite-cli: " + notStored[i].first +
                                              ": not stored: " + notStored[i].second));
  }
  EXPECT_THAT(err.back(),
              ::testing::StartsWith("sprite-cli: " + first + ": stored, but it has other colours"));
  // The log lines on standard output are the window's: the warning comes last.
  ASSERT_GE(result.lines.size(), 2u);
  EXPECT_EQ(result.lines[result.lines.size() - 2],
            "Warning: \"" + first +
                "\" has other colours than the last picture; the archive keeps only the last "
                "palette");
  EXPECT_EQ(std::count(result.lines.begin(), result.lines.end(),
                       "ERROR: bitmap palette does not match format restriction (8BPP/256Cols)"),
            6);
}

TEST(CliTest, DecodeIntoAnotherFolderNamesTheBitmapsAfterTheArchive) {
  TempFolder folder;
  const std::string bitmap = folder.Path("a.bmp");
  WriteFile(bitmap, BuildBitmap({.pixelArea = {1, 2, 3, 4}}));
  const std::string archive = folder.Path("pack.spr");
  ASSERT_EQ(RunCli(folder, {"encode", "-q", "-o", archive, bitmap}).status, 0);
  std::filesystem::create_directory(folder.root() / "out");

  Result result = RunCli(folder, {"decode", "-C", folder.Path("out"), archive});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_THAT(result.lines, ElementsAre("Decoding...", "Processing bitmap: 1",
                                        "Decoded 1 pictures in .spr to .bmp"));
  EXPECT_EQ(ReadFile(folder.Path("out/pack.spr.0001.bmp")), ReadFile(bitmap));

  unlink(folder.Path("out/pack.spr.0001.bmp").c_str());
  Result quiet =
      RunCli(folder, {"decode", "--quiet", "--directory=" + folder.Path("out"), archive});
  EXPECT_EQ(quiet.status, 0);
  EXPECT_EQ(quiet.out, "");
  EXPECT_EQ(quiet.err, "");
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
