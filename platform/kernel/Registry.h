// The device's registry, kept in one SQLite database in the device root.
// Every process on the same root opens the same database; each write is
// one durable transaction, so a killed process never leaves a value
// half-written. The Reg* functions of <winreg.h> work on the registry
// mounted here.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace ce {

// Opens the registry database file: for reading and writing (creating it
// if absent), or only for reading (it must exist; nothing is written, so
// a write-protected file can still be exported). A file that cannot be
// opened or is damaged is never replaced: the result is a message for the
// user that names the file and says what to do. Every mount starts with
// empty RAM keys (kernel/RegistryRam.h).
enum class RegistryAccess { ReadWrite, ReadOnly };
std::optional<std::string> MountRegistry(const std::filesystem::path& databaseFile,
                                         RegistryAccess access = RegistryAccess::ReadWrite);
void UnmountRegistry();
bool RegistryMounted();

// The registry as a text file in the ".reg" format ("Windows Registry
// Editor Version 5.00"), without the RAM keys. Import checks the whole file first and changes
// nothing when any line is malformed; the error names the line.
std::optional<std::string> ExportRegistryFile(const std::filesystem::path& regFile);
std::optional<std::string> ImportRegistryFile(const std::filesystem::path& regFile);

// While one of these lives on a thread (the window manager makes one
// around every message it hands a window), the thread's registry writes
// are kept together and reach the file as one transaction when the last
// one goes or the thread next asks for a message: what a program stores
// while it handles one message lands whole or not at all.
class RegistryWriteGroup {
 public:
  RegistryWriteGroup();
  ~RegistryWriteGroup();
  RegistryWriteGroup(const RegistryWriteGroup&) = delete;
  RegistryWriteGroup& operator=(const RegistryWriteGroup&) = delete;
};
// Commits the writes the calling thread kept together so far.
void CommitRegistryWrites();

// Runs the database's own consistency check on the mounted registry;
// nullopt when it is sound (used after a process was killed mid-write).
std::optional<std::string> CheckRegistryIntegrity();

}  // namespace ce
