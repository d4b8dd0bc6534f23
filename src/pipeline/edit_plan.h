// What an entry-level change makes of an archive's list of entries: the
// entries it keeps, in their new order, and where the new pictures go.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "pipeline/entry_numbers.h"

namespace sprite::pipeline {

struct ArchiveEdit {
  enum class Kind : std::uint8_t { kReplace, kInsert, kAppend, kDelete, kMove };
  Kind kind = Kind::kAppend;
  // Replace: the one entry. Insert: the entry the pictures go before (the
  // count + 1 appends). Delete: those deleted. Move: the entry, then where it
  // stands afterwards.
  std::vector<EntryRange> entries{};
  // The pictures that replace, or are inserted or appended, in order.
  std::vector<std::string> files{};
  // The list files that named them, which the change must not write either.
  std::vector<std::string> lists{};
};

// A piece of the edited archive: a run of the archive's entries as they are
// (first to last), or one of the edit's files.
struct EditPiece {
  std::int32_t first = 0;
  std::int32_t last = -1;  // before first: no run
  std::size_t file = 0;    // the file's index, where there is no run

  bool Kept() const { return first <= last; }
  std::int32_t Count() const { return Kept() ? last - first + 1 : 1; }
};

// The pieces of `edit` applied to an archive of `count` entries, in order.
// Throws FaultError (kNoSuchEntry) for an entry number the archive does not
// have; InvalidArgumentError for an edit without the entries or files its
// kind needs.
std::vector<EditPiece> PlanEdit(const ArchiveEdit& edit, std::int32_t count);

// The index of the first of the edit's files that the edited archive has no
// room for, past the kept entries, wherever the files go: nothing when all fit.
std::optional<std::size_t> FirstFilePastFullArchive(const std::vector<EditPiece>& pieces);

}  // namespace sprite::pipeline
