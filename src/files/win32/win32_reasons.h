// How the Windows file layer reports a failure: one place that throws, so that
// every failure carries the path and the reason in the same form.
#pragma once

#include <cstdint>
#include <string>

namespace sprite::files {

// The system's words for an error code (GetLastError), without the final period.
std::string SystemReason(std::uint32_t error);

[[noreturn]] void Fail(const std::string& path, const std::string& reason);
[[noreturn]] void FailWithSystemError(const std::string& path, std::uint32_t error);

}  // namespace sprite::files
