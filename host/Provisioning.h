// What an installed handheld has before Ondrel first runs: its folders,
// the installation directory in the registry, and (added by the parts that
// bring them) the skin pictures, the sound and the driver registration.
// Each step runs once per device root; the registry remembers which ran,
// so a root made by an older build gets only the steps it lacks, and what
// a person changed afterwards on purpose is left alone.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace host {

// Where the build put Ondrel's artwork (the skins and the sound).
std::filesystem::path DefaultArtworkDir();

struct ProvisioningStep {
  std::string name;
  std::string description;
  std::function<std::string()> run;  // returns an error message, empty on success
};

struct ProvisioningResult {
  std::vector<std::string> performed;  // descriptions of the steps run now
  std::string error;
};

class Provisioner {
 public:
  // With the standard steps; the skin pictures and the sound are copied
  // from artworkDir (where the build draws them).
  explicit Provisioner(std::filesystem::path artworkDir = DefaultArtworkDir());
  void AddStep(ProvisioningStep step);
  // Runs the steps this root has not had yet, in order; stops at the
  // first failure. The registry must be mounted.
  ProvisioningResult Run() const;

 private:
  std::vector<ProvisioningStep> steps_;
};


// Registry key under HKEY_LOCAL_MACHINE that lists the steps done.
inline constexpr char16_t kProvisioningKey[] = u"System\\Provisioning";
inline constexpr char16_t kInstallDirKey[] = u"SOFTWARE\\Apps\\Veltrane";
inline constexpr char16_t kInstallDir[] = u"\\Program Files\\Veltrane";

}  // namespace host
