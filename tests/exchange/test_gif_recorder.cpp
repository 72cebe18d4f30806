// Walks written as GIFs and read back with giflib.
#include "exchange/gif_recorder.h"

#include "tests/support/gif_file.h"

#include <gtest/gtest.h>

namespace torvex::exchange {
namespace {

TEST(GifRecorder, ImagesLastTheCalculatorsTimeWithRoundingCarriedOver) {
    std::array<uint8_t, 768> first{}, second{};
    first[0] = 0x80;    // the top-left pixel
    second[767] = 0x01; // the bottom-right pixel
    GifRecorder recorder(2);
    // 1.5, 1.5, 0.49998, 0.50002 and 1099 hundredths of a second: rounded as
    // they add up to 1.5, 3, 3.49998, 4 and 1103.
    const uint64_t durations[] = {90'000, 90'000, 29'999, 30'001, 65'940'000};
    for (int i = 0; i < 5; ++i)
        recorder.add(i % 2 ? second : first, durations[i]);
    EXPECT_EQ(recorder.centiseconds(), 1103u);
    const test::Gif file = test::readGif(recorder.finish());
    ASSERT_NE(file, nullptr);
    GifFileType* gif = file.get();
    ASSERT_EQ(test::gifDelays(gif), (std::vector<int>{2, 1, 0, 1, 1099}));
    const ColorMapObject* map = gif->SColorMap;
    ASSERT_EQ(map->ColorCount, 2);
    EXPECT_EQ(map->Colors[1].Red, 0x1E);   // dark
    EXPECT_EQ(map->Colors[0].Green, 0xB4); // glass
    // Each calculator pixel is a 2 x 2 square.
    const GifByteType* image = gif->SavedImages[0].RasterBits;
    EXPECT_EQ(std::vector<int>({image[0], image[1], image[2], image[192], image[193], image[194]}),
              (std::vector<int>{1, 1, 0, 1, 1, 0}));
    const GifByteType* last = gif->SavedImages[1].RasterBits;
    EXPECT_EQ(std::vector<int>({last[192 * 128 - 1], last[192 * 126 - 1], last[192 * 128 - 3]}),
              (std::vector<int>{1, 0, 0}));
    // It loops for ever: the application extension before the first image,
    // its loop count 0.
    const ExtensionBlock* loop = gif->SavedImages[0].ExtensionBlocks;
    bool loops = false;
    for (int i = 0; i + 1 < gif->SavedImages[0].ExtensionBlockCount; ++i)
        loops |= loop[i].ByteCount == 11 && std::memcmp(loop[i].Bytes, "NETSCAPE2.0", 11) == 0 &&
                 loop[i + 1].ByteCount == 3 &&
                 std::memcmp(loop[i + 1].Bytes, "\x01\x00\x00", 3) == 0;
    EXPECT_TRUE(loops);
}

} // namespace
} // namespace torvex::exchange
