#include "Screen.h"

#include "BandLimits.h"
#include "OndrelIds.h"

namespace {

// Where each widget sits, in the order the screen lays them out and
// paints them. The pressed look comes from the P surface for the stereo
// indicator and the mono toggle, from the E surface for all others; the
// on look (toggles only) from the E surface.
enum class PressedFrom { P, E };
struct Place {
  int x, y, width, height;
  PressedFrom pressed;
  bool toggle;
};

constexpr Place kTuneUp{126, 170, 40, 28, PressedFrom::E, false};
constexpr Place kTuneDown{40, 170, 40, 28, PressedFrom::E, false};
constexpr Place kMute{87, 223, 30, 33, PressedFrom::E, true};
constexpr Place kStereo{72, 47, 62, 12, PressedFrom::P, true};
constexpr Place kAudioOutput{72, 47, 62, 24, PressedFrom::P, true};
constexpr Place kSearchMode{87, 165, 30, 33, PressedFrom::E, true};
constexpr Place kPresets[6] = {
    {7, 41, 23, 24, PressedFrom::E, false},   {4, 67, 26, 24, PressedFrom::E, false},
    {7, 93, 23, 24, PressedFrom::E, false},   {177, 41, 23, 24, PressedFrom::E, false},
    {177, 67, 26, 24, PressedFrom::E, false}, {177, 93, 23, 24, PressedFrom::E, false},
};
constexpr Place kGroups[3] = {
    {10, 15, 60, 22, PressedFrom::E, true},
    {70, 7, 67, 30, PressedFrom::E, true},
    {137, 15, 60, 22, PressedFrom::E, true},
};
constexpr Place kDisplayOff{126, 223, 40, 28, PressedFrom::E, false};
constexpr Place kExit{40, 223, 40, 28, PressedFrom::E, false};
constexpr Place kRds{0, 0, 39, 23, PressedFrom::E, true};

constexpr POINT kFrequencyDigitsAt{64, 73};
constexpr POINT kPresetLabels[6] = {{31, 50}, {31, 76}, {31, 102}, {150, 50}, {150, 76}, {150, 102}};

}  // namespace

template <typename Visit>
void Screen::ForEachPenWidget(Visit visit) {
  visit(tuneUp);
  visit(tuneDown);
  visit(muteToggle);
  visit(audioOutputToggle);
  visit(searchModeToggle);
  for (PresetButton& preset : presetButtons) visit(preset);
  for (GroupToggle& group : groupToggles) visit(group);
  visit(displayOffButton);
  visit(exitButton);
  visit(rdsButton);
}

void Screen::LayoutScreen(HWND window) {
  const BandLimits band = BandLimits::Instance();
  frequencyDigits.Create(window, IDB_DIGITS_LARGE, 16, IDB_POINT_LARGE, IDB_DIGITS_LARGE_MASK, IDB_POINT_LARGE_MASK);
  frequencyDigits.SetBackground(skin.U());
  frequencyDigits.SetSuppressLeadingZeros(1);
  frequencyDigits.SetRange(band.lower, band.upper);
  frequencyDigits.SetValue(band.lower, 1);

  auto layout = [&](Widget& widget, const Place& p) {
    HDC pressed = p.pressed == PressedFrom::P ? skin.P() : skin.E();
    widget.Layout(window, p.x, p.y, skin.U(), p.x, p.y, p.width, p.height, pressed, p.toggle ? skin.E() : nullptr);
  };
  layout(tuneUp, kTuneUp);
  layout(tuneDown, kTuneDown);
  layout(muteToggle, kMute);
  layout(stereoIndicator, kStereo);
  layout(audioOutputToggle, kAudioOutput);
  layout(searchModeToggle, kSearchMode);
  for (int i = 0; i < 6; ++i) layout(presetButtons[i], kPresets[i]);
  for (int i = 0; i < 3; ++i) layout(groupToggles[i], kGroups[i]);
  layout(displayOffButton, kDisplayOff);
  layout(exitButton, kExit);
  layout(rdsButton, kRds);
  rdsButton.inputEnabled = FALSE;

  frequencySlider.Create(window, SkinSlider::kHorizontal, 26, 116, 156, 29, IDB_FREQ_THUMB, IDB_FREQ_THUMB_PRESSED, 0);
  if (settings.RadioSystem == 1 || settings.RadioSystem == 3)
    frequencySlider.SetSharedBackground(skin.U(), 26, 116);
  else if (settings.RadioSystem == 2)
    frequencySlider.SetSharedBackground(skin.P(), 26, 116);
  frequencySlider.SetMask(IDB_FREQ_THUMB_MASK);
  frequencySlider.SetRange(band.lower, band.upper);
  frequencySlider.SetPos(band.lower, 0);

  volumeSlider.Create(window, SkinSlider::kHorizontal, 22, 200, 158, 22, IDB_VOLUME_THUMB, IDB_VOLUME_THUMB_PRESSED, 0);
  volumeSlider.SetSharedBackground(skin.U(), 22, 200);
  volumeSlider.SetMask(IDB_VOLUME_THUMB_MASK);
  volumeSlider.SetRange(5, 55);
  volumeSlider.SetPos(45, 0);

  for (DWORD group = 1; group <= 3; ++group)
    presetBank.SetGroupPresets(group, band.lower, band.lower, band.lower, band.lower, band.lower, band.lower);
  const POINT* at = kPresetLabels;
  presetBank.Attach(window, skin.Background(), at[0].x, at[0].y, at[1].x, at[1].y, at[2].x, at[2].y, at[3].x,
                    at[3].y, at[4].x, at[4].y, at[5].x, at[5].y);
}

void Screen::PaintScreen() {
  frequencyDigits.Draw(0, kFrequencyDigitsAt.x, kFrequencyDigitsAt.y);
  tuneUp.Paint();
  tuneDown.Paint();
  muteToggle.Paint();
  stereoIndicator.Paint();
  audioOutputToggle.Paint();  // covers the stereo indicator's rows
  searchModeToggle.Paint();
  for (PresetButton& preset : presetButtons) preset.Paint();
  for (GroupToggle& group : groupToggles) group.Paint();
  displayOffButton.Paint();
  exitButton.Paint();
  rdsButton.Paint();
  frequencySlider.Paint();
  volumeSlider.Paint();
  presetBank.Draw(0);
}

void Screen::ScreenPenDown(int x, int y) {
  ForEachPenWidget([&](Widget& w) { w.HandlePen(x, y, Widget::PenDown); });
  frequencySlider.OnPen(x, y, SkinSlider::kPenDown);
  volumeSlider.OnPen(x, y, SkinSlider::kPenDown);
}

void Screen::ScreenPenUp(int x, int y) {
  ForEachPenWidget([&](Widget& w) { w.HandlePen(x, y, Widget::PenUp); });
  frequencySlider.OnPen(x, y, SkinSlider::kPenUp);
  volumeSlider.OnPen(x, y, SkinSlider::kPenUp);
}

void Screen::ScreenPenMove(int x, int y) {
  frequencySlider.OnPen(x, y, SkinSlider::kPenMove);
  volumeSlider.OnPen(x, y, SkinSlider::kPenMove);
}

void Screen::ScreenHold(int x, int y) {
  tuneUp.HoldAt(x, y);
  tuneDown.HoldAt(x, y);
  for (PresetButton& preset : presetButtons) preset.HoldAt(x, y);
}

void Screen::ScreenRepeat(int x, int y) {
  tuneUp.RepeatAt(x, y);
  tuneDown.RepeatAt(x, y);
}
