// Cost of one registry call on a real database file: a set is one durable
// transaction (synchronous=FULL), a query one read of the database.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/kernel/Registry.h"
#include "windows.h"

namespace {

// A temporary device root with the registry mounted on it, and one key.
class MountedRoot {
 public:
  MountedRoot() {
    std::string pattern = (std::filesystem::temp_directory_path() / "ondrel-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    root_ = pattern;
    if (auto error = ce::MountRegistry(root_ / "registry.db")) throw std::runtime_error(*error);
    RegCreateKeyExW(HKEY_CURRENT_USER, u"SOFTWARE\\Veltrane\\Ondrel", 0, nullptr, 0, 0, nullptr, &key_, nullptr);
  }
  ~MountedRoot() {
    RegCloseKey(key_);
    ce::UnmountRegistry();
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  HKEY key() const { return key_; }

 private:
  std::filesystem::path root_;
  HKEY key_ = nullptr;
};

void BM_RegSetValueExW(benchmark::State& state) {
  MountedRoot root;
  std::vector<BYTE> data(static_cast<std::size_t>(state.range(0)), 0x5A);
  for (auto _ : state) {
    ++data[0];
    LONG rc = RegSetValueExW(root.key(), u"Value", 0, REG_BINARY, data.data(), static_cast<DWORD>(data.size()));
    if (rc != ERROR_SUCCESS) state.SkipWithError("RegSetValueExW failed");
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RegSetValueExW)->Arg(4)->Arg(4096);

void BM_RegQueryValueExW(benchmark::State& state) {
  MountedRoot root;
  std::vector<BYTE> data(static_cast<std::size_t>(state.range(0)), 0x5A);
  RegSetValueExW(root.key(), u"Value", 0, REG_BINARY, data.data(), static_cast<DWORD>(data.size()));
  for (auto _ : state) {
    DWORD type = 0, size = static_cast<DWORD>(data.size());
    LONG rc = RegQueryValueExW(root.key(), u"VALUE", nullptr, &type, data.data(), &size);
    if (rc != ERROR_SUCCESS) state.SkipWithError("RegQueryValueExW failed");
    benchmark::DoNotOptimize(data.data());
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RegQueryValueExW)->Arg(4)->Arg(4096);

// A whole export of N keys at the deepest level keys may nest, each line
// naming its full path of 16 levels: the time per key stays the same as N
// grows.
void BM_ExportRegistry(benchmark::State& state) {
  MountedRoot root;
  std::u16string chain = u"Deep";
  for (int level = 2; level < 16; ++level) chain += u"\\" + std::u16string(60, static_cast<char16_t>(u'a' + level));
  for (std::int64_t i = 0; i < state.range(0); ++i) {
    std::string digits = std::to_string(i);
    std::u16string path = chain + u"\\Key" + std::u16string(digits.begin(), digits.end());
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, 0, nullptr, &key, nullptr);
    DWORD value = static_cast<DWORD>(i);
    RegSetValueExW(key, u"Value", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
  }
  const std::filesystem::path file = std::filesystem::temp_directory_path() / ("ondrel-bench-export-" + std::to_string(::getpid()) + ".reg");
  for (auto _ : state) {
    if (auto error = ce::ExportRegistryFile(file)) state.SkipWithError(error->c_str());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  std::error_code ignored;
  state.counters["bytes_per_export"] = static_cast<double>(std::filesystem::file_size(file, ignored));
  std::filesystem::remove(file, ignored);
}
BENCHMARK(BM_ExportRegistry)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
