// The run's log: what the handheld reported while it ran (message boxes,
// programs that started and ended, loader warnings), one line per event.
// Kept in memory for tests and, when the host names a file, written there
// as it happens.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ce {

// Appends a line. Line breaks inside it become spaces, so that every event
// stays one line of the log. Safe from any thread.
void LogLine(std::string_view line);

// The lines logged so far, oldest first. Memory keeps the most recent
// kRunLogMemoryLines; the file keeps everything.
inline constexpr std::size_t kRunLogMemoryLines = 4096;
std::vector<std::string> RunLogLines();
void ClearRunLog();  // the in-memory lines only

// Writes the log to a file from now on (created or emptied first). An
// empty path stops writing to a file. Returns why the file cannot be
// written, naming it; the previous log file then stays in use.
std::optional<std::string> SetRunLogFile(const std::filesystem::path& path);
// Why the log file stopped taking lines (a full disk, ...), naming it;
// nullopt while every line reached it.
std::optional<std::string> RunLogFileError();

// The text with each line break (CR, LF or CR LF) turned into one space.
std::string SingleLine(std::string_view text);

}  // namespace ce
