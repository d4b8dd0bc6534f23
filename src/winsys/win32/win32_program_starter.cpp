#include "winsys/win32/win32_program_starter.h"

#include "common/error.h"
#include "files/win32/win32_reasons.h"
#include "winsys/native_program_starter.h"
#include "winsys/win32/win32_windows.h"

namespace sprite::winsys::win32 {

void Win32ProgramStarter::StartProgram(const std::string& path) {
  if (path.empty()) {
    throw FaultError({.kind = FaultKind::kNoFileName});
  }
  const std::wstring program = Wide(path);
  // The command line is the path alone, quoted, so that spaces stay in it.
  std::wstring commandLine = L"\"" + program + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION started{};
  if (::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       nullptr, &startup, &started) == 0) {
    throw FaultError({.kind = FaultKind::kCannotStart,
                      .path = path,
                      .text = files::SystemReason(::GetLastError())});
  }
  ::CloseHandle(started.hThread);
  ::CloseHandle(started.hProcess);
}

}  // namespace sprite::winsys::win32

namespace sprite::winsys {

std::unique_ptr<ProgramStarter> MakeNativeProgramStarter() {
  return std::make_unique<win32::Win32ProgramStarter>();
}

}  // namespace sprite::winsys
