// Skin pictures that load: every depth the skin may come in, pictures
// stored top-down, and files whose pixel data are shorter or longer than
// the picture, read through the DIB section that the loader builds.
#include "BitmapFile.h"
#include "BitmapFileTesting.h"
#include "SkinFixture.h"

namespace {

using namespace skintest;

class BitmapFileLoadTest : public SkinTest {
 protected:
  int LoadBytes(BitmapFile& bitmap, const Bytes& bytes) {
    WriteDeviceFile(root, "Windows/pic.bmp", bytes);
    return bitmap.Load(u"\\Windows\\pic.bmp");
  }

  MessageBoxCatcher messages;
};

TEST_F(BitmapFileLoadTest, EveryUncompressedDepthLoadsWithItsColours) {
  struct Case {
    const char* file;
    std::function<std::uint32_t(int, int)> picture;
  };
  const Case cases[] = {
      {"depth1.bmp", Two},      // two-entry colour table
      {"depth4.bmp", Few},      // sixteen-entry table, eleven used
      {"depth8.bmp", Many},     // the table travels in the info block to the section
      {"depth24.bmp", Many},
      {"depth32.bmp", Many},
      {"topdown24.bmp", Many},  // negative height: the first row in the file is the top
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    BitmapFile bitmap;
    ASSERT_EQ(LoadBytes(bitmap, DataFile(c.file)), 1);
    ASSERT_NE(bitmap.GetBitmap(), nullptr);
    BITMAP info{};
    ASSERT_EQ(GetObjectW(bitmap.GetBitmap(), sizeof info, &info), int(sizeof info));
    EXPECT_EQ(info.bmWidth, kDataWidth);
    EXPECT_EQ(info.bmHeight, kDataHeight);
    EXPECT_TRUE(BitmapReader(bitmap.GetBitmap()).Shows(c.picture));
  }
  EXPECT_TRUE(messages.boxes.empty());
}

TEST_F(BitmapFileLoadTest, MissingFileIsRefusedWithoutAMessage) {
  BitmapFile inMissingFolder, inRoot;
  EXPECT_EQ(inMissingFolder.Load(u"\\Program Files\\Nowhere\\Windows\\BK_U.bmp"), 0);
  EXPECT_EQ(inRoot.Load(u"\\BK_U.bmp"), 0);
  EXPECT_EQ(inMissingFolder.GetBitmap(), nullptr);
  EXPECT_EQ(inRoot.GetBitmap(), nullptr);
  EXPECT_TRUE(messages.boxes.empty());
}

// 160 x 17 at 24 bits, biSizeImage 0: rows of 480 bytes, 8160 in all. The
// last three pixel bytes are the top row's last pixel; bytes after the
// pixels must not be taken for it.
TEST_F(BitmapFileLoadTest, ZeroImageSizeIsComputedFromPaddedRows) {
  HandMadeBitmap picture(160, 17, 24);
  ASSERT_EQ(picture.pixels.size(), 8160u);
  picture.pixels[0] = 0x33;  // bottom-left blue
  picture.pixels[8157] = 0x01, picture.pixels[8158] = 0x02, picture.pixels[8159] = 0x03;
  Bytes file = picture.File();
  file.insert(file.end(), 64, 0xEE);
  BitmapFile bitmap;
  ASSERT_EQ(LoadBytes(bitmap, file), 1);
  BitmapReader reader(bitmap.GetBitmap());
  EXPECT_EQ(reader.Pixel(159, 0), 0x030201u);
  EXPECT_EQ(reader.Pixel(0, 16), 0x000033u);
  EXPECT_EQ(reader.Pixel(80, 8), 0x000000u);
}

TEST_F(BitmapFileLoadTest, ImageSizeDecidesHowMuchIsRead) {
  Bytes bottomRowOnly = DataFile("depth24.bmp");
  SetLe32(bottomRowOnly, kSizeImage, 24);  // one padded row
  BitmapFile bitmap;
  ASSERT_EQ(LoadBytes(bitmap, bottomRowOnly), 1);
  BitmapReader reader(bitmap.GetBitmap());
  EXPECT_TRUE(reader.Shows(Many, 4, 5));
  EXPECT_TRUE(reader.Shows([](int, int) { return 0u; }, 0, 4));
}

// Lengths that promise more than the section holds are cut to the
// section; ASan sees any byte written past it.
TEST_F(BitmapFileLoadTest, PixelReadStopsAtTheSectionsEnd) {
  Bytes oversized = DataFile("depth24.bmp");
  SetLe32(oversized, kSizeImage, 0x7FFFFFFF);
  oversized.insert(oversized.end(), 4096, 0xEE);

  HandMadeBitmap topDown(kDataWidth, -kDataHeight, 24);  // biSizeImage 0
  for (int y = 0; y < kDataHeight; ++y) {
    for (int x = 0; x < kDataWidth; ++x) {
      std::uint8_t* p = &topDown.pixels[std::size_t(y) * 24 + std::size_t(x) * 3];
      p[0] = std::uint8_t(Many(x, y)), p[1] = std::uint8_t(Many(x, y) >> 8), p[2] = std::uint8_t(Many(x, y) >> 16);
    }
  }
  Bytes topDownWithTail = topDown.File();
  topDownWithTail.insert(topDownWithTail.end(), 4096, 0xEE);

  for (const Bytes* file : {&oversized, &topDownWithTail}) {
    BitmapFile bitmap;
    ASSERT_EQ(LoadBytes(bitmap, *file), 1);
    EXPECT_TRUE(BitmapReader(bitmap.GetBitmap()).Shows(Many));
  }
}

// A file that ends inside its pixels loads what is there; the rest of the
// section stays black.
TEST_F(BitmapFileLoadTest, TruncatedPixelsLeaveTheRestBlack) {
  BitmapFile bitmap;
  ASSERT_EQ(LoadBytes(bitmap, DataFile("truncated24.bmp")), 1);
  BitmapReader reader(bitmap.GetBitmap());
  EXPECT_TRUE(reader.Shows(Many, 3, 5));
  EXPECT_TRUE(reader.Shows([](int, int) { return 0u; }, 0, 3));

  // Nothing at all after the info block.
  BitmapFile headerOnly;
  Bytes file = DataFile("depth24.bmp");
  file.resize(54);
  ASSERT_EQ(LoadBytes(headerOnly, file), 1);
  EXPECT_TRUE(BitmapReader(headerOnly.GetBitmap()).Shows([](int, int) { return 0u; }));
  EXPECT_TRUE(messages.boxes.empty());
}

// A shorter colour table (biClrUsed) is all the section reads: it fits the
// block, and the pixels use its entries.
TEST_F(BitmapFileLoadTest, ShortColourTableNamedByColoursUsed) {
  HandMadeBitmap picture(kDataWidth, kDataHeight, 8);
  picture.info.biClrUsed = 2;
  picture.table = {0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0x00};  // red, blue
  for (std::size_t i = 0; i < picture.pixels.size(); ++i) picture.pixels[i] = i % 8 == 3 ? 1 : 0;
  BitmapFile bitmap;
  ASSERT_EQ(LoadBytes(bitmap, picture.File()), 1);
  BitmapReader reader(bitmap.GetBitmap());
  EXPECT_EQ(reader.Pixel(3, 4), 0x0000FFu);
  EXPECT_EQ(reader.Pixel(3, 0), 0x0000FFu);
  EXPECT_EQ(reader.Pixel(0, 0), 0xFF0000u);
}

}  // namespace
