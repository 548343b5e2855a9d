#include "ScanCommand.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "BandScan.h"
#include "host/CardSlot.h"
#include "host/Handheld.h"
#include "host/Options.h"
#include "TunerState.h"

namespace scan {
namespace {

struct ScanOptions {
  host::HandheldConfig config;
  int band = BAND_EUROPE;
  bool help = false;
};

const char* const kUsage = R"(usage: ondrel-scan [options]

Boots the handheld headless, scans an FM band with the radio's seek and
prints each station it stops on.

  --root DIR        device root (default: the per-user device folder)
  --scene FILE      the radio environment (default: the built-in scene)
  --trace FILE      write every SD bus request to FILE
  --band NAME       europe (87.5-108 MHz, default), usa (88-108 MHz) or
                    japan (76-91 MHz)
  --no-card         start with the SD slot empty
  --help            show this text
)";

int Fail(std::ostream& err, const std::string& message) {
  err << "ondrel-scan: " << message << '\n';
  return 1;
}

std::optional<int> BandOf(std::string_view name) {
  if (name == "europe") return BAND_EUROPE;
  if (name == "usa") return BAND_USA;
  if (name == "japan") return BAND_JAPAN;
  return std::nullopt;
}

// Returns an error message, empty when the command line is good.
std::string Parse(std::span<const std::string_view> args, ScanOptions& options) {
  options.config.root = host::DefaultDeviceRoot();
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string_view arg = args[i];
    if (arg == "--help") {
      options.help = true;
      continue;
    }
    if (arg == "--no-card") {
      options.config.cardInserted = false;
      continue;
    }
    if (arg != "--root" && arg != "--scene" && arg != "--trace" && arg != "--band")
      return "unknown option " + std::string(arg) + " (try --help)";
    if (i + 1 >= args.size()) return std::string(arg) + " needs a value";
    std::string_view value = args[++i];
    if (arg == "--root") options.config.root = value;
    if (arg == "--scene") options.config.scene = value;
    if (arg == "--trace") options.config.busTrace = value;
    if (arg == "--band") {
      auto band = BandOf(value);
      if (!band) return "unknown band " + std::string(value) + " (europe, usa or japan)";
      options.band = *band;
    }
  }
  return {};
}

void Print(std::ostream& out, const FoundStation& station) {
  char line[64];
  std::snprintf(line, sizeof line, "%u.%u MHz  level %d  %s", station.frequency / 10u, station.frequency % 10u,
                station.level, station.stereo ? "stereo" : "mono");
  out << line;
  if (!station.name.empty()) out << "  " << station.name;
  out << '\n';
}

std::string MhzText(std::int64_t hz) {
  char text[32];
  std::snprintf(text, sizeof text, "%g MHz", double(hz) / 1e6);
  return text;
}

// The station the card hears where it is tuned, as the scene names it:
// heard off its own channel, or at the image frequency, it says so.
std::string HeardName(const hw::RadioCard::View& card) {
  const hw::Station* heard = card.chip.heard;
  if (!heard) return {};
  std::string name = heard->name.empty() ? MhzText(heard->hz) : heard->name;
  if (card.chip.heardAsImage) return name + " (image of " + MhzText(heard->hz) + ")";
  if (std::llabs(heard->hz - card.chip.tunedHz) >= 50'000) return name + " (" + MhzText(heard->hz) + ")";
  return name;
}

}  // namespace

int RunScan(std::span<const std::string_view> args, std::ostream& out, std::ostream& err) {
  ScanOptions options;
  if (std::string error = Parse(args, options); !error.empty()) return Fail(err, error);
  if (options.help) {
    out << kUsage;
    return 0;
  }
  std::string bootError;
  std::unique_ptr<host::Handheld> handheld = host::Handheld::Boot(options.config, bootError);
  if (!handheld) return Fail(err, bootError);
  if (!handheld->cardSlot().Present()) return Fail(err, "no tuner card in the SD slot");

  RadioDevice radio;
  if (!radio.CheckPresent())
    return Fail(err, "the tuner card does not answer: no device MVX1: (is the tuner driver installed?)");
  std::uint64_t startMs = handheld->clock().NowMs();
  host::CardSlot& slot = handheld->cardSlot();
  std::vector<FoundStation> stations =
      ScanBand(radio, options.band, [&slot](FoundStation& found) { found.name = HeardName(slot.Observe()); });
  std::uint64_t elapsedMs = handheld->clock().NowMs() - startMs;
  radio.SetPower(0);
  radio.Close();

  for (const FoundStation& station : stations) Print(out, station);
  char summary[64];
  std::snprintf(summary, sizeof summary, "%zu %s, %.1f s of device time", stations.size(),
                stations.size() == 1 ? "station" : "stations", elapsedMs / 1000.0);
  out << summary << '\n';
  return 0;
}

}  // namespace scan
