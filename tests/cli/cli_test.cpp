// sprite-cli as a user runs it: arguments, output streams, exit statuses, files.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/test_files.h"
#include "cli/sprite_cli.h"
#include "common/text.h"
#include "files/posix/posix_file_system.h"
#include "formats/png_writer.h"
#include "formats/sprite_archive.h"

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
  long peakKiB = 0;                   // the child's peak resident memory
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

// Standard output goes to `outPath`, or to `outFd` when one is given;
// standard input comes from `inPath`, or `inFd` (sharing its offset), when one
// is given.
pid_t StartCli(const std::vector<std::string>& args, const std::string& outPath,
               const std::string& errPath, int outFd = -1, const std::string& inPath = {},
               int inFd = -1) {
  const pid_t child = fork();
  if (child == 0) {
    if (!inPath.empty()) {
      freopen(inPath.c_str(), "r", stdin);
    }
    if (inFd >= 0) {
      dup2(inFd, STDIN_FILENO);
    }
    const rlimit noCore{0, 0};  // SIGQUIT before the handler is in place dumps no core
    setrlimit(RLIMIT_CORE, &noCore);
    // Few descriptors make small batches of replaced files (64), so that a
    // run of a few thousand files goes through many of them.
    rlimit files{};
    getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = std::min<rlim_t>(files.rlim_cur, 256);
    setrlimit(RLIMIT_NOFILE, &files);
    if (outFd >= 0) {
      dup2(outFd, STDOUT_FILENO);
    } else {
      freopen(outPath.c_str(), "w", stdout);
    }
    freopen(errPath.c_str(), "w", stderr);
    std::vector<char*> argv{const_cast<char*>(SPRITE_CLI)};
    for (const auto& arg : args) {
      argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    execv(SPRITE_CLI, argv.data());
    _exit(127);
  }
  return child;
}

Result Finish(pid_t child, const std::string& outPath, const std::string& errPath) {
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  Result result;
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  result.out = Slurp(outPath);
  result.err = Slurp(errPath);
  result.lines = SplitLines(result.out);
  result.errLines = SplitLines(result.err);
  result.peakKiB = usage.ru_maxrss;
  unlink(outPath.c_str());
  unlink(errPath.c_str());
  return result;
}

// Runs sprite-cli with the arguments and waits for it; a `signal` other than 0
// is sent `afterMs` after the start.
Result RunCli(const TempFolder& folder, const std::vector<std::string>& args, int signal = 0,
              int afterMs = 0, const std::string& inPath = {}) {
  const std::string outPath = folder.Path("stdout.txt");
  const std::string errPath = folder.Path("stderr.txt");
  const pid_t child = StartCli(args, outPath, errPath, -1, inPath);
  if (signal != 0) {
    usleep(static_cast<useconds_t>(afterMs) * 1000);
    kill(child, signal);
  }
  return Finish(child, outPath, errPath);
}

// An archive of `count` pictures of 64 x 64 colour pixels, stored as literals;
// another `shift` gives other pixels.
Bytes ArchiveOf(int count, int shift = 0) {
  Bytes archive{0x53,
                0x50,
                0x01,
                0x02,
                static_cast<std::uint8_t>(count),
                static_cast<std::uint8_t>(count >> 8),
                0,
                0};
  for (int i = 0; i < count; ++i) {
    archive.insert(archive.end(), {64, 0, 64, 0, 0x00, 0x10});
    for (int k = 0; k < 64 * 64; ++k) {
      archive.push_back(static_cast<std::uint8_t>(1 + (i + k + shift) % 255));
    }
  }
  archive.resize(archive.size() + 1024);
  return archive;
}

// Whatever happened, what is on disk is whole: no temporary file, and every
// decoded bitmap complete.
void ExpectOnlyWholeFiles(const TempFolder& folder, std::size_t bitmapSize) {
  for (const auto& name : folder.Names()) {
    EXPECT_NE(name.front(), '.') << "temporary file left: " << name;
    if (name.ends_with(".bmp")) {
      EXPECT_EQ(std::filesystem::file_size(folder.Path(name)), bitmapSize) << name;
    }
  }
}

TEST(CliTest, VersionAndHelpGoToStandardOutput) {
  TempFolder folder;
  Result version = RunCli(folder, {"--version"});
  EXPECT_EQ(version.status, 0);
  ASSERT_GE(version.lines.size(), 2u);
  EXPECT_EQ(version.lines[0], "sprite-cli (Sprite Encoder / Decoder) 1.2.11");
  EXPECT_THAT(version.out, HasSubstr("MIT licence"));
  for (const auto& [args, usage] :
       {std::pair{std::vector<std::string>{"--help"}, "encode [OPTION]... -o ARCHIVE PICTURE..."},
        {{"encode", "--help"}, "encode [OPTION]... -o ARCHIVE PICTURE..."},
        {{"decode", "-h", "x.spr"}, "decode [OPTION]... ARCHIVE"},
        {{"palette", "-h"}, "palette [OPTION]... ARCHIVE -o FILE"},
        {{"list", "--help"}, "list [OPTION]... ARCHIVE"}}) {
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
  const std::string tooLong = folder.Path(std::string(300, 'a'));
  const struct {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{}, "no command given"},
      {{"pack"}, "unknown command \"pack\""},
      {{"encode", bitmap}, "encode needs an archive to write: -o ARCHIVE"},
      {{"encode", "-o"}, "option \"-o\" needs a file name"},
      {{"encode", "-o", out, "--palette", "", bitmap}, "option \"--palette\" needs a file name"},
      {{"decode", "--list", "", "a.spr"}, "option \"--list\" needs a file name"},
      {{"encode", "-o", out}, "encode needs at least one picture"},
      {{"encode", "-o", out, "--fast", bitmap}, "unknown option \"--fast\""},
      {{"encode", "-qv", "-o", out, bitmap}, "unknown option \"-v\""},
      {{"encode", "-o", out, "-walk.png"},
       "unknown option \"-w\"; to name the file \"-walk.png\", put -- before it"},
      {{"encode", "-o", out, "-", bitmap},
       "pictures are read from files; only decode reads standard input (\"-\")"},
      {{"decode"}, "decode needs an archive"},
      {{"decode", "a.spr", "b.spr"}, "decode takes exactly one archive"},
      {{"decode", "-C", missingFolder, "a.spr"}, "no such folder \"" + missingFolder + "\""},
      {{"decode", "--directory=" + bitmap, "a.spr"}, "\"" + bitmap + "\" is not a folder"},
      {{"decode", "-C", tooLong, "a.spr"},
       "cannot use the folder " + Quoted(tooLong) + ": File name too long"},
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
  const auto file = [&](const std::string& name, const Bytes& bytes) {
    WriteFile(folder.Path(name), bytes);
    return folder.Path(name);
  };
  const std::string good = file("good.bmp", BuildBitmap({.pixelArea = {1, 2, 3, 4}}));
  const std::string archive = folder.Path("a.spr");
  ASSERT_EQ(RunCli(folder, {"encode", "-o", archive, good}).status, 0);
  Bytes damaged = ReadFile(archive);
  damaged[12] = 0xFF;  // a coded length that runs into the palette
  const std::string broken = file("broken.spr", damaged);
  const std::string blocked = file("blocked.spr", ReadFile(archive));
  std::filesystem::create_directory(blocked + ".0001.bmp");
  const std::string fifo = folder.Path("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0666), 0);
  const std::string out = folder.Path("x.spr");
  const struct {
    std::vector<std::string> args;
    int status;
    std::string err;
  } cases[] = {
      {{"encode", "-o", out, good}, 0, ""},
      {{"decode", archive}, 0, ""},
      {{"encode", "-o", out, fifo, good}, 1, fifo + ": not stored: cannot read it: it is a named "},
      {{"decode", good}, 1, "Error: \"" + good + "\" is not a sprite archive: it starts with 42"},
      {{"decode", folder.Path("none.spr")}, 1, "there is no such file"},
      {{"decode", fifo}, 1, "\"" + fifo + "\": it is a named pipe (FIFO), not a file"},
      {{"decode", broken}, 1, "entry 1 at offset 8"},
      {{"encode", "-o", fifo, good}, 2, "it is a named pipe (FIFO), not a file"},
      {{"encode", "-o", good, good}, 2, "the listed picture \"" + good + "\" is the same file"},
      {{"encode", "-o", archive, folder.Path("none.bmp")},
       1,
       "nothing stored; \"" + archive + "\" was left as it was"},
      {{"encode", "-o", folder.Path("nowhere/x.spr"), good}, 2, "cannot write the archive"},
      {{"decode", blocked}, 2, "it is a folder, not a file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.args.back());
    Result result = RunCli(folder, c.args);
    EXPECT_EQ(result.status, c.status) << result.err;
    if (c.err.empty()) {
      EXPECT_EQ(result.err, "");
    } else {
      EXPECT_THAT(result.err, HasSubstr(c.err));
    }
  }
  struct stat info {};
  EXPECT_TRUE(lstat(fifo.c_str(), &info) == 0 && S_ISFIFO(info.st_mode));
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
  const std::vector<std::pair<std::string, std::string>> notStored{
      {folder.Path("missing.bmp"), "there is no such file"},
      {file("a.png", text(std::string("\x89PNG\r\n\x1A\n", 8) + std::string(60, 'x'))),
       "chunk xxxx at offset 8 (2021161080 bytes) runs past the end of the file (68 bytes)"},
      {file("a.txt", text(std::string(60, 'h'))),
       "it is not a bitmap file: it starts with 68 68 68 68 (\"hhhh\"), not with \"BM\""},
      {file("24.bmp", BuildBitmap({.bitsPerPixel = 24, .coloursUsed = 0})),
       "it is a 24-bit bitmap; only 8-bit bitmaps with 256 colours can be stored: save it as one, "
       "or as a PNG picture"},
      {file("4.bmp", BuildBitmap({.bitsPerPixel = 4, .coloursUsed = 16})), "it is a 4-bit bitmap;"},
      {file("16.bmp", BuildBitmap({.coloursUsed = 16})), "it is an 8-bit bitmap with 16 colours;"},
      {file("rle.bmp", BuildBitmap({.compression = 1})),
       "it is compressed (compression 1, run-length 8-bit); only uncompressed bitmaps can be "
       "stored: save it again without compression"},
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

  std::filesystem::create_directory(folder.Root() / "out");
  Result decoded = RunCli(folder, {"--quiet", "decode", "-C", folder.Path("out"), archive});
  EXPECT_EQ(decoded.status, 0);
  EXPECT_EQ(decoded.out + decoded.err, "");
  EXPECT_EQ(ReadFile(folder.Path("out/pack.spr.0001.bmp")), ReadFile(bitmap));
  EXPECT_THAT(folder.Names(), ElementsAre("a.bmp", "out", "pack.spr"));
}

TEST(CliTest, AnArchiveGoesThroughStandardOutputAndComesBackThroughStandardInput) {
  TempFolder folder;
  const std::string bitmap = folder.Path("a.bmp");
  WriteFile(bitmap, BuildBitmap({.width = 3, .height = 2, .pixelArea = {1, 2, 3, 0, 4, 5, 6, 0}}));
  const std::string archive = folder.Path("a.spr");
  ASSERT_EQ(RunCli(folder, {"encode", "-o", archive, bitmap}).status, 0);

  // encode -o -: the archive on standard output, the log on standard error.
  const Result piped = RunCli(folder, {"encode", "-o", "-", bitmap});
  EXPECT_EQ(piped.status, 0);
  EXPECT_EQ(Bytes(piped.out.begin(), piped.out.end()), ReadFile(archive));
  EXPECT_THAT(piped.errLines,
              ElementsAre("Init", "Adding: " + bitmap,
                          "RLE: OK, Compressed and orig data are identical ;]", "Completed "));
  std::filesystem::create_directory(folder.Root() / "out");
  const Result decoded =
      RunCli(folder, {"decode", "-q", "-C", folder.Path("out"), "-"}, 0, 0, archive);
  EXPECT_EQ(decoded.status, 0) << decoded.err;
  EXPECT_EQ(ReadFile(folder.Path("out/sprites.0001.bmp")), ReadFile(bitmap));
  // A stream longer than any archive is refused where it passes that length.
  const std::string endless = folder.Path("endless");
  WriteFile(endless, Bytes(formats::kArchiveSignature.begin(), formats::kArchiveSignature.end()));
  std::filesystem::resize_file(endless, formats::kLongestArchive + 1);
  const Result tooLong =
      RunCli(folder, {"decode", "-q", "-C", folder.Path("out"), "-"}, 0, 0, endless);
  EXPECT_EQ(tooLong.status, 1);
  EXPECT_THAT(tooLong.err, HasSubstr("\"-\": it goes on past the 1073873923 bytes"));
  std::filesystem::remove(endless);
  // One that does not start as an archive (cat /dev/zero) is refused at its
  // first bytes, as a file of them is, not copied as far as an archive could go.
  const std::string junk = folder.Path("junk");
  WriteFile(junk, Bytes(16 << 20, 0x42));
  const int junkFd = open(junk.c_str(), O_RDONLY);
  const Result notAnArchive =
      Finish(StartCli({"decode", "-q", "-C", folder.Path("out"), "-"}, folder.Path("o.txt"),
                      folder.Path("e.txt"), -1, {}, junkFd),
             folder.Path("o.txt"), folder.Path("e.txt"));
  EXPECT_EQ(notAnArchive.status, 1);
  EXPECT_THAT(notAnArchive.err, HasSubstr("\"-\" is not a sprite archive: it starts with 42 42"));
  EXPECT_LT(lseek(junkFd, 0, SEEK_CUR), 1 << 20);
  close(junkFd);
  std::filesystem::remove(junk);
  // A folder given with "<" is refused as the folder named is.
  EXPECT_THAT(
      RunCli(folder, {"decode", "-q", "-C", folder.Path("out"), "-"}, 0, 0, folder.Path("out")).err,
      HasSubstr("\"-\": it is a folder, not a file"));
  // palette takes a bitmap's palette from standard input as well.
  EXPECT_EQ(RunCli(folder, {"palette", "-", "-o", folder.Path("p.gpl")}, 0, 0, bitmap).status, 0);

  for (const auto& args : {std::vector<std::string>{"decode", "-"},
                           std::vector<std::string>{"encode", "-o", archive, "-"}}) {
    const Result refused = RunCli(folder, args, 0, 0, archive);
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.errLines.size(), 2u);
  }
}

TEST(CliTest, ACtrlCWhileStandardInputIsReadStopsTheRun) {
  TempFolder folder;
  const std::string pipe = folder.Path("pipe");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  // Held open for writing, the pipe lets the run open it and then waits, as
  // a stream does that nobody writes to (or that is read faster than written).
  const int writer = open(pipe.c_str(), O_RDWR);
  const Result result =
      RunCli(folder, {"decode", "-q", "-C", folder.Path("."), "-"}, SIGINT, 400, pipe);
  EXPECT_EQ(result.status, 2);
  EXPECT_THAT(result.err, HasSubstr("stopped"));
  close(writer);
}

TEST(CliTest, AListOnStandardInputIsReadAsItComes) {
  TempFolder folder;
  const struct {
    const char* line;
    int status;
    const char* err;
  } cases[] = {
      // More pictures than an archive holds: refused once past them.
      {"y\n", 2, "more were given; the list \"-\" was read no further"},
      // Lines that name nothing: read to the end, none of them kept.
      {"\n", 1, "\"-\": the list names no picture"},
      {"# c\r\n", 1, "\"-\": the list names no picture"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    int pipeEnds[2];
    ASSERT_EQ(pipe2(pipeEnds, O_CLOEXEC), 0);  // the child keeps no writing end
    const pid_t child = StartCli({"encode", "-q", "-o", folder.Path("x.spr"), "@-"},
                                 folder.Path("o.txt"), folder.Path("e.txt"), -1, {}, pipeEnds[0]);
    close(pipeEnds[0]);
    // 64 MiB of the line, as `yes` writes it, until the reader goes away.
    std::string block;
    while (block.size() < (1 << 16)) {
      block += c.line;
    }
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    std::size_t written = 0;
    std::thread writer([&] {
      pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);  // a reader gone is EPIPE here
      while (written < (64u << 20)) {
        const ssize_t done = write(pipeEnds[1], block.data(), block.size());
        if (done <= 0) {
          break;
        }
        written += static_cast<std::size_t>(done);
      }
      close(pipeEnds[1]);
    });
    const Result result = Finish(child, folder.Path("o.txt"), folder.Path("e.txt"));
    writer.join();
    EXPECT_EQ(result.status, c.status);
    EXPECT_THAT(result.err, HasSubstr(c.err));
    if (c.status == 2) {
      EXPECT_LT(written, 8u << 20);
    }
#ifndef __SANITIZE_ADDRESS__
    EXPECT_LT(result.peakKiB, 32 * 1024);
#endif
  }
  EXPECT_FALSE(std::filesystem::exists(folder.Path("x.spr")));
}

// The bitmaps of a folder and their bytes, by name.
std::map<std::string, Bytes> Bitmaps(const std::string& folder) {
  std::map<std::string, Bytes> bitmaps;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() == ".bmp") {
      bitmaps[entry.path().filename().string()] = ReadFile(entry.path().string());
    }
  }
  return bitmaps;
}

TEST(CliTest, SignalsAtAnyMomentLeaveOnlyWholeFiles) {
  TempFolder folder;
  const std::string archive = folder.Path("big.spr");
  WriteFile(archive, ArchiveOf(1500));
  int stopped = 0;
  for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGKILL}) {
    // 400 ms: a sanitizer build on a busy machine takes longer than 100 ms to
    // start, and every earlier signal ends it before its handler is in place.
    for (const int afterMs : {0, 10, 40, 100, 400}) {
      SCOPED_TRACE(std::to_string(signal) + " after " + std::to_string(afterMs) + " ms");
      if (signal == SIGKILL) {  // new files, which need no temporary name at all
        for (const auto& name : folder.Names()) {
          if (name.ends_with(".bmp")) {
            unlink(folder.Path(name).c_str());
          }
        }
      }
      Result result = RunCli(folder, {"decode", "-q", archive}, signal, afterMs);
      ExpectOnlyWholeFiles(folder, 1078 + 64 * 64);
      // Before the handler is installed, or with SIGKILL, the signal ends the process.
      if (result.status == 2) {
        EXPECT_THAT(result.err, HasSubstr("stopped"));
        ++stopped;
      } else if (result.status != 0) {
        EXPECT_EQ(result.status, 128 + signal) << result.err;
      }
    }
  }
  EXPECT_GT(stopped, 0);
}

TEST(CliTest, SignalsWhileReplacingInBatchesLeaveEachOldFileOrItsWholeReplacement) {
  TempFolder folder;
  const std::string archive = folder.Path("pack.spr");
  const std::string out = folder.Path("out");
  // The bitmaps as they are decoded, and bitmaps of the same names and other
  // pixels as the old files they replace.
  std::map<std::string, Bytes> decoded[2];
  for (const int shift : {1, 0}) {
    WriteFile(archive, ArchiveOf(500, shift));
    std::filesystem::remove_all(out);
    std::filesystem::create_directory(out);
    ASSERT_EQ(RunCli(folder, {"decode", "-q", "-C", out, archive}).status, 0);
    decoded[shift] = Bitmaps(out);
  }
  const std::map<std::string, Bytes>& fresh = decoded[0];
  const std::map<std::string, Bytes>& old = decoded[1];
  const auto putOldFiles = [&] {
    for (const auto& [name, bytes] : old) {
      const std::string path = out + "/" + name;
      if (ReadFile(path) != bytes) {
        WriteFile(path, bytes);
      }
    }
  };
  // How long replacing them all takes here, so that signals land all through it.
  putOldFiles();
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(RunCli(folder, {"decode", "-q", "-C", out, archive}).status, 0);
  const auto wholeRun = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now() - start)
                            .count();
  for (const auto& [signal, percent] : {std::pair{SIGTERM, 30},
                                        {SIGTERM, 80},
                                        {SIGKILL, 10},
                                        {SIGKILL, 40},
                                        {SIGKILL, 70},
                                        {SIGKILL, 95}}) {
    SCOPED_TRACE(std::to_string(signal) + " at " + std::to_string(percent) + "%");
    putOldFiles();
    const Result result = RunCli(folder, {"decode", "-q", "-C", out, archive}, signal,
                                 static_cast<int>(wholeRun * percent / 100));
    EXPECT_TRUE(result.status == 0 || result.status == 2 || result.status == 128 + signal);
    // Only a process killed between naming a replacement and moving it into
    // place leaves that replacement, whole, under its temporary name.
    for (const auto& entry : std::filesystem::directory_iterator(out)) {
      const std::string name = entry.path().filename().string();
      const Bytes bytes = ReadFile(entry.path().string());
      if (name.front() == '.') {
        EXPECT_EQ(signal, SIGKILL) << "temporary file left: " << name;
        EXPECT_TRUE(std::any_of(fresh.begin(), fresh.end(),
                                [&](const auto& bitmap) { return bitmap.second == bytes; }));
        std::filesystem::remove(entry.path());
      } else {
        EXPECT_TRUE(bytes == fresh.at(name) || bytes == old.at(name)) << name;
      }
    }
  }
}

TEST(CliTest, AReaderThatGoesAwayStopsTheRunLikeCtrlC) {
  TempFolder folder;
  const std::string bitmap = folder.Path("picture");  // not *.bmp, which are the decoded ones
  WriteFile(bitmap, BuildBitmap({.pixelArea = {1, 2, 3, 4}}));
  const std::string archive = folder.Path("big.spr");
  WriteFile(archive, ArchiveOf(3000));
  const std::string out = folder.Path("out.spr");
  std::vector<std::string> encode{"encode", "-o", out};
  encode.insert(encode.end(), 1000, bitmap);
  // Either run logs more than the pipe and the output buffer hold.
  for (const auto& args : {encode, std::vector<std::string>{"decode", archive}}) {
    SCOPED_TRACE(args[0]);
    int pipeFds[2];
    ASSERT_EQ(pipe2(pipeFds, O_CLOEXEC), 0);
    const std::string errPath = folder.Path("stderr.txt");
    const pid_t child = StartCli(args, "", errPath, pipeFds[1]);
    // As `sprite-cli ... | head -1`: the reader takes one piece and leaves.
    close(pipeFds[1]);
    char piece[4096];
    EXPECT_GT(read(pipeFds[0], piece, sizeof piece), 0);
    close(pipeFds[0]);
    Result result = Finish(child, folder.Path("stdout.txt"), errPath);
    EXPECT_EQ(result.status, 2);
    EXPECT_THAT(result.err, HasSubstr("stopped"));
    ExpectOnlyWholeFiles(folder, 1078 + 64 * 64);
  }
  EXPECT_FALSE(std::filesystem::exists(out));
}

TEST(CliTest, AFullStandardOutputIsSaidAndExitsWithTwo) {
  TempFolder folder;
  const std::string archive = folder.Path("a.spr");
  WriteFile(archive, ArchiveOf(2));
  const int full = open("/dev/full", O_WRONLY | O_CLOEXEC);
  ASSERT_GE(full, 0);
  for (const auto& args :
       std::vector<std::vector<std::string>>{{"--help"}, {"list", archive}, {"decode", archive}}) {
    SCOPED_TRACE(args[0]);
    const std::string errPath = folder.Path("stderr.txt");
    const Result result = Finish(StartCli(args, "", errPath, full), folder.Path("o.txt"), errPath);
    EXPECT_EQ(result.status, 2);
    EXPECT_THAT(
        result.errLines,
        ElementsAre("sprite-cli: cannot write to standard output: No space left on device"));
  }
  close(full);
}

int FailingSync(int /*fd*/) {
  errno = EIO;
  return -1;
}

TEST(CliTest, AFlushThatFailsLeavesEveryOldFileAndExitsWithTwo) {
  TempFolder folder;
  const std::string bitmap = folder.Path("a.bmp");
  const std::string archive = folder.Path("a.spr");
  WriteFile(bitmap, BuildBitmap({.pixelArea = {5, 6, 7, 8}}));
  ASSERT_EQ(RunCli(folder, {"encode", "-q", "-o", archive, bitmap}).status, 0);
  WriteFile(bitmap, BuildBitmap({.pixelArea = {1, 2, 3, 4}}));
  WriteFile(archive + ".0001.bmp", Bytes(10, 1));
  files::PosixFileSystem failing({.syncFile = FailingSync, .syncFileSystem = FailingSync});
  const struct {
    std::vector<std::string> args;
    std::string replaced;
  } cases[] = {
      {{"encode", "-q", "-o", archive, bitmap}, archive},
      {{"decode", "-q", archive}, archive + ".0001.bmp"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[0]);
    const Bytes before = ReadFile(c.replaced);
    EXPECT_EQ(cli::Main(c.args, failing), 2);
    EXPECT_EQ(ReadFile(c.replaced), before);
  }
  EXPECT_THAT(folder.Names(), ElementsAre("a.bmp", "a.spr", "a.spr.0001.bmp"));
}

TEST(CliTest, AFileSizeLimitIsAFailedWriteThatLeavesEveryOldFile) {
  TempFolder folder;
  const std::string archive = folder.Path("a.spr");
  WriteFile(archive, ArchiveOf(3));
  ASSERT_EQ(RunCli(folder, {"decode", "-q", archive}).status, 0);
  const std::string bitmap = archive + ".0001.bmp";
  const Bytes oldArchive = ReadFile(archive);
  const std::map<std::string, Bytes> oldBitmaps = Bitmaps(folder.Path(""));
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  // Each writes a file larger than the 4 KiB that `ulimit -f 4` allows.
  for (const auto& args :
       std::vector<std::vector<std::string>>{{"encode", "-q", "-o", archive, bitmap, bitmap},
                                             {"replace", "-q", archive, "2", bitmap},
                                             {"decode", "-q", archive}}) {
    SCOPED_TRACE(args[0]);
    const rlimit small{4096, saved.rlim_max};
    setrlimit(RLIMIT_FSIZE, &small);
    const Result result = RunCli(folder, args);
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(result.status, 2);
    EXPECT_THAT(result.err, HasSubstr("File too large"));
  }
  EXPECT_EQ(ReadFile(archive), oldArchive);
  EXPECT_EQ(Bitmaps(folder.Path("")), oldBitmaps);
  ExpectOnlyWholeFiles(folder, 1078 + 64 * 64);
}

TEST(CliTest, HugeSparseBitmapsAreJudgedWithoutBeingRead) {
  TempFolder folder;
  const auto sparse = [&](const std::string& name, std::uint32_t pixelOffset, off_t size) {
    Bytes headers = BuildBitmap({});
    for (std::size_t i = 0; i < 4; ++i) {
      headers[10 + i] = static_cast<std::uint8_t>(pixelOffset >> (8 * i));
    }
    WriteFile(folder.Path(name), headers);
    EXPECT_EQ(truncate(folder.Path(name).c_str(), size), 0);
    return folder.Path(name);
  };
  const std::string huge = sparse("huge.bmp", 1078, off_t{1} << 30);
  const std::string far = sparse("far.bmp", 0xFFFFFFFF, (off_t{1} << 32) + 3);
  Result result = RunCli(folder, {"encode", "-q", "-o", folder.Path("x.spr"), huge, far});
  EXPECT_EQ(result.status, 1);
  EXPECT_THAT(result.errLines, ElementsAre(HasSubstr("is too large for one archive entry")));
  EXPECT_LT(result.peakKiB, 128 * 1024);
  EXPECT_EQ(ReadFile(folder.Path("x.spr")).size(), 8u + 6 + 2 + 1024);  // 4 zero pixels
}

}  // namespace
}  // namespace sprite::testing

namespace sprite::testing {
namespace {

TEST(CliEntryCommandsTest, UsageErrorsSayWhatTheCommandTakes) {
  TempFolder folder;
  const std::string archive = folder.Path("a.spr");
  WriteFile(archive, ArchiveOf(2));
  const struct {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{"replace", archive, "1"},
       "replace takes an archive, an entry number and a picture: replace ARCHIVE N PICTURE"},
      {{"move", archive, "1"}, "move takes an archive and two entry numbers: move ARCHIVE FROM TO"},
      {{"delete", archive, "0"},
       "\"0\" is not a list of entry numbers: entries are counted from 1 to 32767, as 7, 2-5 or "
       "1,4,9"},
      {{"extract", archive, "1,3-2"},
       "\"1,3-2\" is not a list of entry numbers: a range goes up, as 2-3"},
      {{"extract", archive, "3-2-1"},
       "\"3-2-1\" is not a list of entry numbers: entries are counted from 1 to 32767, as 7, 2-5 "
       "or 1,4,9"},
      {{"insert", archive, "1,2", "b.bmp"}, "\"1,2\" is not one entry number"},
      {{"append", "-", "b.bmp"},
       "append works on files: the archive and the pictures cannot be standard input (\"-\")"},
      {{"decode", "--json", archive}, "option \"--json\" belongs to list"},
      {{"decode", "--png", "--sheet", archive},
       "--sheet=" + archive + ": decode --png takes a number of columns, 1 to 32767"},
      {{"delete", "--alpha-threshold=9", archive, "1"},
       "option \"--alpha-threshold\" belongs to encode, replace, insert and append"},
      {{"extract", "--opaque", archive, "1"}, "option \"--opaque\" belongs to extract --png"},
      {{"extract", archive, "3"},
       "\"" + archive + "\": there is no entry 3: the archive holds 2 pictures, numbered from 1"},
      {{"replace", archive, "3", folder.Path("none.bmp")},
       "\"" + archive + "\": there is no entry 3: the archive holds 2 pictures, numbered from 1"},
      {{"insert", archive, "4", folder.Path("none.bmp")},
       "\"" + archive +
           "\": there is no entry 4: the archive holds 2 pictures, numbered from 1; 3 puts the "
           "pictures after the last"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    Result result = RunCli(folder, c.args);
    EXPECT_EQ(result.status, 2);
    EXPECT_THAT(result.errLines, ElementsAre("sprite-cli: " + c.message,
                                             "Try 'sprite-cli --help' for more information."));
    EXPECT_EQ(result.out, "");
  }
  EXPECT_EQ(ReadFile(archive), ArchiveOf(2));
  EXPECT_THAT(folder.Names(), ElementsAre("a.spr"));
}

TEST(CliEntryCommandsTest, ChangesLogAsEncodeDoesAndLeaveADamagedArchiveAlone) {
  TempFolder folder;
  const std::string archive = folder.Path("a.spr");
  const std::string bitmap = folder.Path("b.bmp");
  WriteFile(archive, ArchiveOf(3));
  // A bitmap with the palette ArchiveOf gives its archives: black everywhere.
  WriteFile(bitmap, BuildBitmap({.width = 2, .height = 1, .pixelArea = {7, 0, 0, 0}}));

  Result replaced = RunCli(folder, {"replace", archive, "2", bitmap});
  EXPECT_EQ(replaced.status, 0) << replaced.err;
  EXPECT_THAT(replaced.lines,
              ElementsAre("Adding: " + bitmap, "RLE: OK, Compressed and orig data are identical ;]",
                          "Replaced entry 2; \"" + archive + "\" holds 3 pictures, " +
                              std::to_string(8 + 2 * (6 + 4096) + 6 + 3 + 1024) + " bytes"));
  // The JSON object is the command's output, which -q does not silence.
  for (const auto& args : {std::vector<std::string>{"list", "--json", archive},
                           std::vector<std::string>{"list", "-q", "--json", archive}}) {
    SCOPED_TRACE(args[1]);
    Result json = RunCli(folder, args);
    EXPECT_THAT(json.lines,
                ::testing::Contains("    {\"number\": 3, \"width\": 64, \"height\": 64, "
                                    "\"length\": 4096, \"offset\": 4119}"));
    EXPECT_EQ(json.lines.back(), "}");
  }
  Result info = RunCli(folder, {"info", "-q", archive});
  EXPECT_EQ(info.status, 0);
  EXPECT_EQ(info.out + info.err, "");

  Bytes damaged = ReadFile(archive);
  damaged[4] = 2;  // the third entry's bytes now belong to none
  WriteFile(archive, damaged);
  for (const auto& args :
       {std::vector<std::string>{"delete", archive, "1"}, std::vector<std::string>{"info", archive},
        std::vector<std::string>{"list", "--json", archive}}) {
    SCOPED_TRACE(args[0]);
    Result result = RunCli(folder, args);
    EXPECT_EQ(result.status, 1);
    EXPECT_THAT(result.err, HasSubstr("4102 bytes at offset 4119, after the last of the 2 entries "
                                      "the header counts, belong to no entry"));
    EXPECT_EQ(ReadFile(archive), damaged);
  }
  // Standard output stays one JSON object for a script; the damage is on standard error.
  const Result damagedJson = RunCli(folder, {"list", "--json", archive});
  EXPECT_THAT(damagedJson.out, ::testing::Not(HasSubstr("ERROR")));
  EXPECT_THAT(damagedJson.lines, ::testing::Contains("  \"complete\": false"));
  damaged[4] = 5;  // two entries more than it holds: the walk ends at the fourth
  WriteFile(archive, damaged);
  // A name's control characters reach no terminal.
  const std::string escaped = folder.Path("\x1B[1m.spr");
  WriteFile(escaped, ArchiveOf(1));
  EXPECT_THAT(RunCli(folder, {"info", escaped}).lines.front(),
              ::testing::EndsWith("\\x1B[1m.spr: 1 picture, 5134 bytes"));
  Result unreached = RunCli(folder, {"info", archive});
  EXPECT_EQ(unreached.status, 1);
  EXPECT_EQ(unreached.lines.back(),
            "Checked 4 entries: 1 damaged; the 1 after it could not be reached");
  // One pixel, coded in one byte.
  Bytes onePixel{0x53, 0x50, 0x01, 0x02, 1, 0, 0, 0, 1, 0, 1, 0, 1, 0, 5};
  onePixel.resize(onePixel.size() + 1024);
  WriteFile(archive, onePixel);
  EXPECT_THAT(RunCli(folder, {"list", archive}).lines,
              ElementsAre("    1      1 x 1           1 byte", "1 picture, 1 byte coded"));
}

TEST(CliTest, APngOfMillionsOfEmptyImageDataChunksCostsNoMoreThanItsBytes) {
  TempFolder folder;
  // A 1 × 1 picture whose image data is followed by 5 million empty IDAT
  // chunks: 60 MB, which a record per chunk took four times over.
  Bytes png = formats::WriteIndexedPng(1, 1, Bytes{1}, Bytes(1024, 7));
  const Bytes end(png.end() - 12, png.end());
  png.resize(png.size() - 12);
  Bytes empty;
  formats::AppendPngChunk(empty, formats::ChunkType("IDAT"), {});
  for (int i = 0; i < 5'000'000; ++i) {
    png.insert(png.end(), empty.begin(), empty.end());
  }
  png.insert(png.end(), end.begin(), end.end());
  WriteFile(folder.Path("a.png"), png);
  const Result result =
      RunCli(folder, {"encode", "-q", "-o", folder.Path("a.spr"), folder.Path("a.png")});
  EXPECT_EQ(result.status, 0) << result.err;
#ifndef __SANITIZE_ADDRESS__  // whose shadow and quarantine hold freed memory for a while
  EXPECT_LT(result.peakKiB, 128 * 1024);
#endif
}

}  // namespace
}  // namespace sprite::testing
