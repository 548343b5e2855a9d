// Scene files: the radio environment for the tuner card, read by the host
// and handed to the card as its station list.
//
// One station a line, '#' starts a comment:
//   FREQ_MHZ LEVEL stereo|mono [audio=PATH] [NAME...]
// e.g. "95.0 15 stereo audio=city.ogg City FM". LEVEL (0..15) is what the
// card reports tuned exactly to the station on a clean channel. PATH (one
// word, relative to the scene file) is the station's programme, any sound
// file the sound file library reads; without it the station plays a
// programme of its own.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "hardware/cards/Scene.h"

namespace host {

// Parses scene text, with programme files relative to baseDir; on a
// malformed line returns nullopt and an error "<source>:<line>: <what is
// wrong>". With checkProgrammes each programme file is opened to see that
// it plays (a programme that cannot is such an error too); without, only
// the text is read (as the scene fuzz target does, which must not open
// whatever path its input names).
std::optional<hw::Scene> ParseScene(std::string_view text, std::string_view source, std::string& error,
                                    const std::filesystem::path& baseDir = {}, bool checkProgrammes = true);
// A scene file, its programmes checked.
std::optional<hw::Scene> LoadScene(const std::filesystem::path& file, std::string& error);

}  // namespace host
