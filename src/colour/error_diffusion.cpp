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
// Steps are searched a brick of 4 × 4 × 4 at a time: error spreads a picture's
// colours over most of the box of sRGB colours, tens of thousands of steps in
// a run of a few thousand sprites, and one brick's steps share a few candidates.
// The error carried on is still that of the colour asked for itself, so the
// step only moves where the difference goes, not how much of it goes on.
#include <algorithm>
#include <array>
#include <span>
#include <vector>

#include "colour/colour_mapper.h"

namespace sprite::colour {

namespace {

// Error in sixteenths, the weights' unit: 7 ahead, then 3, 5 and 1 on the next
// row behind, below and ahead.
struct Error {
  std::int32_t l = 0;
  std::int32_t a = 0;
  std::int32_t b = 0;
};

Error operator+(const Error& x, const Error& y) {
  return {x.l + y.l, x.a + y.a, x.b + y.b};
}

Error operator*(std::int32_t weight, const Error& e) {
  return {weight * e.l, weight * e.a, weight * e.b};
}

// Colours are counted here from the corner of a grid of steps of 1/64 OKLab
// unit that holds the box of sRGB colours: 65 steps of lightness, 33 along a
// and along b. Each axis has a whole number of bits, so that a step's number
// is its three counts side by side, and counting from the corner takes the
// subtractions out of the work between one pixel and the next.
constexpr int kStepBits = 10;
constexpr int kAxisBits = 6;
constexpr std::size_t kAxis = (std::size_t{1} << kAxisBits) - 1;
constexpr Lab kCorner = {0, -15 << kStepBits, -20 << kStepBits};
constexpr Lab kLow = {kSrgbLow.l - kCorner.l, kSrgbLow.a - kCorner.a, kSrgbLow.b - kCorner.b};
constexpr Lab kHigh = {kSrgbHigh.l - kCorner.l, kSrgbHigh.a - kCorner.a, kSrgbHigh.b - kCorner.b};
constexpr std::array<std::size_t, 3> kLastStep = {kHigh.l >> kStepBits, kHigh.a >> kStepBits,
                                                  kHigh.b >> kStepBits};
constexpr std::size_t kStepCount = (kLastStep[0] + 1) << (2 * kAxisBits);
static_assert(kLow.l >= 0 && kLow.a >= 0 && kLow.b >= 0 && kLastStep[1] <= kAxis &&
              kLastStep[2] <= kAxis);

Lab FromCorner(const Lab& lab) {
  return {lab.l - kCorner.l, lab.a - kCorner.a, lab.b - kCorner.b};
}

// The colour asked for: the pixel's own, with the error that reached it,
// kept within the box of sRGB colours so that error cannot pile up.
Lab WithError(const Lab& own, const Error& sixteenths) {
  const auto add = [](std::int32_t value, std::int32_t error, std::int32_t low, std::int32_t high) {
    return std::clamp(value + ((error + 8) >> 4), low, high);
  };
  return {add(own.l, sixteenths.l, kLow.l, kHigh.l), add(own.a, sixteenths.a, kLow.a, kHigh.a),
          add(own.b, sixteenths.b, kLow.b, kHigh.b)};
}

std::size_t StepNumber(std::size_t l, std::size_t a, std::size_t b) {
  return l << 2 * kAxisBits | a << kAxisBits | b;
}

// The step a colour within the box lies in, counted from the corner.
std::size_t StepOf(const Lab& fromCorner) {
  const auto along = [](std::int32_t value) {
    return static_cast<std::size_t>(value >> kStepBits);
  };
  return StepNumber(along(fromCorner.l), along(fromCorner.a), along(fromCorner.b));
}

}  // namespace

std::uint8_t ColourMapper::NearestInStep(std::size_t step) {
  const std::array<std::size_t, 3> at = {step >> 2 * kAxisBits, step >> kAxisBits & kAxis,
                                         step & kAxis};
  std::array<std::size_t, 3> from{}, to{};
  for (std::size_t axis = 0; axis < 3; ++axis) {
    from[axis] = at[axis] & ~std::size_t{3};
    to[axis] = std::min(from[axis] + 3, kLastStep[axis]);
  }
  const auto middle = [](std::size_t count, std::int32_t corner) {
    return corner + static_cast<std::int32_t>(count << kStepBits) + (1 << (kStepBits - 1));
  };
  std::array<Lab, 64> middles;
  std::array<std::size_t, 64> steps;
  std::size_t count = 0;
  for (std::size_t l = from[0]; l <= to[0]; ++l) {
    for (std::size_t a = from[1]; a <= to[1]; ++a) {
      for (std::size_t b = from[2]; b <= to[2]; ++b, ++count) {
        middles[count] = Lab{middle(l, kCorner.l), middle(a, kCorner.a), middle(b, kCorner.b)};
        steps[count] = StepNumber(l, a, b);
      }
    }
  }
  std::array<std::uint8_t, 64> nearest;
  search_.NearestInBox(middles[0], middles[count - 1], std::span(middles).first(count), nearest);
  for (std::size_t k = 0; k < count; ++k) {
    stepNearest_[steps[k]] = nearest[k];
  }
  return stepNearest_[step];
}

void ColourMapper::MapDiffused(const RgbaPicture& picture, std::uint8_t opaqueFrom,
                               std::uint8_t* indexes, MapReport& report) {
  const std::size_t width = picture.width;
  // One row of errors, a slot of margin each side. The slots a row has not
  // reached yet hold what the row before left for them; those it has passed
  // hold what it leaves for the next row. What goes to the slots at and ahead
  // of a pixel, and to the pixel ahead, is carried in locals until complete,
  // so each pixel reads one slot and writes one. Pointers and tallies are kept
  // here, not read through members: the index bytes written may alias any
  // memory, so those would be read again for every pixel.
  std::vector<Error> row(width + 2);
  const std::uint8_t* rgba = picture.rgba.data();
  if (stepNearest_.empty()) {
    stepNearest_.assign(kStepCount, kUnsearched);
    for (std::size_t i = 0; i < search_.Size(); ++i) {
      stepPoints_.push_back(FromCorner(search_.Point(i)));
    }
  }
  const std::uint8_t* stepNearest = stepNearest_.data();
  const Lab* points = stepPoints_.data();
  std::uint64_t moved = 0;
  std::int64_t largestSquared = 0;
  std::uint32_t lastKey = kEmpty;
  const Known* last = nullptr;
  for (std::size_t y = 0; y < picture.height; ++y) {
    const std::ptrdiff_t d = y % 2 == 0 ? 1 : -1;
    const std::size_t first = y * width + (d > 0 ? 0 : width - 1);
    const std::uint8_t* p = rgba + 4 * first;
    std::uint8_t* out = indexes + first;
    Error* slot = row.data() + (d > 0 ? 1 : width);
    Error ahead, leftAt, leftAhead;
    for (std::size_t n = 0; n < width; ++n, p += 4 * d, out += d, slot += d) {
      const Error reached = *slot + ahead;
      Error error;
      if (p[3] < opaqueFrom) {
        *out = 0;
      } else {
        // A pixel of the colour before it takes what that one knew, without a probe.
        const std::uint32_t key =
            std::uint32_t{p[0]} << 16 | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]};
        if (key != lastKey) {
          Known& found = Find(key);
          if (!found.exactChecked) {
            CheckExact(found);
          }
          last = &found;
          lastKey = key;
        }
        if (last->exact) {
          *out = last->nearest;
        } else {
          const Lab own = FromCorner(last->lab);
          const Lab asked = WithError(own, reached);
          const std::size_t cell = StepOf(asked);
          const std::uint8_t remembered = stepNearest[cell];
          const std::size_t entry = remembered != kUnsearched ? remembered : NearestInStep(cell);
          const Lab& taken = points[entry];
          *out = static_cast<std::uint8_t>(entry);
          ++moved;
          largestSquared = std::max(largestSquared, SquaredDistance(own, taken));
          error = {asked.l - taken.l, asked.a - taken.a, asked.b - taken.b};
        }
      }
      slot[-d] = leftAt + 3 * error;
      leftAt = leftAhead + 5 * error;
      leftAhead = error;
      ahead = 7 * error;
    }
    // The last pixel's slot; what it leaves ahead falls in the margin.
    slot[-d] = leftAt;
  }
  report.moved += moved;
  report.largestSquared = std::max(report.largestSquared, largestSquared);
}

}  // namespace sprite::colour
