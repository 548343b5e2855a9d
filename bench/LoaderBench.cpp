// The loader's cost per program run: load the module (constructors), look
// up and call WinMain, unload it (destructors) and check it is gone.
#include <benchmark/benchmark.h>

#include "platform/kernel/ProgramLoader.h"

namespace {

void BM_RunEmptyProgram(benchmark::State& state) {
  for (auto _ : state) {
    ce::ProgramRun run = ce::RunProgram(EMPTY_MODULE_PATH);
    if (!run.Succeeded() || !run.warnings.empty()) {
      state.SkipWithError(run.error.empty() ? run.warnings.front().c_str() : run.error.c_str());
      break;
    }
    benchmark::DoNotOptimize(run.exitCode);
  }
}
BENCHMARK(BM_RunEmptyProgram);

}  // namespace
