// Ondrel's resources as the program finds them: every picture at the size
// the screen's rectangles need, 24-bit; the strings, menu, accelerators
// and both dialogs.
#include "OndrelIds.h"
#include "skin/SkinFixture.h"
#include "platform/user/ResourceData.h"

namespace {

using skintest::SkinTest;

class OndrelResourcesTest : public SkinTest {};

TEST_F(OndrelResourcesTest, EveryPictureHasItsSizeAndDepth) {
  struct Expected {
    WORD id;
    int width, height;
  };
  const Expected pictures[] = {
      {IDB_POINT_LARGE, 16, 17},       {IDB_DIGITS_LARGE, 160, 17},      {IDB_DIGITS_LARGE_MASK, 160, 17},
      {IDB_POINT_LARGE_MASK, 16, 17},  {IDB_DIGITS_SMALL, 51, 6},        {IDB_POINT_SMALL, 5, 6},
      {IDB_DIGITS_SMALL_MASK, 51, 6},  {IDB_POINT_SMALL_MASK, 5, 6},     {IDB_FREQ_THUMB, 21, 29},
      {IDB_FREQ_THUMB_PRESSED, 21, 29}, {IDB_FREQ_THUMB_MASK, 21, 29},   {IDB_VOLUME_THUMB, 22, 22},
      {IDB_VOLUME_THUMB_PRESSED, 22, 22}, {IDB_VOLUME_THUMB_MASK, 22, 22},
  };
  for (const Expected& e : pictures) {
    HBITMAP bitmap = LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(e.id));
    ASSERT_NE(bitmap, nullptr) << e.id;
    BITMAP info{};
    ASSERT_EQ(GetObjectW(bitmap, sizeof info, &info), int(sizeof info)) << e.id;
    EXPECT_EQ(info.bmWidth, e.width) << e.id;
    EXPECT_EQ(info.bmHeight, e.height) << e.id;
    HRSRC found = FindResourceW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(e.id), RT_BITMAP);
    ASSERT_NE(found, nullptr);
    auto* header = static_cast<const BYTE*>(LoadResource(GetModuleHandleW(nullptr), found));
    EXPECT_EQ(header[14] | header[15] << 8, 24) << e.id;  // biBitCount
    EXPECT_EQ(header[16], 0) << e.id;                     // uncompressed
    DeleteObject(bitmap);
  }
}

TEST_F(OndrelResourcesTest, StringsMenuAcceleratorsAndDialogsAreThere) {
  HINSTANCE self = GetModuleHandleW(nullptr);
  WCHAR text[32] = {};
  EXPECT_EQ(LoadStringW(self, IDS_APP_TITLE, text, 32), 6);
  EXPECT_EQ(std::u16string(text), u"Ondrel");
  EXPECT_EQ(LoadStringW(self, IDS_WINDOW_CLASS, text, 32), 6);
  EXPECT_NE(LoadIconW(self, MAKEINTRESOURCEW(IDI_ONDREL)), nullptr);

  HRSRC menu = FindResourceW(self, MAKEINTRESOURCEW(IDR_MAIN_MENU), RT_MENU);
  ASSERT_NE(menu, nullptr);
  std::string error;
  auto items = ce::res::ParseMenu({static_cast<const std::uint8_t*>(LoadResource(self, menu)), SizeofResource(self, menu)},
                                  error);
  ASSERT_TRUE(items) << error;
  ASSERT_EQ(items->size(), 1u);
  EXPECT_EQ((*items)[0].text, u"Menu");
  ASSERT_EQ((*items)[0].items.size(), 3u);
  EXPECT_EQ((*items)[0].items[0].id, IDM_SETTING);
  EXPECT_EQ((*items)[0].items[1].id, IDM_ABOUT);
  EXPECT_EQ((*items)[0].items[2].id, IDM_EXIT);

  HRSRC keys = FindResourceW(self, MAKEINTRESOURCEW(IDR_ACCELERATORS), RT_ACCELERATOR);
  ASSERT_NE(keys, nullptr);
  auto table = ce::res::ParseAccelerators(
      {static_cast<const std::uint8_t*>(LoadResource(self, keys)), SizeofResource(self, keys)}, error);
  ASSERT_TRUE(table) << error;
  ASSERT_EQ(table->size(), 2u);
  EXPECT_EQ((*table)[0].command, IDM_ABOUT);
  EXPECT_EQ((*table)[1].command, IDOK);

  for (WORD id : {WORD(IDD_ABOUTBOX), WORD(IDD_SETTING)}) {
    HRSRC found = FindResourceW(self, MAKEINTRESOURCEW(id), RT_DIALOG);
    ASSERT_NE(found, nullptr) << id;
    auto dialog = ce::res::ParseDialog(
        {static_cast<const std::uint8_t*>(LoadResource(self, found)), SizeofResource(self, found)}, error);
    ASSERT_TRUE(dialog) << error;
    EXPECT_EQ(dialog->typeface, u"System");
    EXPECT_EQ(dialog->pointSize, 8);
    EXPECT_EQ(dialog->exStyle, DWORD(WS_EX_CAPTIONOKBTN));
  }
  HRSRC setting = FindResourceW(self, MAKEINTRESOURCEW(IDD_SETTING), RT_DIALOG);
  auto dialog = ce::res::ParseDialog(
      {static_cast<const std::uint8_t*>(LoadResource(self, setting)), SizeofResource(self, setting)}, error);
  ASSERT_TRUE(dialog);
  EXPECT_EQ(dialog->title, u"Setting");
  EXPECT_EQ(dialog->cx, 144);
  EXPECT_EQ(dialog->cy, 202);
  ASSERT_EQ(dialog->items.size(), 10u);
  // Template order: the trackbar first, the band group box last.
  EXPECT_EQ(dialog->items[0].id, DWORD(IDC_SEARCH_LEVEL));
  EXPECT_FALSE(dialog->items[0].style & WS_VISIBLE);
  EXPECT_EQ(dialog->items[3].id, DWORD(IDC_BAND_EUROPE));
  EXPECT_EQ(dialog->items[3].style & (WS_VISIBLE | WS_GROUP | BS_TYPEMASK),
            DWORD(WS_VISIBLE | WS_GROUP | BS_AUTORADIOBUTTON));
  EXPECT_EQ(std::get<std::u16string>(dialog->items[6].title), u"Japan (76-91 MHz)");
  EXPECT_EQ(std::get<std::u16string>(dialog->items[9].title), u"Radio System");
}

}  // namespace
