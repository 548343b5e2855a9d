// The card's own controls beside the tuner chip: the volume, stepped on
// the card, and the switch word that powers the audio. Each step and each
// switch change is one transfer on the tuner channel.
#pragma once

#include "TunerState.h"

#define VOLUME_LEVELS 80        // levels 0..79 as the program counts them
#define VOLUME_CARD_STEPS 9     // card steps over the whole level range
#define VOLUME_BOTTOM_STEPS 32  // enough down steps to reach the card's bottom from anywhere

void SetVolume(WORD level);
void SetAudioPower(bool on);
