#include "pipeline/edit_plan.h"

#include "common/error.h"
#include "formats/entry_limits.h"

namespace sprite::pipeline {
namespace {

// The plan under construction: runs of kept entries and files, in order.
class Pieces {
 public:
  Pieces& Keep(std::int32_t first, std::int32_t last) {
    if (first > last) {
      return *this;
    }
    // A run that goes on where the one before ends is copied with it.
    if (!pieces_.empty() && pieces_.back().Kept() && pieces_.back().last + 1 == first) {
      pieces_.back().last = last;
    } else {
      pieces_.push_back({first, last});
    }
    return *this;
  }
  Pieces& Files(std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
      pieces_.push_back({.file = i});
    }
    return *this;
  }
  std::vector<EditPiece> Done() { return std::move(pieces_); }

 private:
  std::vector<EditPiece> pieces_;
};

// The one entry number of `edit`'s `index`-th range, checked against `highest`.
std::int32_t OneEntry(const ArchiveEdit& edit, std::size_t index, std::int32_t count,
                      std::int32_t highest) {
  if (edit.entries.size() <= index || edit.entries[index].first != edit.entries[index].last) {
    throw InvalidArgumentError("this change takes one entry number in that place");
  }
  const std::int32_t number = edit.entries[index].first;
  if (number < 1 || number > highest) {
    // Insert also takes the number one past the last.
    const std::string past = std::to_string(highest);
    throw FaultError({.kind = FaultKind::kNoSuchEntry,
                      .value = number,
                      .bound = count,
                      .text = highest > count ? past + " puts the pictures after the last" : ""});
  }
  return number;
}

}  // namespace

std::vector<EditPiece> PlanEdit(const ArchiveEdit& edit, std::int32_t count) {
  using Kind = ArchiveEdit::Kind;
  const bool takesFiles =
      edit.kind == Kind::kReplace || edit.kind == Kind::kInsert || edit.kind == Kind::kAppend;
  if (takesFiles == edit.files.empty() || (edit.kind == Kind::kReplace && edit.files.size() > 1)) {
    throw InvalidArgumentError("this change does not take that many files");
  }
  Pieces pieces;
  switch (edit.kind) {
    case Kind::kReplace: {
      const std::int32_t n = OneEntry(edit, 0, count, count);
      return pieces.Keep(1, n - 1).Files(1).Keep(n + 1, count).Done();
    }
    case Kind::kInsert: {
      const std::int32_t n = OneEntry(edit, 0, count, count + 1);
      return pieces.Keep(1, n - 1).Files(edit.files.size()).Keep(n, count).Done();
    }
    case Kind::kAppend:
      return pieces.Keep(1, count).Files(edit.files.size()).Done();
    case Kind::kDelete: {
      std::int32_t next = 1;
      for (const std::int32_t deleted : ChosenEntries(edit.entries, count)) {
        pieces.Keep(next, deleted - 1);
        next = deleted + 1;
      }
      return pieces.Keep(next, count).Done();
    }
    case Kind::kMove: {
      const std::int32_t from = OneEntry(edit, 0, count, count);
      const std::int32_t to = OneEntry(edit, 1, count, count);
      if (from <= to) {
        return pieces.Keep(1, from - 1)
            .Keep(from + 1, to)
            .Keep(from, from)
            .Keep(to + 1, count)
            .Done();
      }
      return pieces.Keep(1, to - 1)
          .Keep(from, from)
          .Keep(to, from - 1)
          .Keep(from + 1, count)
          .Done();
    }
  }
  throw InvalidArgumentError("unknown change");
}

std::optional<std::size_t> FirstFilePastFullArchive(const std::vector<EditPiece>& pieces) {
  std::int64_t room = formats::kMaxEntries;
  for (const EditPiece& piece : pieces) {
    room -= piece.Kept() ? piece.Count() : 0;
  }
  for (const EditPiece& piece : pieces) {
    if (!piece.Kept() && room-- <= 0) {
      return piece.file;
    }
  }
  return std::nullopt;
}

}  // namespace sprite::pipeline
