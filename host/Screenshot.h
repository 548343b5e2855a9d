// Pictures of the handheld's screen as a person sees it (dark while the
// backlight is off), written as PNG files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace hw {
class Panel;
}

namespace host {

// Writes width x height pixels (0x00RRGGBB, row by row from the top left)
// as an 8-bit RGB PNG. Returns an error naming the file, empty on success;
// a failed write leaves no partial file behind.
std::string WritePng(const std::filesystem::path& file, std::span<const std::uint32_t> pixels, int width, int height);

// The panel as it looks now, to a PNG file.
std::string WriteScreenshot(const hw::Panel& panel, const std::filesystem::path& file);

}  // namespace host
