// sprite-cli's help: the whole program's, and each command's.
#pragma once

namespace sprite::cli {

extern const char kHelp[];
extern const char kEncodeHelp[];
extern const char kDecodeHelp[];
extern const char kPaletteHelp[];
extern const char kListHelp[];

}  // namespace sprite::cli
