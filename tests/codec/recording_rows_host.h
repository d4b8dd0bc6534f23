#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <vector>

#include "codec/codec_oracle.h"
#include "codec/rle_decoder.h"

namespace sprite::codec {

// One host call as the window sees it.
struct HostCall {
  enum class Kind { kFirstBar, kYield, kSecondBar };
  Kind kind;
  std::int32_t percent = 0;

  bool operator==(const HostCall&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const HostCall& call) {
  switch (call.kind) {
    case HostCall::Kind::kFirstBar:
      return os << "bar1=" << call.percent;
    case HostCall::Kind::kYield:
      return os << "yield";
    case HostCall::Kind::kSecondBar:
      return os << "bar2=" << call.percent;
  }
  return os;
}

// Records the calls of both the fast decoder and the oracle in one form: each
// ElementsDecoded(p, k) is expanded into k times {bar1 = p; yield}, each
// table of RowsPlaced into {yield; bar2 = p} per row.
class RecordingRowsHost : public RowsHost, public oracle::StepHost {
 public:
  void Yield() override { calls.push_back({HostCall::Kind::kYield}); }
  void ElementsDecoded(std::int32_t percent, std::int64_t elements) override {
    EXPECT_GT(elements, 0) << "an empty report of elements";
    EXPECT_TRUE(reportedPercents.empty() || reportedPercents.back() != percent)
        << "two reports in a row for " << percent << "%: one would do";
    reportedPercents.push_back(percent);
    for (std::int64_t k = 0; k < elements; ++k) {
      SetFirstBar(percent);
      Yield();
    }
  }
  void RowsPlaced(std::span<const std::int32_t> percents) override {
    EXPECT_FALSE(percents.empty()) << "an empty table of rows";
    for (const std::int32_t percent : percents) {
      Yield();
      SetSecondBar(percent);
    }
  }
  void SetFirstBar(std::int32_t percent) override {
    calls.push_back({HostCall::Kind::kFirstBar, percent});
  }
  void SetSecondBar(std::int32_t percent) override {
    calls.push_back({HostCall::Kind::kSecondBar, percent});
  }

  std::vector<HostCall> calls;
  std::vector<std::int32_t> reportedPercents;
};

}  // namespace sprite::codec
