// The application logic between the screen and the radio device: it puts
// the stored settings into the screen and the device at start and collects
// them at the end, brings everything into a new band, starts the radio
// when the tuner card is found and stops it when the card goes, keeps a
// seek going, keeps the stereo and RDS indicators current, switches the
// display back on and keeps the handheld awake while the radio is in
// front. Most values live in the widgets that show them (the frequency is
// the frequency slider's position, and so on); the coordinator reads and
// writes them there. Everything runs on the window thread.
#pragma once

#include "Screen.h"
#include "windows.h"

class RadioCoordinator {
 public:
  explicit RadioCoordinator(Screen& screen) : screen_(screen) {}
  RadioCoordinator(const RadioCoordinator&) = delete;
  RadioCoordinator& operator=(const RadioCoordinator&) = delete;

  // The menu bar whose pop-up gets the "RDS" item (null when it could not
  // be made).
  void SetMenuBar(HWND menuBar) { menuBar_ = menuBar; }

  void ApplySettings();
  void SaveSettings();
  void ApplyBand();
  void UpdateTunerControls();
  void StartPollTimers(HWND window);

  // Timer procedures.
  void PollTuner();
  void KeepAwake(HWND window);
  void ContinueSeek();
  void UpdateStereoIndicator();
  void UpdateRdsPresence();

  void StopSeek(HWND window);
  void DisplayOn(HWND window);

  bool TunerStarted() const { return tunerStarted_ != 0; }

 private:
  void StartRadio();
  void ShowTunerControls(bool present);
  void ApplyGroup(BYTE group);
  HMENU RdsPopup() const;

  Screen& screen_;
  BOOL tunerStarted_ = FALSE;
  BOOL rdsMenu_ = FALSE;
  HWND menuBar_ = nullptr;
};
