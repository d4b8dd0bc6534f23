// What --version prints: the program, the product, its version and the licence notice.
#include "app/version_text.h"

#include "common/product.h"

namespace sprite::app {

std::string VersionText(std::string_view program) {
  return std::string(program) + " (" + kProductName + ") " + kVersion + "\n" + kLicenceNotice;
}

}  // namespace sprite::app
