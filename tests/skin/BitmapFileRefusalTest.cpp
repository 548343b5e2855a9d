// Skin pictures that are refused: each with its own message (caption
// "Error", OK button, no owner), no section, and nothing read or written
// past the blocks the header describes.
#include "BitmapFile.h"
#include "BitmapFileTesting.h"
#include "SkinFixture.h"

namespace {

using namespace skintest;

const std::u16string kHeaderReadError = u"Read bmp file's BITMAPFILEHEADER Error!";
const std::u16string kNotBitmapError = u"It's not a bitmap type file!";
const std::u16string kCompressedError = u"It'snot a uncompressed format of bitmap file!";
const std::u16string kNotWindowsBitmapError = u"Not a valid Windows bitmap,probably an OS/2 bitmap!";

class BitmapFileRefusalTest : public SkinTest {
 protected:
  // Loads the bytes as a file and expects a refusal with exactly one
  // message box of this text.
  ::testing::AssertionResult RefusedWith(const Bytes& bytes, const std::u16string& text) {
    WriteDeviceFile(root, "Windows/bad.bmp", bytes);
    MessageBoxCatcher messages;
    BitmapFile bitmap;
    int result = bitmap.Load(u"\\Windows\\bad.bmp");
    if (result != 0 || bitmap.GetBitmap() != nullptr) return ::testing::AssertionFailure() << "loaded";
    if (messages.boxes.size() != 1)
      return ::testing::AssertionFailure() << messages.boxes.size() << " message boxes";
    const MessageBoxCatcher::Box& box = messages.boxes[0];
    if (box.text != text) return ::testing::AssertionFailure() << "message " << ce::MessageBoxLine(box.text, box.caption);
    if (box.caption != u"Error" || box.type != MB_OK || box.owner != nullptr)
      return ::testing::AssertionFailure() << "caption, style or owner differ";
    return ::testing::AssertionSuccess();
  }

  static Bytes WithLe32(Bytes bytes, std::size_t at, std::uint32_t value) {
    SetLe32(bytes, at, value);
    return bytes;
  }
  static Bytes WithLe16(Bytes bytes, std::size_t at, std::uint16_t value) {
    SetLe16(bytes, at, value);
    return bytes;
  }
};

TEST_F(BitmapFileRefusalTest, ShortFileHeader) {
  EXPECT_TRUE(RefusedWith({}, kHeaderReadError));
  Bytes thirteen = DataFile("depth24.bmp");
  thirteen.resize(13);
  EXPECT_TRUE(RefusedWith(thirteen, kHeaderReadError));
}

TEST_F(BitmapFileRefusalTest, FileThatIsNoBitmap) {
  EXPECT_TRUE(RefusedWith(WithLe16(DataFile("depth24.bmp"), 0, 0x4B50), kNotBitmapError));
  Bytes text(200, 'x');
  EXPECT_TRUE(RefusedWith(text, kNotBitmapError));
}

TEST_F(BitmapFileRefusalTest, CompressedPictures) {
  EXPECT_TRUE(RefusedWith(DataFile("rle8.bmp"), kCompressedError));
  // Bit fields count as compressed too; and compression is looked at
  // before the header's size.
  EXPECT_TRUE(RefusedWith(WithLe32(DataFile("depth32.bmp"), kCompression, 3), kCompressedError));
  EXPECT_TRUE(
      RefusedWith(WithLe32(WithLe32(DataFile("depth24.bmp"), kCompression, 1), kInfoSize, 108), kCompressedError));
}

// The older format's 12-byte core header, and headers of other sizes.
TEST_F(BitmapFileRefusalTest, HeadersOtherThanTheFortyByteOne) {
  EXPECT_TRUE(RefusedWith(DataFile("core24.bmp"), kNotWindowsBitmapError));  // pixels at 26
  EXPECT_TRUE(RefusedWith(WithLe32(DataFile("depth8.bmp"), kInfoSize, 12), kNotWindowsBitmapError));
  EXPECT_TRUE(RefusedWith(WithLe32(DataFile("depth24.bmp"), kInfoSize, 108), kNotWindowsBitmapError));
  // Pixels said to start inside the file header or the info header.
  for (std::uint32_t offBits : {0u, 13u, 14u, 53u})
    EXPECT_TRUE(RefusedWith(WithLe32(DataFile("depth24.bmp"), kOffBits, offBits), kNotWindowsBitmapError))
        << offBits;
}

// An offset to the pixels that lies past the file's end is refused before
// any block is allocated for it (ASan would see a 4 GB request).
TEST_F(BitmapFileRefusalTest, PixelOffsetPastTheEndOfTheFile) {
  Bytes file = DataFile("depth24.bmp");
  for (std::uint32_t offBits : {std::uint32_t(file.size() + 1), 0x10000u, 0x7FFFFFFFu, 0xFFFFFFFFu})
    EXPECT_TRUE(RefusedWith(WithLe32(file, kOffBits, offBits), kHeaderReadError)) << offBits;
  // Nor may they lie further into it than any info block could reach: a
  // gap of 64 KiB before them is refused before a block is made for it.
  const std::uint32_t offBits = std::uint32_t(file[kOffBits] | file[kOffBits + 1] << 8);
  Bytes gapped = file;
  gapped.insert(gapped.begin() + offBits, 0x10000, 0);
  SetLe32(gapped, kOffBits, offBits + 0x10000);
  EXPECT_TRUE(RefusedWith(gapped, kHeaderReadError));
  // The pixels may start exactly at the end: there are none.
  WriteDeviceFile(root, "Windows/empty.bmp", WithLe32(file, kOffBits, std::uint32_t(file.size())));
  BitmapFile bitmap;
  EXPECT_EQ(bitmap.Load(u"\\Windows\\empty.bmp"), 1);
}

// CreateDIBSection reads the colour table from the info block; a table
// that the block does not hold is refused before it gets there.
TEST_F(BitmapFileRefusalTest, ColourTableOutsideTheInfoBlock) {
  HandMadeBitmap noTable(kDataWidth, kDataHeight, 8);
  EXPECT_TRUE(RefusedWith(noTable.File(), kNotWindowsBitmapError));

  HandMadeBitmap shortTable(kDataWidth, kDataHeight, 4);
  shortTable.table.assign(15 * 4, 0x40);  // sixteen entries needed
  EXPECT_TRUE(RefusedWith(shortTable.File(), kNotWindowsBitmapError));

  HandMadeBitmap tooManyUsed(kDataWidth, kDataHeight, 1);
  tooManyUsed.info.biClrUsed = 3;
  tooManyUsed.table.assign(3 * 4, 0x40);
  EXPECT_TRUE(RefusedWith(tooManyUsed.File(), kNotWindowsBitmapError));
}

TEST_F(BitmapFileRefusalTest, SizesAndDepthsNoSectionCanHold) {
  const Bytes good = DataFile("depth24.bmp");
  struct Case {
    std::size_t at;
    std::uint32_t value;
  };
  const Case cases[] = {
      {kWidth, 0},           {kWidth, std::uint32_t(-7)}, {kWidth, 100000},      {kWidth, 0x80000000u},
      {kHeight, 0},          {kHeight, 0x80000000u},      {kHeight, 100000},     {kHeight, std::uint32_t(-100000)},
      {kBitCount, 0},        {kBitCount, 7},              {kBitCount, 64},       {kPlanes, 2},
  };
  for (const Case& c : cases) {
    Bytes file = good;
    if (c.at == kBitCount || c.at == kPlanes)
      SetLe16(file, c.at, std::uint16_t(c.value));
    else
      SetLe32(file, c.at, c.value);
    EXPECT_TRUE(RefusedWith(file, kNotWindowsBitmapError)) << "field at " << c.at << " = " << c.value;
  }
  // Each side in range, together too large for a skin.
  HandMadeBitmap huge(4096, 4096, 32);
  huge.pixels.clear();
  EXPECT_TRUE(RefusedWith(huge.File(), kNotWindowsBitmapError));
}

}  // namespace
