#include "cli/command.h"

namespace sprite::cli {

namespace {

constexpr const Command* kCommands[] = {&kEncodeCommand,  &kDecodeCommand, &kPaletteCommand,
                                        &kListCommand,    &kInfoCommand,   &kExtractCommand,
                                        &kReplaceCommand, &kInsertCommand, &kAppendCommand,
                                        &kDeleteCommand,  &kMoveCommand};

}  // namespace

const Command* FindCommand(std::string_view name) {
  for (const Command* command : kCommands) {
    if (command->name == name) {
      return command;
    }
  }
  return nullptr;
}

}  // namespace sprite::cli
