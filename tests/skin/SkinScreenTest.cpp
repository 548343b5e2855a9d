// The radio's panel put together from the installed skin the way the
// screen lays it out: background, frequency readout, both sliders and the
// preset labels. With ONDREL_TEST_SHOTS naming a folder, the panel is
// also written there as skin-screen.png for a person to look at.

#include "BandLimits.h"
#include "DigitDisplay.h"
#include "OndrelIds.h"
#include "PresetBank.h"
#include "RadioDevice.h"
#include "Skin.h"
#include "SkinFixture.h"
#include "SkinPictures.h"
#include "SkinSlider.h"
#include "platform/kernel/Registry.h"
#include "tests/support/TestShots.h"

namespace {

using skintest::DigitPictures;
using skintest::Picture;
using skintest::PixelOf;
using skintest::SkinTest;

class SkinScreenTest : public SkinTest {
 protected:
  void SetUp() override {
    SkinTest::SetUp();
    ASSERT_FALSE(ce::MountRegistry(root / "registry.db"));
    savedBand = BandLimits::Instance();
    BandLimits::Instance() = {875, 1080};
    for (const char* look : {"BK_U.bmp", "BK_P.bmp", "BK_E.bmp"})
      Install(look, std::string("Program Files/Veltrane/Windows/") + look);
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Apps\\Veltrane", 0, nullptr, 0, 0, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    const std::u16string dir = u"\\Program Files\\Veltrane";
    ASSERT_EQ(RegSetValueExW(key, u"InstallDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(dir.c_str()),
                             DWORD((dir.size() + 1) * sizeof(WCHAR))),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }
  void TearDown() override {
    BandLimits::Instance() = savedBand;
    ce::UnmountRegistry();
    SkinTest::TearDown();
  }

  skintest::PixelReader Screen() {
    return [this](int x, int y) { return Client(x, y); };
  }

  BandLimits savedBand;
};

TEST_F(SkinScreenTest, PanelShowsReadoutSlidersAndPresetLabelsOverTheSkin) {
  SkinBitmaps bitmaps;
  Skin skin(bitmaps);
  WCHAR installDir[kInstallDirChars] = {};
  ReadInstallDir(kInstallDirChars, installDir);
  skin.LoadSkin(window, installDir);
  ASSERT_NE(bitmaps.u.GetBitmap(), nullptr);
  {
    DigitDisplay digits;
    RadioDevice radio;  // no card: tuning and volume do nothing
    FrequencySlider frequency(radio, digits);
    VolumeSlider volume(radio);
    PresetBank presets;

    digits.Create(window, IDB_DIGITS_LARGE, 16, IDB_POINT_LARGE, IDB_DIGITS_LARGE_MASK, IDB_POINT_LARGE_MASK);
    digits.SetBackground(skin.U());
    digits.SetSuppressLeadingZeros(1);
    const BandLimits& band = BandLimits::Instance();
    digits.SetRange(band.lower, band.upper);
    digits.SetValue(band.lower, 1);

    frequency.Create(window, SkinSlider::kHorizontal, 26, 116, 156, 29, IDB_FREQ_THUMB, IDB_FREQ_THUMB_PRESSED, 0);
    frequency.SetSharedBackground(skin.U(), 26, 116);
    frequency.SetMask(IDB_FREQ_THUMB_MASK);
    frequency.SetRange(band.lower, band.upper);
    frequency.SetPos(band.lower, 0);

    volume.Create(window, SkinSlider::kHorizontal, 22, 200, 158, 22, IDB_VOLUME_THUMB, IDB_VOLUME_THUMB_PRESSED, 0);
    volume.SetSharedBackground(skin.U(), 22, 200);
    volume.SetMask(IDB_VOLUME_THUMB_MASK);
    volume.SetRange(5, 55);
    volume.SetPos(45, 0);

    presets.SetGroupPresets(1, 875, 875, 875, 875, 875, 875);
    presets.SetGroupPresets(2, 875, 875, 875, 875, 875, 875);
    presets.SetGroupPresets(3, 875, 901, 950, 1000, 1043, 1080);
    presets.Attach(window, skin.Background(), 31, 50, 31, 76, 31, 102, 150, 50, 150, 76, 150, 102);

    // What a paint of the window does: background first, then everything.
    HDC dc = GetDC(window);
    BitBlt(dc, 0, 0, 240, 268, skin.Background(), 0, 0, SRCCOPY);
    ReleaseDC(window, dc);
    digits.Draw(0, 64, 73);
    frequency.Paint();
    volume.Paint();
    presets.Draw(0);
    testsupport::SaveShot(panel, "skin-screen.png");

    // Away from every element the panel is the skin.
    EXPECT_EQ(Client(2, 2), PixelOf(skin.Background(), 2, 2));
    EXPECT_EQ(Client(120, 250), PixelOf(skin.Background(), 120, 250));

    DigitPictures large(IDB_DIGITS_LARGE, IDB_POINT_LARGE, IDB_DIGITS_LARGE_MASK, IDB_POINT_LARGE_MASK, 16);
    EXPECT_TRUE(skintest::RegionShows(Screen(), 64, 73, large.TextWidth(), large.Height(), [&](int dx, int dy) {
      return large.Expected(" 87.5", dx, dy, PixelOf(skin.U(), 64 + dx, 73 + dy));
    }));
    EXPECT_FALSE(skintest::RegionShows(Screen(), 80, 73, 16, 17, [&](int dx, int dy) {
      return PixelOf(skin.U(), 80 + dx, 73 + dy);
    })) << "the 8 is drawn";

    Picture freqThumb(IDB_FREQ_THUMB), freqMask(IDB_FREQ_THUMB_MASK);
    EXPECT_TRUE(skintest::RegionShows(Screen(), 26, 116, 21, 29, [&](int dx, int dy) {
      return skintest::Masked(PixelOf(skin.U(), 26 + dx, 116 + dy), freqMask.At(dx, dy), freqThumb.At(dx, dy));
    })) << "frequency thumb at the band's lower end";
    Picture volumeThumb(IDB_VOLUME_THUMB), volumeMask(IDB_VOLUME_THUMB_MASK);
    EXPECT_EQ(volume.ThumbPlace(45).x, 130);
    EXPECT_TRUE(skintest::RegionShows(Screen(), 130, 200, 22, 22, [&](int dx, int dy) {
      return skintest::Masked(PixelOf(skin.U(), 130 + dx, 200 + dy), volumeMask.At(dx, dy), volumeThumb.At(dx, dy));
    })) << "volume thumb at 45";

    DigitPictures small(IDB_DIGITS_SMALL, IDB_POINT_SMALL, IDB_DIGITS_SMALL_MASK, IDB_POINT_SMALL_MASK, 5);
    auto label = [&](int x, int y, const char* text) {
      return skintest::RegionShows(Screen(), x, y, small.TextWidth(), small.Height(), [&](int dx, int dy) {
        return small.Expected(text, dx, dy, PixelOf(skin.Background(), x + dx, y + dy));
      });
    };
    EXPECT_TRUE(label(31, 50, " 87.5"));
    EXPECT_TRUE(label(31, 76, " 90.1"));
    EXPECT_TRUE(label(150, 50, "100.0"));
    EXPECT_TRUE(label(150, 102, "108.0"));
  }
  skin.FreeSkin();
}

}  // namespace
