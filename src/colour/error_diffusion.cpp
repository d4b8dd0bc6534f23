// Floyd–Steinberg dithering, in OKLab.
//
// The error carried is the OKLab difference between the colour a pixel asked
// for and the entry it took: the space the nearest entry is chosen in, where
// lightness steps are even from black to white, so dark shades get as fine a
// pattern as light ones (error carried in linear light crowds dark areas with
// sparse bright dots). Rows go left to right and right to left in turn, so the
// error does not drift one way. Pixels whose colour the palette holds take
// their entry and drop the error that reached them, and so do see-through
// pixels; neither gives any on.
//
// The colour asked for takes the entry nearest the middle of its step of
// 1/64 OKLab unit (at most 0.014 from it, less than the least difference the
// eye sees), remembered for each step met, so most pixels need no search.
// The error carried on is still that of the colour asked for itself, so the
// step only moves where the difference goes, not how much of it goes on.
#include <algorithm>
#include <array>
#include <vector>

#include "colour/colour_mapper.h"

namespace sprite::colour {

namespace {

// Error in sixteenths, the weights' unit: 7 ahead, then 3, 5 and 1 on the next
// row behind, below and ahead.
using Error = std::array<std::int32_t, 3>;

void Spread(Error& to, const Error& error, std::int32_t weight) {
  for (std::size_t c = 0; c < 3; ++c) {
    to[c] += weight * error[c];
  }
}

// The colour asked for: the pixel's own, with the error that reached it,
// kept within the box of sRGB colours so that error cannot pile up.
Lab WithError(const Lab& own, const Error& sixteenths) {
  const auto add = [](std::int32_t value, std::int32_t error, std::int32_t low, std::int32_t high) {
    return std::clamp(value + ((error + 8) >> 4), low, high);
  };
  return {add(own.l, sixteenths[0], kSrgbLow.l, kSrgbHigh.l),
          add(own.a, sixteenths[1], kSrgbLow.a, kSrgbHigh.a),
          add(own.b, sixteenths[2], kSrgbLow.b, kSrgbHigh.b)};
}

// Steps of 1/64 OKLab unit over the box of sRGB colours.
constexpr int kStepBits = 10;
constexpr std::array<std::int32_t, 3> kStepsLow = {0, -15 << kStepBits, -20 << kStepBits};
constexpr std::array<std::size_t, 3> kSteps = {65, 33, 33};
static_assert(kStepsLow[1] <= kSrgbLow.a && kStepsLow[2] <= kSrgbLow.b);
static_assert(((kSrgbHigh.l - kStepsLow[0]) >> kStepBits) < kSteps[0] &&
              ((kSrgbHigh.a - kStepsLow[1]) >> kStepBits) < kSteps[1] &&
              ((kSrgbHigh.b - kStepsLow[2]) >> kStepBits) < kSteps[2]);

}  // namespace

namespace {

// The step of `value` along `axis`.
std::size_t StepAlong(std::int32_t value, std::size_t axis) {
  return static_cast<std::size_t>((value - kStepsLow[axis]) >> kStepBits);
}

// The step a colour within the box of sRGB colours lies in.
std::size_t StepOf(const Lab& asked) {
  return (StepAlong(asked.l, 0) * kSteps[1] + StepAlong(asked.a, 1)) * kSteps[2] +
         StepAlong(asked.b, 2);
}

}  // namespace

std::uint8_t ColourMapper::NearestInStep(std::size_t step) {
  const auto middle = [](std::size_t at, std::size_t axis) {
    return kStepsLow[axis] + static_cast<std::int32_t>(at << kStepBits) + (1 << (kStepBits - 1));
  };
  const std::size_t l = step / kSteps[2] / kSteps[1], a = step / kSteps[2] % kSteps[1],
                    b = step % kSteps[2];
  stepNearest_[step] =
      static_cast<std::uint8_t>(search_.Nearest({middle(l, 0), middle(a, 1), middle(b, 2)}));
  return stepNearest_[step];
}

void ColourMapper::MapDiffused(const RgbaPicture& picture, std::uint8_t opaqueFrom,
                               std::uint8_t* indexes, MapReport& report) {
  const std::size_t width = picture.width;
  // The errors the row before left for this row and for the next, one pixel
  // of margin each side. The error a pixel gives the one after it is carried
  // in `ahead` instead, so that the next pixel need not read it back from
  // memory. Pointers and tallies are kept here, not read through members: the
  // index bytes written may alias any memory, so those would be read again
  // for every pixel.
  std::vector<Error> rows(2 * (width + 2), Error{});
  Error* here = rows.data();
  Error* below = here + width + 2;
  const std::uint8_t* rgba = picture.rgba.data();
  if (stepNearest_.empty()) {
    stepNearest_.assign(kSteps[0] * kSteps[1] * kSteps[2], kUnsearched);
  }
  const std::uint8_t* stepNearest = stepNearest_.data();
  const Lab* points = &search_.Point(0);
  std::uint64_t moved = 0;
  std::int64_t largestSquared = 0;
  std::uint32_t lastKey = kEmpty;
  const Known* last = nullptr;
  for (std::size_t y = 0; y < picture.height; ++y) {
    const bool forward = y % 2 == 0;
    Error ahead{};
    for (std::size_t step = 0; step < width; ++step) {
      const std::size_t x = forward ? step : width - 1 - step;
      const std::size_t i = y * width + x;
      const std::uint8_t* p = rgba + 4 * i;
      // Slot of this pixel, and of the one ahead and behind it.
      const std::size_t at = x + 1;
      const std::size_t next = forward ? at + 1 : at - 1;
      const std::size_t behind = forward ? at - 1 : at + 1;
      const Error reached = {here[at][0] + ahead[0], here[at][1] + ahead[1],
                             here[at][2] + ahead[2]};
      ahead = Error{};
      if (p[3] < opaqueFrom) {
        indexes[i] = 0;
        continue;
      }
      // A pixel of the colour before it takes what that one knew, without a probe.
      const std::uint32_t key =
          std::uint32_t{p[0]} << 16 | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]};
      if (key != lastKey) {
        Known& found = Find(key);
        CheckExact(found);
        last = &found;
        lastKey = key;
      }
      const Known& known = *last;
      if (known.exact) {
        indexes[i] = known.nearest;
        continue;
      }
      const Lab own = known.lab;
      const Lab asked = WithError(own, reached);
      const std::size_t cell = StepOf(asked);
      const std::uint8_t remembered = stepNearest[cell];
      const std::size_t entry = remembered != kUnsearched ? remembered : NearestInStep(cell);
      const Lab& taken = points[entry];
      indexes[i] = static_cast<std::uint8_t>(entry);
      ++moved;
      largestSquared = std::max(largestSquared, SquaredDistance(own, taken));
      const Error error = {asked.l - taken.l, asked.a - taken.a, asked.b - taken.b};
      Spread(ahead, error, 7);
      Spread(below[behind], error, 3);
      Spread(below[at], error, 5);
      Spread(below[next], error, 1);
    }
    std::swap(here, below);
    std::fill(below, below + width + 2, Error{});
  }
  report.moved += moved;
  report.largestSquared = std::max(report.largestSquared, largestSquared);
}

}  // namespace sprite::colour
