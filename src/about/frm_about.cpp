#include "about/frm_about.h"

namespace sprite::about {

frmAbout::frmAbout(winsys::WindowSystem& windows, winsys::FileSystem& files)
    : windows_(windows), files_(files) {}

frmAbout::~frmAbout() = default;

void frmAbout::Show() {}
void frmAbout::cmdOK_Click() {}
void frmAbout::cmdSysInfo_Click() {}
void frmAbout::StartSysInfo() {}
winsys::VbBool frmAbout::GetKeyValue(winsys::HKEY, const std::string&, const std::string&,
                                     std::string& KeyVal) {
  KeyVal.clear();
  return winsys::kVbFalse;
}
void frmAbout::Form_Load() {}

}  // namespace sprite::about
