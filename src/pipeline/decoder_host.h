// What the row decoder asks of its host during a Decode run, passed to the
// run's delegate: the bars, and a stop that ends the run by throwing.
#pragma once

#include <cstdint>
#include <span>

#include "codec/rle_decoder.h"
#include "common/error.h"
#include "pipeline/run_delegate.h"

namespace sprite::pipeline {

class DecoderHost : public codec::RowsHost {
 public:
  explicit DecoderHost(RunDelegate& delegate) : delegate_(delegate) {}

  void ElementsDecoded(std::int32_t percent, std::int64_t) override {
    delegate_.Progress(RunDelegate::Bar::kFirst, percent);
    // Several stops in a row with nothing between them do what one does.
    Yield();
  }
  void RowsPlaced(std::span<const std::int32_t> percents) override {
    for (const std::int32_t percent : percents) {
      Yield();
      delegate_.Progress(RunDelegate::Bar::kSecond, percent);
    }
  }
  void Yield() override {
    if (delegate_.ShouldStop()) {
      throw CancelledError();
    }
  }

 private:
  RunDelegate& delegate_;
};

}  // namespace sprite::pipeline
