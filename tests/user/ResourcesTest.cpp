#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "TestResources.h"
#include "platform/gdi/GdiCalls.h"
#include "platform/kernel/ProgramLoader.h"
#include "platform/kernel/Utf.h"
#include "platform/user/ResourceData.h"
#include "windows.h"

namespace {

// The test module, loaded once for all tests: its instance finds the .res
// next to it.
class ResourcesTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string error;
    module_ = new std::optional<ce::Module>(ce::Module::Load(RESOURCE_MODULE_PATH, ce::ModuleKind::Library, error));
    ASSERT_TRUE(module_->has_value()) << error;
  }
  static void TearDownTestSuite() {
    delete module_;
    module_ = nullptr;
  }
  static HINSTANCE Instance() { return (*module_)->Instance(); }

  static std::vector<std::uint8_t> ResBytes() {
    std::ifstream in(std::string(RESOURCE_MODULE_PATH) + ".res", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  static inline std::optional<ce::Module>* module_ = nullptr;
};

TEST_F(ResourcesTest, StringsLoadTruncateAndReportMissingOnes) {
  WCHAR buffer[100];
  EXPECT_EQ(LoadStringW(Instance(), IDS_TITLE, buffer, 100), 11);
  EXPECT_EQ(std::u16string(buffer), u"Ondrel test");
  EXPECT_EQ(LoadStringW(Instance(), IDS_BAND, buffer, 100), 21);
  EXPECT_EQ(std::u16string(buffer), u"Europe (87.5-108 MHz)");
  EXPECT_EQ(LoadStringW(Instance(), IDS_BAND, buffer, 7), 6);
  EXPECT_EQ(std::u16string(buffer), u"Europe");
  const WCHAR* inPlace = nullptr;
  EXPECT_EQ(LoadStringW(Instance(), IDS_BAND, reinterpret_cast<LPWSTR>(&inPlace), 0), 21);
  EXPECT_EQ(std::u16string(inPlace, 21), u"Europe (87.5-108 MHz)");

  EXPECT_EQ(LoadStringW(Instance(), IDS_EMPTY, buffer, 100), 0);
  EXPECT_EQ(LoadStringW(Instance(), 2, buffer, 100), 0) << "unset in an existing block";
  EXPECT_EQ(LoadStringW(Instance(), 500, buffer, 100), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_NAME_NOT_FOUND));
  EXPECT_EQ(LoadStringW(reinterpret_cast<HINSTANCE>(0x1234), IDS_TITLE, buffer, 100), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_DATA_NOT_FOUND));
}

TEST_F(ResourcesTest, BitmapResourcesBecomeBitmapsWithTheirPixels) {
  HBITMAP bmp = LoadBitmapW(Instance(), MAKEINTRESOURCEW(IDB_THREE));
  ASSERT_NE(bmp, nullptr);
  BITMAP bm{};
  GetObjectW(bmp, sizeof(bm), &bm);
  EXPECT_EQ(bm.bmWidth, 3);
  EXPECT_EQ(bm.bmHeight, 2);
  EXPECT_EQ(bm.bmBitsPixel, 32) << "kept in the display's format, whatever the resource's";
  EXPECT_EQ(bm.bmBits, nullptr) << "a display bitmap, not a section";
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, bmp);
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 0, 0));  // the file's top row
  EXPECT_EQ(GetPixel(dc, 1, 0), RGB(0, 255, 0));
  EXPECT_EQ(GetPixel(dc, 2, 1), RGB(0, 0, 255));
  DeleteDC(dc);
  DeleteObject(bmp);

  HBITMAP mask = LoadBitmapW(Instance(), MAKEINTRESOURCEW(IDB_MASK));
  ASSERT_NE(mask, nullptr);
  dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, mask);
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 0, 0));
  EXPECT_EQ(GetPixel(dc, 1, 0), RGB(255, 255, 0));
  DeleteDC(dc);
  DeleteObject(mask);
  EXPECT_EQ(LoadBitmapW(Instance(), MAKEINTRESOURCEW(999)), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_NAME_NOT_FOUND));
}

TEST_F(ResourcesTest, IconsAcceleratorsAndRawData) {
  HICON icon = LoadIconW(Instance(), MAKEINTRESOURCEW(IDI_APP));
  ASSERT_NE(icon, nullptr);
  auto data = ce::res::IconOf(icon);
  ASSERT_TRUE(data);
  EXPECT_EQ(data->width, 16);
  EXPECT_GT(data->image.size(), 16u * 16u * 4u);
  EXPECT_TRUE(DestroyIcon(icon));
  EXPECT_EQ(LoadIconW(Instance(), MAKEINTRESOURCEW(IDI_APP)), icon) << "a shared icon: every load gives it";
  EXPECT_TRUE(ce::res::IconOf(icon)) << "and destroying it takes it from nobody";
  EXPECT_FALSE(DestroyIcon(reinterpret_cast<HICON>(std::uintptr_t{0x4444})));
  EXPECT_NE(LoadIconW(nullptr, IDI_APPLICATION), nullptr);

  HRSRC found = FindResourceW(Instance(), MAKEINTRESOURCEW(IDA_KEYS), RT_ACCELERATOR);
  ASSERT_NE(found, nullptr);
  auto* bytes = static_cast<const std::uint8_t*>(LockResource(LoadResource(Instance(), found)));
  std::string error;
  auto table = ce::res::ParseAccelerators({bytes, SizeofResource(Instance(), found)}, error);
  ASSERT_TRUE(table) << error;
  ASSERT_EQ(table->size(), 3u);
  EXPECT_EQ((*table)[0].key, 'A');
  EXPECT_EQ((*table)[0].command, IDM_ABOUT);
  EXPECT_EQ((*table)[0].flags, FVIRTKEY | FCONTROL);
  EXPECT_EQ((*table)[1].key, 'Q');
  EXPECT_EQ((*table)[2].key, 'm');
  EXPECT_EQ((*table)[2].flags, 0);

  // Dialogs travel as they are compiled: DIALOGEX, its controls' classes
  // as strings or as the ordinal of the button class.
  HRSRC dialog = FindResourceW(Instance(), MAKEINTRESOURCEW(IDD_SETTINGS), RT_DIALOG);
  ASSERT_NE(dialog, nullptr);
  auto* d = static_cast<const std::uint8_t*>(LoadResource(Instance(), dialog));
  DWORD size = SizeofResource(Instance(), dialog);
  ASSERT_GT(size, 26u);
  EXPECT_EQ(d[0] | d[1] << 8, 1);         // dlgVer
  EXPECT_EQ(d[2] | d[3] << 8, 0xFFFF);    // signature
  std::u16string all(reinterpret_cast<const char16_t*>(d), size / 2);
  EXPECT_NE(all.find(u"MSCTLS_TRACKBAR32"), std::u16string::npos);

  EXPECT_EQ(FindResourceW(Instance(), MAKEINTRESOURCEW(IDD_SETTINGS), MAKEINTRESOURCEW(77)), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_TYPE_NOT_FOUND));
  EXPECT_EQ(SizeofResource(Instance(), reinterpret_cast<HRSRC>(0x99)), 0u);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
}

TEST_F(ResourcesTest, DialogTemplateParsesIntoItemsAndEveryTruncationIsRefused) {
  HRSRC found = FindResourceW(Instance(), MAKEINTRESOURCEW(IDD_SETTINGS), RT_DIALOG);
  ASSERT_NE(found, nullptr);
  auto* bytes = static_cast<const std::uint8_t*>(LoadResource(Instance(), found));
  std::span<const std::uint8_t> data{bytes, SizeofResource(Instance(), found)};
  std::string error;
  auto dialog = ce::res::ParseDialog(data, error);
  ASSERT_TRUE(dialog) << error;
  EXPECT_TRUE(dialog->extended);
  EXPECT_EQ(dialog->cx, 140);
  EXPECT_EQ(dialog->cy, 100);
  EXPECT_EQ(dialog->title, u"Settings");
  EXPECT_TRUE(dialog->hasFont);
  EXPECT_EQ(dialog->pointSize, 8);
  EXPECT_EQ(dialog->typeface, u"Plain Sans");
  ASSERT_EQ(dialog->items.size(), 3u);
  // GROUPBOX is stored with the button class's ordinal, CONTROL with the
  // class as a string.
  EXPECT_EQ(dialog->items[0].className, u"BUTTON");
  EXPECT_EQ(std::get<std::u16string>(dialog->items[0].title), u"Band");
  EXPECT_EQ(dialog->items[0].id, 0xFFFFFFFFu);
  EXPECT_EQ(dialog->items[1].id, DWORD(IDC_BAND));
  EXPECT_EQ(dialog->items[1].style, 0x50000009u);  // WS_CHILD | WS_VISIBLE added by the compiler
  EXPECT_EQ(dialog->items[1].x, 10);
  EXPECT_EQ(dialog->items[1].cy, 10);
  EXPECT_TRUE(ce::EqualNoCase(dialog->items[2].className, u"msctls_trackbar32"));
  EXPECT_EQ(dialog->items[2].style, 0x50010000u);

  // Cut anywhere before the last item's end, it is refused with the place.
  std::size_t lastItemEnd = data.size();
  for (std::size_t n = 0; n + 2 < lastItemEnd; ++n) {
    std::string cutError;
    EXPECT_FALSE(ce::res::ParseDialog(data.first(n), cutError)) << n;
    EXPECT_NE(cutError.find("cut short"), std::string::npos) << cutError;
  }
}

TEST_F(ResourcesTest, MenuTemplateParsesIntoNestedItems) {
  HRSRC found = FindResourceW(Instance(), MAKEINTRESOURCEW(IDM_MENU), RT_MENU);
  ASSERT_NE(found, nullptr);
  auto* bytes = static_cast<const std::uint8_t*>(LoadResource(Instance(), found));
  std::string error;
  auto menu = ce::res::ParseMenu({bytes, SizeofResource(Instance(), found)}, error);
  ASSERT_TRUE(menu) << error;
  ASSERT_EQ(menu->size(), 1u);
  const auto& popup = (*menu)[0];
  EXPECT_EQ(popup.text, u"Menu");
  EXPECT_TRUE(popup.flags & ce::res::kMenuPopup);
  ASSERT_EQ(popup.items.size(), 4u);
  EXPECT_EQ(popup.items[0].text, u"&About...");
  EXPECT_EQ(popup.items[0].id, IDM_ABOUT);
  EXPECT_TRUE(popup.items[1].separator());
  EXPECT_EQ(popup.items[2].text, u"Audio");
  ASSERT_EQ(popup.items[2].items.size(), 1u);
  EXPECT_EQ(popup.items[2].items[0].id, IDM_MONO);
  EXPECT_TRUE(popup.items[2].items[0].flags & 0x0008) << "checked";
  EXPECT_EQ(popup.items[3].id, IDM_EXIT);
}

// Every prefix of the file is either a smaller valid file (cut between
// resources) or refused; nothing is read past the end (the sanitizers
// watch).
TEST_F(ResourcesTest, TruncatedAndDamagedFilesAreRefused) {
  std::vector<std::uint8_t> bytes = ResBytes();
  ASSERT_GT(bytes.size(), 64u);
  std::string error;
  auto whole = ce::res::ResourceFile::Parse(bytes, error);
  ASSERT_TRUE(whole) << error;
  std::size_t refused = 0;
  for (std::size_t n = 0; n < bytes.size(); ++n) {
    std::vector<std::uint8_t> part(bytes.begin(), bytes.begin() + std::ptrdiff_t(n));
    auto parsed = ce::res::ResourceFile::Parse(std::move(part), error);
    if (!parsed) {
      ++refused;
      EXPECT_FALSE(error.empty());
    } else {
      EXPECT_LT(parsed->resources().size(), whole->resources().size()) << "cut at " << n;
    }
  }
  EXPECT_GT(refused, bytes.size() * 9 / 10);

  auto damaged = bytes;
  damaged[32] = 0xFF;  // the first resource's data size
  damaged[35] = 0x7F;
  EXPECT_FALSE(ce::res::ResourceFile::Parse(damaged, error));
  EXPECT_NE(error.find("runs past the end"), std::string::npos) << error;
  damaged = bytes;
  damaged[36] = 8;  // its header size
  EXPECT_FALSE(ce::res::ResourceFile::Parse(damaged, error));
  damaged = bytes;
  damaged[0] = 1;
  EXPECT_FALSE(ce::res::ResourceFile::Parse(damaged, error)) << "not starting with the empty resource";
}

TEST(ResourceFormats, TruncatedResourcesAreRefusedWithAReason) {
  std::string error;
  const std::uint8_t accel[] = {0x09, 0, 'A', 0, 1, 0, 0, 0, 0x89, 0, 'Q', 0, 2, 0, 0, 0};
  EXPECT_TRUE(ce::res::ParseAccelerators(accel, error));
  EXPECT_FALSE(ce::res::ParseAccelerators(std::span(accel).first(8), error)) << "no last entry";
  EXPECT_FALSE(ce::res::ParseAccelerators(std::span(accel).first(13), error));

  // Header, then a popup "A" with one item "B" (id 7), both last.
  const std::uint8_t menu[] = {0, 0, 0, 0, 0x90, 0, 'A', 0, 0, 0, 0x80, 0, 7, 0, 'B', 0, 0, 0};
  auto items = ce::res::ParseMenu(menu, error);
  ASSERT_TRUE(items) << error;
  EXPECT_EQ((*items)[0].items[0].id, 7);
  for (std::size_t n = 0; n < sizeof(menu); ++n)
    EXPECT_FALSE(ce::res::ParseMenu(std::span(menu).first(n), error)) << n;
  const std::uint8_t menuEx[] = {1, 0, 4, 0, 0, 0, 0, 0};
  EXPECT_FALSE(ce::res::ParseMenu(menuEx, error));

  // A string table whose first string claims more characters than exist.
  const std::uint8_t strings[] = {5, 0, 'a', 0, 'b', 0};
  EXPECT_FALSE(ce::res::StringInBlock(strings, 0, error));
  EXPECT_NE(error.find("runs past"), std::string::npos);

  const std::uint8_t group[] = {0, 0, 1, 0, 2, 0, 16, 16, 0, 0, 1, 0, 32, 0, 0, 1, 0, 0, 1, 0};
  EXPECT_FALSE(ce::res::ParseIconGroup(group, error)) << "two entries announced, one there";

  // A packed DIB shorter than its pixels.
  std::vector<std::uint8_t> dib(40 + 4, 0);
  const std::int32_t header[] = {40, 2, 2};
  std::memcpy(dib.data(), header, sizeof(header));
  dib[12] = 1;   // planes
  dib[14] = 24;  // bits
  EXPECT_EQ(ce::gdi::BitmapFromPackedDib(dib, error), nullptr);
  EXPECT_NE(error.find("needed"), std::string::npos) << error;
}

}  // namespace
