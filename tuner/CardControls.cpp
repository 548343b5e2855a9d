// The card's own controls beside the tuner chip: a volume that moves one
// step per command and cannot be read back, and the switch word that
// powers the audio.
#include "CardControls.h"

#include "TunerChannel.h"

static void SendSteps(WORD command, int count) {
  for (int i = 0; i < count; i++) TunerChannel::Transfer(command);
}

// The program keeps its own idea of the card's position. From an unknown
// position it first drives the volume to the bottom; then 80 levels map
// onto 9 card steps, and a change too small for one step is not recorded,
// so small changes add up until they make one.
void SetVolume(WORD level) {
  if (!tunerState.volumeKnown) {
    SendSteps(TUNER_CMD_VOLUME_DOWN, VOLUME_BOTTOM_STEPS);
    tunerState.volumeLevel = 0;
    tunerState.volumeKnown = true;
  }
  if (level > VOLUME_LEVELS - 1) level = VOLUME_LEVELS - 1;
  int steps = (VOLUME_CARD_STEPS * ((int)level - (int)tunerState.volumeLevel)) / VOLUME_LEVELS;
  if (steps == 0) return;
  if (steps > 0)
    SendSteps(TUNER_CMD_VOLUME_UP, steps);
  else
    SendSteps(TUNER_CMD_VOLUME_DOWN, -steps);
  tunerState.volumeLevel = level;
}

// Bit 1 powers the amplifier, bit 0 holds the audio in reset. Powering on
// sets the power first and then releases the reset; powering off drops
// the power first and then holds the reset.
void SetAudioPower(bool on) {
  DWORD& word = tunerState.request.switchWord;
  word &= 0xFF;
  word = on ? (word | 0x02) : (word & ~0x02u);
  TunerChannel::Transfer(TUNER_CMD_SET_SWITCHES);
  word = on ? (word & ~0x01u) : (word | 0x01);
  TunerChannel::Transfer(TUNER_CMD_SET_SWITCHES);
  // Switching the audio power may reset the card's volume control.
  tunerState.volumeKnown = false;
}
