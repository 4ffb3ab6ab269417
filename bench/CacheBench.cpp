// How fast the read-ahead cache hands out a recording's data when the sources are in the page
// cache (warm), for a few large files and for 100000 small ones, set beside plain reads of the
// same files in 128 KiB chunks (what cat does), which is the floor. The consumer takes blocks as
// the writer would, copied (GetBlock) or borrowed (TakeBlock), so the figure is what the cache
// can feed a writer at most. cache_cpu is the cache thread's processor time per second of wall
// time (1 = one core busy).
//
// The files are made once in $KIVO_BENCH_DIR (default /tmp/kivo-bench-cache) and kept.

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <benchmark/benchmark.h>
#include <fmt/format.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "engine/record/TCacheThread.h"

namespace kivo {
namespace {

constexpr std::int32_t kWindowCacheSize = 8392704;  // the main window's default

struct FileSet {
  std::vector<std::string> paths;
  std::vector<std::int64_t> sizes;
  std::int64_t bytes = 0;         // file data
  std::int64_t sectorBytes = 0;   // as recorded: each file in whole sectors
};

enum Kind { kLarge, kSmall };

std::string BenchRoot() {
  const char* dir = std::getenv("KIVO_BENCH_DIR");
  return dir != nullptr && *dir != '\0' ? dir : "/tmp/kivo-bench-cache";
}

// Four files of 256 MiB, or 100000 files of 512 bytes to 8 KiB in 100 directories.
FileSet Describe(Kind kind) {
  FileSet set;
  const std::string dir = BenchRoot() + (kind == kLarge ? "/large" : "/small");
  const int count = kind == kLarge ? 4 : 100000;
  for (int i = 0; i < count; ++i) {
    const std::int64_t size = kind == kLarge ? std::int64_t{256} << 20 : 512 + (i * 2654435761u) % 7681;
    set.paths.push_back(kind == kLarge ? fmt::format("{}/big{}.bin", dir, i)
                                       : fmt::format("{}/d{:02}/f{:06}.dat", dir, i % 100, i));
    set.sizes.push_back(size);
    set.bytes += size;
    set.sectorBytes += (size + 2047) / 2048 * 2048;
  }
  return set;
}

FileSet EnsureFiles(Kind kind) {
  namespace fs = std::filesystem;
  FileSet set = Describe(kind);
  const std::string marker = BenchRoot() + (kind == kLarge ? "/large.complete" : "/small.complete");
  if (fs::exists(marker)) return set;
  std::vector<char> chunk(1 << 20);
  for (std::size_t i = 0; i < chunk.size(); ++i) chunk[i] = static_cast<char>(i * 131 + 7);
  for (std::size_t i = 0; i < set.paths.size(); ++i) {
    fs::create_directories(fs::path(set.paths[i]).parent_path());
    std::ofstream out(set.paths[i], std::ios::binary | std::ios::trunc);
    for (std::int64_t left = set.sizes[i]; left > 0; left -= static_cast<std::int64_t>(chunk.size())) {
      out.write(chunk.data(), std::min<std::int64_t>(left, static_cast<std::int64_t>(chunk.size())));
    }
  }
  std::ofstream(marker) << "made by kivo_bench_cache\n";
  return set;
}

// Reads every file through in 128 KiB chunks; returns the bytes read.
std::int64_t ReadPlain(const FileSet& set) {
  static std::vector<char> buffer(128 * 1024);
  std::int64_t total = 0;
  for (const std::string& path : set.paths) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) continue;
    for (ssize_t n; (n = ::read(fd, buffer.data(), buffer.size())) > 0;) total += n;
    ::close(fd);
  }
  return total;
}

// The files of a set as a compilation's FileList would hold them.
std::vector<TFEntry> Entries(const FileSet& set) {
  std::vector<TFEntry> entries(set.paths.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    entries[i].SourcePath = set.paths[i];
    entries[i].Size = set.sizes[i];
  }
  return entries;
}

double Seconds(clockid_t clock) {
  timespec t{};
  ::clock_gettime(clock, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double ProcessCpuSeconds() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// copy: the writer's GetBlock into its own buffer; otherwise blocks are borrowed (TakeBlock).
void BM_Cache(benchmark::State& state, Kind kind, bool copy) {
  const FileSet set = EnsureFiles(kind);
  ReadPlain(set);  // warm the page cache
  std::vector<TFEntry> entries = Entries(set);
  std::vector<char> buffer(kMaxBlockSize);

  double producerCpu = 0, wall = 0;
  for (auto _ : state) {
    TCacheSetup setup;
    setup.CacheSize = kWindowCacheSize;
    setup.BlockSize = kBlockSize;
    setup.ImageBytes = set.sectorBytes;
    for (TFEntry& entry : entries) setup.FileList.push_back(&entry);

    const double wall0 = Seconds(CLOCK_MONOTONIC), process0 = ProcessCpuSeconds();
    const double consumer0 = Seconds(CLOCK_THREAD_CPUTIME_ID);
    std::int64_t taken = 0;
    {
      TCacheThread cache(setup);
      for (;;) {
        CacheBlock block;
        const std::int32_t n = copy ? cache.GetBlock(buffer.data()) : cache.TakeBlock(block);
        if (n == 0) break;
        if (n < 0) {
          cache.WaitForBlock(1000);
          continue;
        }
        if (!copy) cache.ReturnBlock(std::move(block));
        taken += n;
      }
      cache.WaitFor();
      if (!cache.Status().empty()) state.SkipWithError(cache.Status().c_str());
    }
    // Everything but this (the consuming) thread's time is the cache thread's.
    producerCpu += (ProcessCpuSeconds() - process0) - (Seconds(CLOCK_THREAD_CPUTIME_ID) - consumer0);
    wall += Seconds(CLOCK_MONOTONIC) - wall0;
    if (taken != set.sectorBytes) state.SkipWithError("the cache delivered a different amount");
  }
  state.SetBytesProcessed(state.iterations() * set.sectorBytes);
  state.counters["cache_cpu"] = wall > 0 ? producerCpu / wall : 0;
  state.counters["files"] = static_cast<double>(set.paths.size());
}

void BM_PlainRead(benchmark::State& state, Kind kind) {
  const FileSet set = EnsureFiles(kind);
  ReadPlain(set);
  for (auto _ : state) {
    if (ReadPlain(set) != set.bytes) state.SkipWithError("a file could not be read through");
  }
  state.SetBytesProcessed(state.iterations() * set.bytes);
  state.counters["files"] = static_cast<double>(set.paths.size());
}

BENCHMARK_CAPTURE(BM_Cache, large_files_copied, kLarge, true)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Cache, large_files_borrowed, kLarge, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_PlainRead, large_files, kLarge)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Cache, small_files_copied, kSmall, true)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Cache, small_files_borrowed, kSmall, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_PlainRead, small_files, kSmall)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace kivo

BENCHMARK_MAIN();
