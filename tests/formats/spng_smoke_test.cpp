// The PNG library as the Windows build makes it: a palette picture written and
// read back through it, over the zlib built for Windows.
#include <spng.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

namespace sprite::testing {
namespace {

struct ContextFree {
  void operator()(spng_ctx* context) const { spng_ctx_free(context); }
};
using Context = std::unique_ptr<spng_ctx, ContextFree>;

TEST(SpngSmokeTest, APalettePictureComesBackAsItsColours) {
  constexpr std::uint32_t kWidth = 5;
  constexpr std::uint32_t kHeight = 3;
  std::vector<std::uint8_t> indexes(kWidth * kHeight);
  for (std::size_t i = 0; i < indexes.size(); ++i) {
    indexes[i] = static_cast<std::uint8_t>(i % 4);
  }
  spng_plte palette{};
  palette.n_entries = 4;
  for (std::uint32_t i = 0; i < 4; ++i) {
    palette.entries[i] = {static_cast<std::uint8_t>(i * 60), static_cast<std::uint8_t>(255 - i),
                          static_cast<std::uint8_t>(i * 7), 255};
  }

  const Context encoder(spng_ctx_new(SPNG_CTX_ENCODER));
  ASSERT_NE(encoder, nullptr);
  spng_set_option(encoder.get(), SPNG_ENCODE_TO_BUFFER, 1);
  spng_ihdr header{kWidth, kHeight, 8, SPNG_COLOR_TYPE_INDEXED, 0, 0, 0};
  ASSERT_EQ(spng_set_ihdr(encoder.get(), &header), 0);
  ASSERT_EQ(spng_set_plte(encoder.get(), &palette), 0);
  ASSERT_EQ(spng_encode_image(encoder.get(), indexes.data(), indexes.size(), SPNG_FMT_PNG,
                              SPNG_ENCODE_FINALIZE),
            0);
  std::size_t size = 0;
  int error = 0;
  const std::unique_ptr<void, decltype(&std::free)> png(
      spng_get_png_buffer(encoder.get(), &size, &error), &std::free);
  ASSERT_EQ(error, 0);
  ASSERT_GT(size, 8u);

  const Context decoder(spng_ctx_new(0));
  ASSERT_EQ(spng_set_png_buffer(decoder.get(), png.get(), size), 0);
  std::size_t rgbaSize = 0;
  ASSERT_EQ(spng_decoded_image_size(decoder.get(), SPNG_FMT_RGBA8, &rgbaSize), 0);
  std::vector<std::uint8_t> rgba(rgbaSize);
  ASSERT_EQ(spng_decode_image(decoder.get(), rgba.data(), rgba.size(), SPNG_FMT_RGBA8, 0), 0);
  ASSERT_EQ(rgba.size(), indexes.size() * 4);
  for (std::size_t i = 0; i < indexes.size(); ++i) {
    const spng_plte_entry& colour = palette.entries[indexes[i]];
    EXPECT_EQ(rgba[i * 4], colour.red);
    EXPECT_EQ(rgba[i * 4 + 1], colour.green);
    EXPECT_EQ(rgba[i * 4 + 2], colour.blue);
  }
}

}  // namespace
}  // namespace sprite::testing
