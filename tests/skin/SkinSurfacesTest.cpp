// The skin surfaces: where the installation directory comes from, which
// file ends up in which surface, and what FreeSkin leaves behind.
//
// Each look gets a different 7 x 5 test picture, so a surface shows which
// file it holds: U the 24-bit picture, P the 4-bit one, E the 1-bit one.
#include "BitmapFileTesting.h"
#include "Skin.h"
#include "SkinFixture.h"
#include "platform/kernel/Registry.h"

namespace {

using namespace skintest;

const char kInstallDir129[] =  // "\Program Files\" and 115 more characters
    "\\Program Files\\Veltrane-"
    "012345678901234567890123456789012345678901234567890123456789012345678901234567890123456789012345678901234";

class SkinSurfacesTest : public SkinTest {
 protected:
  void SetUp() override {
    SkinTest::SetUp();
    ASSERT_FALSE(ce::MountRegistry(root / "registry.db"));
  }
  void TearDown() override {
    skin.FreeSkin();
    ce::UnmountRegistry();
    SkinTest::TearDown();
  }

  // Puts the three looks under a device folder ("" for the root).
  void InstallLooks(const std::string& folder, bool withPressedLook = true) const {
    std::string windows = folder.empty() ? "Windows/" : folder + "/Windows/";
    WriteDeviceFile(root, windows + "BK_U.bmp", DataFile("depth24.bmp"));
    if (withPressedLook) WriteDeviceFile(root, windows + "BK_P.bmp", DataFile("depth4.bmp"));
    WriteDeviceFile(root, windows + "BK_E.bmp", DataFile("depth1.bmp"));
  }

  static void SetInstallDir(const std::u16string& dir, bool terminated = true) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Apps\\Veltrane", 0, nullptr, 0, 0, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    DWORD bytes = DWORD((dir.size() + (terminated ? 1 : 0)) * sizeof(WCHAR));
    ASSERT_EQ(RegSetValueExW(key, u"InstallDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(dir.c_str()), bytes),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }

  // Reads the directory as the main window does and loads the skin.
  void LoadSkin() {
    ReadInstallDir(kInstallDirChars, installDir);
    skin.LoadSkin(window, installDir);
  }

  // The looks as their surfaces show them, by the test picture they hold.
  void ExpectLooks(bool withPressedLook = true) const {
    EXPECT_EQ(Surface(skin.Background(), 3, 2), Many(3, 2));
    EXPECT_EQ(Surface(skin.U(), 3, 2), Many(3, 2));
    if (withPressedLook) {
      EXPECT_EQ(Surface(skin.P(), 3, 2), Few(3, 2));
    }
    EXPECT_EQ(Surface(skin.E(), 3, 2), Two(3, 2));
  }

  static std::u16string Wide(const std::string& text) { return std::u16string(text.begin(), text.end()); }
  static std::string HostFolder(const std::string& devicePath) {
    std::string folder = devicePath.substr(1);
    std::replace(folder.begin(), folder.end(), '\\', '/');
    return folder;
  }

  WCHAR installDir[kInstallDirChars];
  SkinBitmaps bitmaps;
  Skin skin{bitmaps};
  MessageBoxCatcher messages;
};

TEST_F(SkinSurfacesTest, WithoutAnInstallDirTheLooksComeFromTheRoot) {
  std::fill(std::begin(installDir), std::end(installDir), u'?');
  EXPECT_EQ(ReadInstallDir(kInstallDirChars, installDir), 1);
  EXPECT_EQ(installDir[0], 0);
  InstallLooks("");
  skin.LoadSkin(window, installDir);
  ExpectLooks();
  // The background and the U look are two loads of one file.
  EXPECT_NE(bitmaps.background.GetBitmap(), bitmaps.u.GetBitmap());
  EXPECT_TRUE(messages.boxes.empty());
}

TEST_F(SkinSurfacesTest, InstallDirOfUpTo129CharactersIsUsed) {
  ASSERT_EQ(std::string(kInstallDir129).size(), 129u);
  SetInstallDir(Wide(kInstallDir129));
  InstallLooks(HostFolder(kInstallDir129));
  LoadSkin();
  EXPECT_EQ(std::u16string(installDir), Wide(kInstallDir129));
  ExpectLooks();
}

// 130 characters and the terminator do not fit 260 bytes: the query
// fails and the skin comes from the root, as when there is no value.
TEST_F(SkinSurfacesTest, LongerInstallDirIsNotUsed) {
  std::string dir130 = std::string(kInstallDir129) + "6";
  InstallLooks(HostFolder(dir130));
  WriteDeviceFile(root, "Windows/BK_U.bmp", DataFile("depth1.bmp"));  // found instead

  SetInstallDir(Wide(dir130));
  LoadSkin();
  EXPECT_EQ(installDir[0], 0);
  EXPECT_EQ(Surface(skin.U(), 3, 2), Two(3, 2));
  skin.FreeSkin();

  // Stored without its terminator, the value fits the 260 bytes exactly
  // but is no string that ends inside the buffer: not used either.
  SetInstallDir(Wide(dir130), false);
  WCHAR again[kInstallDirChars];
  std::fill(std::begin(again), std::end(again), u'?');
  EXPECT_EQ(ReadInstallDir(kInstallDirChars, again), 1);
  EXPECT_EQ(again[0], 0);
  EXPECT_EQ(again[129], 0);
  EXPECT_EQ(again[130], u'?');  // only the first 260 bytes are the reader's
}

TEST_F(SkinSurfacesTest, MissingPressedLookLeavesOnlyItsSurfaceEmpty) {
  SetInstallDir(u"\\Program Files\\Veltrane");
  InstallLooks("Program Files/Veltrane", false);
  LoadSkin();
  EXPECT_EQ(bitmaps.p.GetBitmap(), nullptr);
  ASSERT_NE(skin.P(), nullptr);
  EXPECT_EQ(GetPixel(skin.P(), 3, 2), CLR_INVALID);  // a surface with no picture
  ExpectLooks(false);
  EXPECT_TRUE(messages.boxes.empty());  // a missing file is no error
}

// A malformed look is reported by the loader; the others still load.
TEST_F(SkinSurfacesTest, MalformedLookIsReportedAndTheOthersLoad) {
  InstallLooks("");
  WriteDeviceFile(root, "Windows/BK_P.bmp", DataFile("rle8.bmp"));
  LoadSkin();
  ASSERT_EQ(messages.boxes.size(), 1u);
  EXPECT_EQ(messages.boxes[0].text, u"It'snot a uncompressed format of bitmap file!");
  EXPECT_EQ(bitmaps.p.GetBitmap(), nullptr);
  ExpectLooks(false);
}

TEST_F(SkinSurfacesTest, FreeSkinDeletesTheSurfacesButNotThePictures) {
  InstallLooks("");
  LoadSkin();
  const HDC surfaces[] = {skin.Background(), skin.U(), skin.P(), skin.E()};
  skin.FreeSkin();
  for (HDC surface : surfaces) {
    EXPECT_EQ(GetPixel(surface, 0, 0), CLR_INVALID);
    EXPECT_FALSE(DeleteDC(surface));
  }
  EXPECT_EQ(skin.U(), nullptr);
  skin.FreeSkin();  // nothing left to delete

  // The pictures are free again: another device context can take them.
  BitmapReader u(bitmaps.u.GetBitmap());
  EXPECT_EQ(u.Pixel(3, 2), Many(3, 2));
  BitmapReader e(bitmaps.e.GetBitmap());
  EXPECT_EQ(e.Pixel(3, 2), Two(3, 2));
}

}  // namespace
