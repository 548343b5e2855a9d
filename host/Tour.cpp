#include "host/Tour.h"

#include <string>

namespace host {
namespace {

// Screen coordinates (the radio's client area starts at y 26).
constexpr char kTour[] = R"(# The built-in tour.
wait 500
say The radio starts: the card is found and tuned to the stored station.
shot 01-start.png
tap 102 207
say Search mode on (SEEK lit): the tuning keys now seek.
tap 146 210
wait 4000
say Seek up: the radio stops on the next station.
shot 02-seek-up.png
tap 146 210
wait 4000
say Seek up again.
shot 03-seek-again.png
hold 18 79 1500
say Held key 1 for a second and a half: the station is stored as preset 1 (with a chime).
shot 04-preset-stored.png
tap 60 210
wait 4000
say Seek down to another station.
shot 05-seek-down.png
tap 18 79
wait 1000
say Tapped key 1: preset 1 is recalled.
shot 06-preset-recalled.png
tap 103 48
wait 300
say Bank B: its six presets, all still at the band's start.
shot 07-bank-b.png
tap 102 265
wait 300
say Mute on.
shot 08-muted.png
tap 102 207
tap 102 265
wait 300
say Mute off, step mode again; a few steps up with the right-arrow key.
key RIGHT
key RIGHT
key RIGHT
wait 300
shot 09-steps.png
@BAND@
say Ctrl+Q: the radio saves its settings and closes.
key CTRL+Q
)";

// The band change through the menu and the Setting dialog.
constexpr char kBandChange[] = R"(tap 20 307
wait 300
shot 10-menu.png
tap 40 236
wait 300
say Menu, Setting: the band plans.
shot 11-setting.png
tap 30 101
tap 225 13
wait 500
say Japan chosen and OK tapped: the 76-91 MHz scale, the frequency kept inside the band.
shot 12-japan.png
key CTRL+A
wait 300
say Ctrl+A: the About box, with the band in force.
shot 13-about.png
tap 225 13
wait 300
)";

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

}  // namespace

// The pictures' folder goes into the parsed commands, not the text, so
// that any folder name works.
Script TourScript(const std::filesystem::path& pictureDir) {
  Script script = ParseScript(Replace(kTour, "@BAND@", kBandChange)).script;
  for (ScriptLine& line : script.lines) {
    if (auto* shot = std::get_if<ShotCmd>(&line.command)) shot->file = pictureDir / shot->file.filename();
  }
  return script;
}

}  // namespace host
