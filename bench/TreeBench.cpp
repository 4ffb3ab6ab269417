// How the compilation tree scales: the cost per file of adding 10000, 100000 and 600000 files,
// spread over 20000 directories and all in one, from a tree on disk and from search records;
// pruning 20000 empty directories; and the memory an entry takes. Adding from disk is set
// beside a bare walk of the same tree with the directory search alone, which is the floor.

#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <benchmark/benchmark.h>
#include <fmt/format.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/iso/TZelvoBurner.h"

namespace kivo {
namespace {

constexpr int kTopDirectories = 100;
constexpr int kLeavesPerTop = 200;  // 20000 leaf directories in all
constexpr int kLeaves = kTopDirectories * kLeavesPerTop;

enum Layout { kSpread = 0, kOneDirectory = 1 };

std::string BenchRoot() {
  const char* dir = std::getenv("KIVO_BENCH_DIR");
  return dir != nullptr && *dir != '\0' ? dir : "/tmp/kivo-bench-tree";
}

std::string LeafPath(int leaf) {
  return fmt::format("t{:03}/d{:03}", leaf / kLeavesPerTop, leaf % kLeavesPerTop);
}
std::string FileName(int i) { return fmt::format("file_{:07}.dat", i); }

// The tree of a layout and size, made on first use and kept (a marker says it is complete).
std::string EnsureTree(Layout layout, int files) {
  namespace fs = std::filesystem;
  const std::string dir = fmt::format("{}/{}-{}", BenchRoot(), layout == kSpread ? "spread" : "one", files);
  if (fs::exists(dir + "/.complete")) return dir + "/src";
  fs::remove_all(dir);
  if (layout == kSpread) {
    for (int leaf = 0; leaf < kLeaves; ++leaf) fs::create_directories(dir + "/src/" + LeafPath(leaf));
  } else {
    fs::create_directories(dir + "/src/all");
  }
  for (int i = 0; i < files; ++i) {
    const std::string sub = layout == kSpread ? LeafPath(i % kLeaves) : "all";
    const int fd = ::open((dir + "/src/" + sub + "/" + FileName(i)).c_str(), O_CREAT | O_WRONLY, 0644);
    if (fd >= 0) ::close(fd);
  }
  std::ofstream(dir + "/.complete") << "made by kivo_bench_tree\n";
  return dir + "/src";
}

// Room for the files, the directories' entries and the directories themselves.
void ResetFor(TZelvoBurner& burner, int files) { burner.ResetCompilation(files + 2 * kLeaves, 2 * kLeaves); }

std::size_t HeapInUse() { return mallinfo2().uordblks; }

double SecondsPer100k(int count) { return static_cast<double>(count) / 100000.0; }

// Seconds per 100000 files, and per 100000 entries (files and directories): with 20000
// directories and 10000 files, reading the directories is most of the work.
void SetFileCounters(benchmark::State& state, Layout layout, int files) {
  const auto kSecondsPer = benchmark::Counter::kIsRate | benchmark::Counter::kInvert;
  const double iterations = static_cast<double>(state.iterations());
  const int directories = layout == kSpread ? kTopDirectories + kLeaves : 1;
  state.SetItemsProcessed(state.iterations() * files);
  state.counters["s_per_100k_files"] = benchmark::Counter(iterations * SecondsPer100k(files), kSecondsPer);
  state.counters["s_per_100k_entries"] =
      benchmark::Counter(iterations * SecondsPer100k(files + directories), kSecondsPer);
}

// Times add() once per iteration on a fresh compilation made ready by prepare() (untimed), and
// reports the time per file and the heap the compilation holds per file afterwards (its
// records, strings, list slots and index slots; from disk, its directories' share too).
template <typename Prepare, typename Add>
void MeasureAdding(benchmark::State& state, Layout layout, int files, Prepare prepare, Add add) {
  TZelvoBurner burner;
  double bytesPerFile = 0;
  for (auto _ : state) {
    state.PauseTiming();
    ResetFor(burner, files);
    const auto prepared = prepare(burner);
    const std::size_t before = HeapInUse();
    state.ResumeTiming();
    add(burner, prepared);
    state.PauseTiming();
    bytesPerFile = static_cast<double>(HeapInUse() - before) / files;
    state.ResumeTiming();
  }
  if (burner.FileCount() < files) state.SkipWithError("not every file was added");
  SetFileCounters(state, layout, files);
  state.counters["bytes_per_file"] = bytesPerFile;
}

void BM_AddFromDisk(benchmark::State& state) {
  const auto layout = static_cast<Layout>(state.range(0));
  const int files = static_cast<int>(state.range(1));
  const std::string src = EnsureTree(layout, files);
  MeasureAdding(
      state, layout, files, [](TZelvoBurner& burner) { return burner.RootDirectory(); },
      [&](TZelvoBurner& burner, TDEntry* root) { burner.AddDirectory(root, src, false, false, true, 63, "*.*"); });
}

// The floor for adding from disk: the same walk with nothing but the directory search.
std::int64_t Walk(const std::string& dir) {
  const platform::DirListing listing = platform::ListDirectory(dir);
  std::int64_t n = 0;
  for (const platform::DirEntry& e : listing.entries) {
    n += (e.attributes & platform::kAttrDirectory) ? Walk(dir + "/" + e.name) : 1;
  }
  return n;
}

void BM_DirectorySearchOnly(benchmark::State& state) {
  const auto layout = static_cast<Layout>(state.range(0));
  const int files = static_cast<int>(state.range(1));
  const std::string src = EnsureTree(layout, files);
  for (auto _ : state) benchmark::DoNotOptimize(Walk(src));
  SetFileCounters(state, layout, files);
}

// Search records and full paths as a directory walk would hand them over, made beforehand so
// that only the tree is measured.
struct Sources {
  std::vector<platform::DirEntry> records;
  std::vector<std::string> paths;
  std::vector<int> leaf;  // leaf directory of each file (spread layout)
};

Sources MakeSources(Layout layout, int files) {
  Sources s;
  s.records.resize(files);
  s.paths.resize(files);
  s.leaf.resize(files);
  for (int i = 0; i < files; ++i) {
    platform::DirEntry& r = s.records[i];
    r.name = FileName(i);
    r.size = 1000 + static_cast<std::uint64_t>(i % 5000);
    r.attributes = platform::kAttrArchive;
    r.mtime = 1700000000 + i;
    s.leaf[i] = layout == kSpread ? i % kLeaves : 0;
    s.paths[i] = "/home/user/data/" + (layout == kSpread ? LeafPath(s.leaf[i]) : std::string("all")) + "/" + r.name;
  }
  return s;
}

// The leaf directories of the spread layout (or the one directory), made through the burner.
std::vector<TDEntry*> MakeLeaves(TZelvoBurner& burner, Layout layout) {
  std::vector<TDEntry*> leaves;
  if (layout == kOneDirectory) return {burner.MakeDirectoryPath("\\all")};
  for (int leaf = 0; leaf < kLeaves; ++leaf) {
    leaves.push_back(burner.MakeDirectoryPath("\\" + LeafPath(leaf).replace(4, 1, "\\")));
  }
  return leaves;
}

void BM_AddFileEntries(benchmark::State& state) {
  const auto layout = static_cast<Layout>(state.range(0));
  const int files = static_cast<int>(state.range(1));
  const Sources sources = MakeSources(layout, files);
  MeasureAdding(
      state, layout, files, [&](TZelvoBurner& burner) { return MakeLeaves(burner, layout); },
      [&](TZelvoBurner& burner, const std::vector<TDEntry*>& leaves) {
        for (int i = 0; i < files; ++i) {
          burner.AddFileEntry(leaves[sources.leaf[i]], sources.records[i], false, 0, sources.paths[i]);
        }
      });
}

// Empty directories among others that hold files, pruned in one call.
void BM_RemoveEmptyDirectories(benchmark::State& state) {
  const int directories = static_cast<int>(state.range(0));
  TZelvoBurner burner;
  for (auto _ : state) {
    state.PauseTiming();
    burner.ResetCompilation(4 * directories, 2 * directories);
    for (int i = 0; i < directories; ++i) {
      // Two levels: "\tNNN\dNNN"; every tenth leaf keeps a file.
      TDEntry* d = burner.MakeDirectoryPath(fmt::format("\\t{:03}\\d{:05}", i / 200, i));
      if (i % 10 == 0) burner.AddFileEntry(d, platform::DirEntry{"f.dat", "", 0x20, 1, 0}, false, 0, "f.dat");
    }
    state.ResumeTiming();
    burner.RemoveEmptyDirectories();
  }
  state.SetItemsProcessed(state.iterations() * directories);
}

// A walk in which every file is skipped: each directory is made and, found empty, removed
// again at once, as AddDirectory does.
void BM_MakeAndDropEmptyDirectories(benchmark::State& state) {
  const int directories = static_cast<int>(state.range(0));
  TZelvoBurner burner;
  for (auto _ : state) {
    state.PauseTiming();
    burner.ResetCompilation(4 * directories, 2 * directories);
    state.ResumeTiming();
    for (int i = 0; i < directories; ++i) {
      TDEntry* d = burner.AddDirectoryEntry(burner.RootDirectory(), platform::DirEntry{fmt::format("d{:05}", i), "", 0x10, 0, 0});
      burner.DeleteDirectory(d);
    }
  }
  state.SetItemsProcessed(state.iterations() * directories);
}

void FileArgs(benchmark::internal::Benchmark* b) {
  for (int layout : {kSpread, kOneDirectory}) {
    for (int files : {10000, 100000, 600000}) b->Args({layout, files});
  }
  b->ArgNames({"one_dir", "files"})->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_AddFromDisk)->Apply(FileArgs)->Iterations(2);
BENCHMARK(BM_DirectorySearchOnly)->Apply(FileArgs)->Iterations(2);
BENCHMARK(BM_AddFileEntries)->Apply(FileArgs)->Iterations(3);
BENCHMARK(BM_RemoveEmptyDirectories)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MakeAndDropEmptyDirectories)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kivo

BENCHMARK_MAIN();
