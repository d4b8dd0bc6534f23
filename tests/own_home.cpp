// Every test program runs with a home folder of its own, made when it starts
// and removed when it ends, so that nothing a test or Qt writes (Qt's file
// dialog keeps its settings there) reaches the real home folder.
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

namespace {

void SetVariable(const char* name, const std::string& value) {
#if defined(_WIN32)
  _putenv_s(name, value.c_str());
#else
  setenv(name, value.c_str(), 1);
#endif
}

class OwnHome {
 public:
  OwnHome() {
    std::random_device random;
    home_ = std::filesystem::temp_directory_path() /
            ("sprite-test-home-" + std::to_string(random()) + std::to_string(random()));
    std::filesystem::create_directories(home_ / ".config");
    SetVariable("HOME", home_.string());
    SetVariable("XDG_CONFIG_HOME", (home_ / ".config").string());
    SetVariable("XDG_CACHE_HOME", (home_ / ".cache").string());
    SetVariable("XDG_DATA_HOME", (home_ / ".local" / "share").string());
  }
  ~OwnHome() {
    std::error_code ignored;
    std::filesystem::remove_all(home_, ignored);
  }
  OwnHome(const OwnHome&) = delete;
  OwnHome& operator=(const OwnHome&) = delete;

 private:
  std::filesystem::path home_;
};

// Made before main, so before any test or QApplication reads the variables.
const OwnHome ownHome;

}  // namespace
