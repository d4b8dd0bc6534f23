// Whole sprite-cli command lines over a few files in a scratch folder: the
// input chooses the command, its options, its inputs and outputs among names
// that may be links to one another, a list's lines, and where standard input
// and output lead (a file among them, appended to; or closed). After each run
// every file the command read, found plainly from its arguments, holds the
// bytes it held before, and no temporary file is left.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "cli/sprite_cli.h"
#include "command_harness.h"
#include "files/posix/posix_file_system.h"
#include "formats/bitmap.h"
#include "formats/png_writer.h"

namespace {

namespace fs = std::filesystem;
using sprite::Bytes;

// The names a command line chooses among: files, a folder, links, names of
// files a run writes, and standard input or output.
constexpr std::string_view kNames[] = {"a.bmp",
                                       "b.png",
                                       "e.spr",
                                       "l.txt",
                                       "p.gpl",
                                       "x.spr",
                                       "y.png",
                                       "s.pal",
                                       "out",
                                       "ln1",
                                       "ln2",
                                       "ln3",
                                       "x.gpl",
                                       "e.spr.0001.png",
                                       "out/e.spr.0001.bmp",
                                       "out/e.spr.0002.png",
                                       "e.spr.sheet.png",
                                       "-"};

// The scratch folder, made once for the process and removed when it ends;
// every name is in it.
class ScratchFolder {
 public:
  ScratchFolder()
      : path_(fs::temp_directory_path() / ("sprite-fuzz-cli-" + std::to_string(::getpid()))) {
    fs::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

const fs::path& Scratch() {
  static const ScratchFolder scratch;
  return scratch.Path();
}

// A name of the scratch folder as a path; "-" stays a standard stream.
std::string In(std::string_view name) {
  return name == "-" ? std::string(name) : (Scratch() / name).string();
}

// The fuzz input read as a row of choices; past its end every choice is the first.
class Choices {
 public:
  Choices(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::size_t Pick(std::size_t count) { return at_ < size_ ? data_[at_++] % count : 0; }
  bool Coin() { return Pick(2) == 1; }
  // A name as a list line or a link holds it: from the scratch folder.
  std::string_view Relative() { return kNames[Pick(std::size(kNames))]; }
  // A name as a command line holds it.
  std::string Name() { return In(Relative()); }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

void Write(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

Bytes Text(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

// An 8-bit bitmap of 4 x 2 pixels.
Bytes Bitmap() {
  return sprite::formats::WriteBitmap(4, 2, Bytes(1024, 7), Bytes{1, 2, 3, 0, 0, 3, 2, 1});
}

// An 8-bit indexed PNG of 2 x 1 pixels, index 0 see-through.
Bytes Png() {
  return sprite::formats::WriteIndexedPng(2, 1, Bytes{0, 1}, Bytes(1024, 200));
}

// An archive of two pictures, stored as literals.
Bytes Archive() {
  Bytes file{'S', 'P', 1, 2, 2, 0, 0, 0, 2, 0, 1, 0, 2, 0, 1, 2, 1, 0, 2, 0, 2, 0, 3, 4};
  file.resize(file.size() + 1024, 9);
  return file;
}

// The scratch folder as every run starts from it; the input chooses the
// list's lines and where the links lead.
void MakeFiles(Choices& choose) {
  for (const auto& entry : fs::directory_iterator(Scratch())) {
    fs::remove_all(entry.path());
  }
  Write(In("a.bmp"), Bitmap());
  Write(In("b.png"), Png());
  Write(In("e.spr"), Archive());
  Write(In("p.gpl"), Text("GIMP Palette\n0 0 0 zero\n255 0 0 red\n"));
  std::string list;
  for (std::size_t lines = 1 + choose.Pick(3); lines > 0; --lines) {
    list += std::string(choose.Relative()) + "\n";
  }
  Write(In("l.txt"), Text(list));
  fs::create_directory(In("out"));
  std::error_code ignored;
  for (const char* link : {"ln1", "ln2", "ln3"}) {
    fs::create_symlink(choose.Relative(), In(link), ignored);
  }
  if (choose.Coin()) {
    fs::create_symlink(choose.Coin() ? "../e.spr" : "../ln1", In("out/e.spr.0002.bmp"), ignored);
  }
}

// The command line: a command, its options, its files.
std::vector<std::string> CommandLine(Choices& choose) {
  std::vector<std::string> args;
  switch (choose.Pick(4)) {
    case 0:
      args = {"encode"};
      if (choose.Coin()) {
        args.push_back("--palette=" + choose.Name());
      }
      args.insert(args.end(), {"-o", choose.Name()});
      for (std::size_t n = 1 + choose.Pick(3); n > 0; --n) {
        args.push_back((choose.Coin() ? "@" : "") + choose.Name());
      }
      break;
    case 1:
      args = {"decode"};
      if (choose.Coin()) {
        args.push_back("--png");
        if (choose.Coin()) {
          args.push_back("--sheet=2");
        }
      }
      if (choose.Coin()) {
        args.insert(args.end(), {"-C", In("out")});
      }
      if (choose.Coin()) {
        args.push_back("--list=" + choose.Name());
      }
      args.push_back(choose.Name());
      break;
    case 2: {
      // A palette file named after any name: "b.gpl", "out.png", "-.pal".
      const char* formats[] = {".gpl", ".pal", ".png"};
      const std::string_view name = choose.Relative();
      const std::string output =
          In(std::string(name.substr(0, name.rfind('.'))) + formats[choose.Pick(3)]);
      args = {"palette", choose.Name(), "-o", output};
      break;
    }
    default:
      args = {"list", choose.Name()};
  }
  if (choose.Coin()) {
    args.push_back("-q");
  }
  return args;
}

// Every file the command reads, found from its arguments alone: its pictures,
// lists and what they list, folders' pictures, the palette file, the archive;
// `input` for "-", standard input.
std::vector<std::string> ReadsOf(const std::vector<std::string>& args, const std::string& input) {
  std::vector<std::string> reads;
  const auto read = [&](const std::string& path) { reads.push_back(path == "-" ? input : path); };
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    std::error_code noFolder;
    if (arg == "-o" || arg == "-C") {
      ++i;  // an output
    } else if (arg.starts_with("--palette=")) {
      read(arg.substr(10));
    } else if (arg.starts_with("@")) {
      const std::string list = arg.substr(1);
      read(list);
      std::ifstream lines(list);
      const std::string folder = fs::path(list).parent_path().string();
      for (std::string line; std::getline(lines, line);) {
        read(folder.empty() ? line : folder + "/" + line);
      }
    } else if (args[0] == "encode" && fs::is_directory(arg, noFolder)) {
      for (const auto& entry : fs::directory_iterator(arg)) {
        const std::string extension = entry.path().extension().string();
        if (extension == ".bmp" || extension == ".png") {
          reads.push_back(entry.path().string());
        }
      }
    } else if (arg == "-" || !arg.starts_with("-")) {
      read(arg);
    }
  }
  return reads;
}

// The bytes of every regular file among `paths`, by the file its links lead to.
std::map<std::string, Bytes> Contents(const std::vector<std::string>& paths) {
  std::map<std::string, Bytes> contents;
  for (const std::string& path : paths) {
    std::error_code failed;
    const fs::path real = fs::canonical(path, failed);
    if (!failed && fs::is_regular_file(real, failed)) {
      std::ifstream in(real, std::ios::binary);
      contents[real.string()] = Bytes(std::istreambuf_iterator<char>(in), {});
    }
  }
  return contents;
}

// Puts the file at `path` (the null device when it cannot be opened so) at
// descriptor `fd`.
void Redirect(int fd, const std::string& path, int flags) {
  int opened = ::open(path.c_str(), flags);
  if (opened < 0) {
    opened = ::open("/dev/null", flags);
  }
  ::dup2(opened, fd);
  ::close(opened);
}

// Runs sprite-cli with standard input from `input` and standard output
// appended to `output`, or closed when that is empty; standard error dropped.
int RunCli(const std::vector<std::string>& args, const std::string& input,
           const std::string& output, sprite::files::FileSystem& files) {
  std::fflush(stdout);
  const int saved[3] = {::dup(0), ::dup(1), ::dup(2)};
  Redirect(0, input, O_RDONLY);
  if (output.empty()) {
    ::close(1);
  } else {
    Redirect(1, output, O_WRONLY | O_APPEND);
  }
  Redirect(2, "/dev/null", O_WRONLY);
  std::clearerr(stdin);
  const int status = sprite::cli::Main(args, files);
  std::fflush(stdout);
  std::fflush(stderr);
  for (int fd = 0; fd < 3; ++fd) {
    ::dup2(saved[fd], fd);
    ::close(saved[fd]);
  }
  std::clearerr(stdout);
  return status;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Choices choose(data, size);
  MakeFiles(choose);
  const std::vector<std::string> args = CommandLine(choose);
  const std::string input = choose.Name();
  const std::string output = choose.Pick(4) == 0 ? "" : choose.Name();
  const std::map<std::string, Bytes> before = Contents(ReadsOf(args, input));

  sprite::files::PosixFileSystem files;
  const int status = RunCli(args, input, output, files);

  // What went wrong, with the command line that did it.
  const auto fail = [&](const std::string& what) {
    std::string line;
    for (const std::string& arg : args) {
      line += " " + arg;
    }
    std::fprintf(stderr, "sprite-cli%s <%s >>%s: %s\n", line.c_str(), input.c_str(),
                 output.empty() ? "(closed)" : output.c_str(), what.c_str());
    std::abort();
  };
  if (status < 0 || status > 2) {
    fail("exit status " + std::to_string(status));
  }
  for (const auto& [path, bytes] : before) {
    std::ifstream in(path, std::ios::binary);
    if (Bytes(std::istreambuf_iterator<char>(in), {}) != bytes) {
      fail(path + ", which it read, changed");
    }
  }
  for (const char* folder : {".", "out"}) {
    for (const auto& entry : fs::directory_iterator(Scratch() / folder)) {
      if (entry.path().filename().string().starts_with(".sprite-")) {
        fail(entry.path().string() + " was left");
      }
    }
  }
  return 0;
}
