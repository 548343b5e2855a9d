// The speaker PlaySoundW plays on. Until one is set, a speaker of the
// platform's own (tests and headless runs need no host).
#pragma once

#include "hardware/sound/Speaker.h"

namespace ce {

hw::Speaker& SystemSpeaker();
void SetSystemSpeaker(hw::Speaker* speaker);  // nullptr returns to the default
bool SystemSpeakerIs(const hw::Speaker* speaker);

}  // namespace ce
