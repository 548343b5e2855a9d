// A folder of a test's own in the temporary directory, made empty and
// unique to it (other test processes run at the same time), and removed
// with everything in it when it goes.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>

namespace testsupport {

class ScratchFolder {
 public:
  // <temp>/<prefix>-XXXXXX; the path is canonical, so that a device root
  // made in it compares equal to what the platform resolves. Throws
  // std::runtime_error when the folder cannot be made.
  explicit ScratchFolder(std::string_view prefix = "ondrel") {
    std::string pattern = (std::filesystem::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make a scratch folder " + pattern);
    path_ = std::filesystem::canonical(pattern);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace testsupport
