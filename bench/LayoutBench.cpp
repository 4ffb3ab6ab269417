// How the layout scales: PrepareLayout and BuildHeader for 10000, 100000 and 600000 files,
// spread over 20000 directories and all in one. The time per file must stay flat as the
// compilation grows.

#include <benchmark/benchmark.h>
#include <fmt/format.h>

#include "engine/iso/TZelvoBurner.h"

namespace kivo {
namespace {

constexpr int kDirectories = 20000;

void Fill(TZelvoBurner& burner, int files, bool spread) {
  burner.ResetCompilation(files + kDirectories + 1, kDirectories + 1);
  std::vector<TDEntry*> dirs{burner.RootDirectory()};
  if (spread) {
    for (int d = 0; d < kDirectories; ++d) {
      // Two levels, so that the order has parents to group by.
      TDEntry* parent = d < 100 ? burner.RootDirectory() : dirs[1 + d % 100];
      dirs.push_back(burner.NewDirectory(parent, fmt::format("Directory {:05}", d), 0x10));
    }
  }
  platform::DirEntry rec;
  rec.mtime = 1700000000;
  for (int i = 0; i < files; ++i) {
    rec.name = fmt::format("a long file name {:07}.data", i);
    rec.size = 1 + static_cast<std::uint64_t>(i % 9000);
    burner.AddFileEntry(dirs[spread ? 1 + i % kDirectories : 0], rec, false, 0, "/source/" + rec.name);
  }
}

void BM_Layout(benchmark::State& state) {
  TZelvoBurner burner;
  const auto files = static_cast<int>(state.range(0));
  Fill(burner, files, state.range(1) == 1);
  for (auto _ : state) {
    burner.PrepareLayout(true, nullptr);
    burner.BuildHeader(nullptr);
    benchmark::DoNotOptimize(burner.HeaderStream.Memory().data());
  }
  state.SetItemsProcessed(state.iterations() * files);
  state.counters["header MiB"] = static_cast<double>(burner.HeaderStream.Memory().size()) / 1048576.0;
}
BENCHMARK(BM_Layout)
    ->ArgNames({"files", "spread"})
    ->ArgsProduct({{10000, 100000, 600000}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kivo

BENCHMARK_MAIN();
