// Reading a skin picture: the 14-byte file header, the info block (the
// BITMAPINFOHEADER and its colour table) and the pixel rows, straight into
// a DIB section.
//
// The files come from the installation directory, which anyone with a
// file manager can change, so every length in them is checked against the
// file and against the section before it is used: a broken picture costs
// its surface, never the program.
#include "BitmapFile.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>

namespace {

const WCHAR kErrorCaption[] = TEXT("Error");
const WCHAR kHeaderReadError[] = TEXT("Read bmp file's BITMAPFILEHEADER Error!");
const WCHAR kNotBitmapError[] = TEXT("It's not a bitmap type file!");
const WCHAR kCompressedError[] = TEXT("It'snot a uncompressed format of bitmap file!");
const WCHAR kNotWindowsBitmapError[] = TEXT("Not a valid Windows bitmap,probably an OS/2 bitmap!");

constexpr WORD kBitmapType = 0x4D42;  // "BM"
constexpr DWORD kFileHeaderBytes = sizeof(BITMAPFILEHEADER);
constexpr DWORD kInfoHeaderBytes = sizeof(BITMAPINFOHEADER);
static_assert(kFileHeaderBytes == 14 && kInfoHeaderBytes == 40);

// Far beyond any skin for a 240 x 320 screen; a header asking for more is
// broken, and believing it would only cost memory.
constexpr std::int64_t kMaxSide = 4096;
constexpr std::uint64_t kMaxPixelBytes = 16u << 20;
// The header and a full colour table take 1064 bytes; writers may leave a
// gap before the pixels, but not one of this size.
constexpr DWORD kMaxInfoBytes = 64u << 10;

int Report(const WCHAR* text) {
  MessageBoxW(nullptr, text, kErrorCaption, MB_OK);
  return 0;
}

std::uint64_t FileSize(HANDLE file) {
  DWORD high = 0;
  DWORD low = GetFileSize(file, &high);
  if (low == INVALID_FILE_SIZE) return 0;  // a size that cannot be told is no skin's
  return (std::uint64_t(high) << 32) | low;
}

bool HasDepthOfSection(WORD bitCount) {
  switch (bitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32: return true;
    default: return false;
  }
}

// Bytes of the colour table that the section takes from the info block.
std::uint64_t ColourTableBytes(const BITMAPINFOHEADER& h) {
  if (h.biBitCount > 8) return 0;
  std::uint64_t entries = std::uint64_t(1) << h.biBitCount;
  if (h.biClrUsed != 0 && h.biClrUsed < entries) entries = h.biClrUsed;
  return 4 * entries;
}

// Rows are padded to whole 32-bit words.
std::uint64_t RowBytes(const BITMAPINFOHEADER& h) { return (std::uint64_t(h.biBitCount) * h.biWidth + 31) / 32 * 4; }

std::uint64_t Rows(const BITMAPINFOHEADER& h) { return std::uint64_t(std::llabs(std::int64_t(h.biHeight))); }

// The size of the section's pixel memory, or nullopt when the header
// describes no picture a section can hold: then CreateDIBSection would
// read a colour table past the block, or the sizes cannot be trusted.
std::optional<std::uint64_t> SectionBytes(const BITMAPINFOHEADER& h, DWORD infoLength) {
  if (h.biPlanes != 1 || !HasDepthOfSection(h.biBitCount)) return std::nullopt;
  if (h.biWidth <= 0 || h.biWidth > kMaxSide || h.biHeight == 0 || Rows(h) > std::uint64_t(kMaxSide))
    return std::nullopt;
  if (h.biBitCount <= 8 && h.biClrUsed > (1u << h.biBitCount)) return std::nullopt;
  if (kInfoHeaderBytes + ColourTableBytes(h) > infoLength) return std::nullopt;
  std::uint64_t bytes = RowBytes(h) * Rows(h);
  if (bytes > kMaxPixelBytes) return std::nullopt;
  return bytes;
}

// What the header says the pixel data take: biSizeImage, or the padded
// rows when it is 0 (top-down pictures count their rows the same).
std::uint64_t PixelLength(const BITMAPINFOHEADER& h) {
  return h.biSizeImage != 0 ? h.biSizeImage : RowBytes(h) * Rows(h);
}

}  // namespace

BitmapFile::~BitmapFile() {
  if (bitmap_) DeleteObject(bitmap_);
  delete[] info_;
}

int BitmapFile::Load(LPCWSTR path) {
  HANDLE file =
      CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  int loaded = LoadFrom(file);
  CloseHandle(file);
  return loaded;
}

int BitmapFile::LoadFrom(HANDLE file) {
  BITMAPFILEHEADER fileHeader{};
  DWORD read = 0;
  if (!ReadFile(file, &fileHeader, kFileHeaderBytes, &read, nullptr) || read < kFileHeaderBytes)
    return Report(kHeaderReadError);
  if (fileHeader.bfType != kBitmapType) return Report(kNotBitmapError);
  // Less than a whole BITMAPINFOHEADER before the pixels: a 12-byte core
  // header, or no header at all. Its fields cannot be looked at.
  if (fileHeader.bfOffBits < kFileHeaderBytes + kInfoHeaderBytes) return Report(kNotWindowsBitmapError);
  // A file header that puts the pixels past the end of the file (or
  // absurdly far into it) is a broken file header, so it gets the file
  // header's message; refused before anything is allocated for it.
  if (fileHeader.bfOffBits > FileSize(file) || fileHeader.bfOffBits - kFileHeaderBytes > kMaxInfoBytes)
    return Report(kHeaderReadError);
  DWORD infoLength = fileHeader.bfOffBits - kFileHeaderBytes;
  if (!ReadInfo(file, infoLength)) return 0;

  BITMAPINFOHEADER header;
  std::memcpy(&header, info_, kInfoHeaderBytes);
  if (header.biCompression != BI_RGB) return Report(kCompressedError);
  if (header.biSize != kInfoHeaderBytes) return Report(kNotWindowsBitmapError);
  // A 40-byte header that describes no picture a section can hold is no
  // valid Windows bitmap either.
  std::optional<std::uint64_t> sectionBytes = SectionBytes(header, infoLength);
  if (!sectionBytes) return Report(kNotWindowsBitmapError);

  bitmap_ =
      CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(info_), DIB_RGB_COLORS, &bits_, nullptr, 0);
  if (!bitmap_) return 0;
  // The file position is bfOffBits now. A short file leaves the rest of
  // the section as it was created.
  DWORD pixelBytes = DWORD(std::min(PixelLength(header), *sectionBytes));
  ReadFile(file, bits_, pixelBytes, &read, nullptr);
  return 1;
}

int BitmapFile::ReadInfo(HANDLE file, DWORD length) {
  // Zeroed, so that a block the file could not fill holds no stale bytes.
  info_ = new (std::nothrow) BYTE[length]();
  if (!info_) return 0;
  DWORD read = 0;
  ReadFile(file, info_, length, &read, nullptr);
  return 1;
}
