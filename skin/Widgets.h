// The radio screen's buttons, toggles and indicators. Each acts on the
// program's objects, which it reaches through the screen that holds them
// all; the numbered kinds (tuning direction, preset number, group number)
// are one class each with the number as a field.
#pragma once

#include "Widget.h"

class Screen;

// Steps or, in search mode, seeks one way; the auto-repeat tick steps
// again while the pen stays on it.
class TuneButton : public Widget {
 public:
  enum Direction { Down = 0, Up = 1 };
  TuneButton(Screen& screen, Direction direction) : screen_(screen), direction_(direction) {}
  void OnRepeat() override { OnPress(); }
  void OnPress() override;

 private:
  void Seek();
  Screen& screen_;
  const Direction direction_;
};

// On: the tuning buttons seek; off: they step (and repeat).
class SearchModeToggle : public Widget {
 public:
  explicit SearchModeToggle(Screen& screen) : screen_(screen) {}
  void OnActivate() override;

 private:
  Screen& screen_;
};

class MuteToggle : public Widget {
 public:
  explicit MuteToggle(Screen& screen) : screen_(screen) {}
  void OnActivate() override;

 private:
  Screen& screen_;
};

// On: mono; off: stereo.
class AudioOutputToggle : public Widget {
 public:
  explicit AudioOutputToggle(Screen& screen) : screen_(screen) {}
  void OnActivate() override;

 private:
  Screen& screen_;
};

// Lit while the tuner receives stereo; the coordinator switches it.
class StereoIndicator : public Widget {};

// Hold: store the tuned frequency in preset n of the current group;
// tap: recall it.
class PresetButton : public Widget {
 public:
  PresetButton(Screen& screen, int number) : screen_(screen), number_(number) {}
  void OnHold() override;
  void OnActivate() override;

 private:
  Screen& screen_;
  const int number_;
};

// One of three radio buttons choosing the preset group shown.
class GroupToggle : public Widget {
 public:
  GroupToggle(Screen& screen, int group) : screen_(screen), group_(group) {}
  void OnPress() override;
  void OnActivate() override;

 private:
  Screen& screen_;
  const int group_;
};

class DisplayOffButton : public Widget {
 public:
  explicit DisplayOffButton(Screen& screen) : screen_(screen) {}
  void OnActivate() override;

 private:
  Screen& screen_;
};

class ExitButton : public Widget {
 public:
  void OnActivate() override;
};

// Lit (and taking the pen) while RDS data are present; shows and hides
// the RDS text.
class RdsButton : public Widget {
 public:
  explicit RdsButton(Screen& screen) : screen_(screen) {}
  void OnActivate() override;

 private:
  Screen& screen_;
};
