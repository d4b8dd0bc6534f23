#include "files/read_write_guard.h"

#include <cstdio>
#include <filesystem>

#include "common/error.h"
#include "common/text.h"
#include "common/utf8_path.h"

namespace sprite::files {
namespace {

bool SamePlace(const WritePlace& a, const WritePlace& b) {
  if (a.file && b.file) {
    return *a.file == *b.file;
  }
  return a.folder && a.folder == b.folder && a.name == b.name;
}

// The numbered files as their folder holds them: which names are theirs, and
// those that exist now with the files they lead to.
class NumberedNames {
 public:
  NumberedNames(FileSystem& files, const NumberedFiles& numbered)
      : files_(files), numbered_(numbered) {
    const std::filesystem::path base = PathFromUtf8(numbered.base);
    const std::string folder = Utf8FromPath(base.parent_path());
    folder_ = folder.empty() ? "." : folder;
    folderPrefix_ = folder.empty() ? "" : Utf8FromPath(base.parent_path() / "");
    prefix_ = files.NameKey(Utf8FromPath(base.filename()) + ".");
    extension_ = files.NameKey(numbered.extension);
    folderId_ = files.IdOf(folder_);
    foldsNames_ = files.NameKey("a") != "a";
  }

  // The number of the file whose name in its folder, as NameKey gives it, is
  // `key`; 0 for a name that is not one of them.
  std::int32_t NumberOf(std::string_view key) const {
    if (key.size() <= prefix_.size() + extension_.size() || !key.starts_with(prefix_) ||
        !key.ends_with(extension_)) {
      return 0;
    }
    const std::string_view digits =
        key.substr(prefix_.size(), key.size() - prefix_.size() - extension_.size());
    // Four digits, or five that do not start with 0: numbers are at most 32767.
    if (digits.size() != 4 && (digits.size() != 5 || digits.front() == '0')) {
      return 0;
    }
    std::int32_t number = 0;
    for (const char digit : digits) {
      if (digit < '0' || digit > '9') {
        return 0;
      }
      number = number * 10 + (digit - '0');
    }
    return number >= 1 && number <= numbered_.count ? number : 0;
  }

  // Whether a write that lands at `place` lands on one of the numbered names.
  std::int32_t NumberAt(const WritePlace& place) const {
    return folderId_ && place.folder == folderId_ ? NumberOf(place.name) : 0;
  }

  // Each numbered name that exists now, by its number, with where a write to
  // it lands.
  template <typename Visit>
  std::optional<Clash> ForEachExisting(Visit&& visit) const {
    if (!folderId_) {
      return std::nullopt;
    }
    // A folder may hold thousands of them: names are taken as they are where
    // the file system tells names apart by case, and files by what the
    // listing tells of them where it can.
    std::optional<Clash> clash;
    try {
      files_.VisitFolder(folder_, [&](std::string_view name, std::optional<FileId> file) {
        const std::int32_t k = foldsNames_ ? NumberOf(files_.NameKey(name)) : NumberOf(name);
        if (k == 0) {
          return false;
        }
        std::optional<WritePlace> place = WritePlace{std::nullopt, {}, file};
        if (!file) {
          const std::string path = folderPrefix_ + std::string(name);
          place->file = files_.IdOf(path);
          // A link that leads nowhere yet is the one case that needs more than an id.
          if (!place->file) {
            place = files_.PlaceOf(path);
          }
        }
        clash = place ? visit(k, *place) : std::nullopt;
        return clash.has_value();
      });
    } catch (const FaultError&) {
      return std::nullopt;  // the writes will say why
    }
    return clash;
  }

  // Numbered file `k`, and as messages call it.
  std::string PathOf(std::int32_t k) const {
    return NumberedName(numbered_.base, k, numbered_.extension);
  }
  std::string Shown(std::int32_t k) const {
    return numbered_.what + " " + std::to_string(k) + " " + Quoted(PathOf(k));
  }

 private:
  FileSystem& files_;
  const NumberedFiles& numbered_;
  std::string folder_;
  std::string folderPrefix_;
  std::string prefix_;
  std::string extension_;
  std::optional<FileId> folderId_;
  bool foldsNames_ = false;
};

}  // namespace

std::string Shown(const RunFile& file) {
  std::string shown(file.part);
  if (file.pathShown) {
    shown += ' ';
    shown += Quoted(file.path);
  }
  return shown;
}

std::string NumberedName(std::string_view base, std::int32_t number, std::string_view extension) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%04d", static_cast<int>(number));
  std::string name(base);
  name += '.';
  name += digits;
  name += extension;
  return name;
}

std::optional<Clash> FindClash(FileSystem& files, const RunFiles& run) {
  std::vector<std::optional<WritePlace>> places;
  for (const RunFile& write : run.writes) {
    places.push_back(files.PlaceOf(write.path));
  }
  // The files read, identified once each, and only when a write lands on a
  // file that exists: a file still to be made is none of them.
  std::optional<std::vector<std::optional<FileId>>> readIds;
  const auto readAt = [&](const WritePlace& place) -> const RunFile* {
    if (!place.file) {
      return nullptr;
    }
    if (!readIds) {
      readIds.emplace();
      for (const RunFile& read : run.reads) {
        readIds->push_back(files.IdOf(read.path));
      }
    }
    for (std::size_t r = 0; r < readIds->size(); ++r) {
      if ((*readIds)[r] == place.file) {
        return &run.reads[r];
      }
    }
    return nullptr;
  };
  for (std::size_t i = 0; i < places.size(); ++i) {
    if (places[i]) {
      if (const RunFile* read = readAt(*places[i])) {
        return Clash{run.writes[i].path, Shown(run.writes[i]), Shown(*read)};
      }
    }
  }
  for (std::size_t i = 0; i < places.size(); ++i) {
    for (std::size_t j = 0; j < i; ++j) {
      if (places[i] && places[j] && SamePlace(*places[i], *places[j])) {
        return Clash{run.writes[i].path, Shown(run.writes[i]), Shown(run.writes[j]), true};
      }
    }
  }

  if (!run.numbered || run.numbered->count <= 0) {
    return std::nullopt;
  }

  const NumberedNames numbered(files, *run.numbered);
  for (std::size_t i = 0; i < places.size(); ++i) {
    if (const std::int32_t k = places[i] ? numbered.NumberAt(*places[i]) : 0) {
      return Clash{run.writes[i].path, Shown(run.writes[i]), numbered.Shown(k), true};
    }
  }
  return numbered.ForEachExisting(
      [&](std::int32_t k, const WritePlace& place) -> std::optional<Clash> {
        if (const RunFile* read = readAt(place)) {
          return Clash{numbered.PathOf(k), numbered.Shown(k), Shown(*read)};
        }
        for (std::size_t i = 0; i < places.size(); ++i) {
          if (places[i] && SamePlace(place, *places[i])) {
            return Clash{run.writes[i].path, Shown(run.writes[i]), numbered.Shown(k), true};
          }
        }
        return std::nullopt;
      });
}

}  // namespace sprite::files
