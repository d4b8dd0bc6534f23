// One palette for a run's true-colour pictures: at most N opaque colours
// chosen to keep the OKLab error of the pictures' pixels small.
//
// The histogram's colours are cut into N boxes in OKLab, each time cutting the
// box of the largest squared error along its widest axis where the two halves'
// error is least; then a few k-means passes move each colour to the mean of
// the pixels nearest it. Integer arithmetic chooses every nearest colour and
// mean; the cuts compare errors in double precision, with + − × ÷ alone, so
// the same histogram gives the same palette on every system.
#pragma once

#include <cstddef>
#include <vector>

#include "colour/colour_histogram.h"
#include "colour/oklab.h"

namespace sprite::colour {

inline constexpr std::size_t kMostQuantisedColours = 255;

// At most `most` (1 to 255) distinct colours, dark to light; the histogram's
// own colours when it has no more than `most` and dropped no bits; none for
// an empty histogram. Throws InvalidArgumentError for `most` out of range.
std::vector<Rgb> Quantise(const ColourHistogram& histogram, std::size_t most);

}  // namespace sprite::colour
