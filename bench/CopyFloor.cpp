// The floor an image maker stands on: every regular file of a tree read, in the sorted order of
// its directories, and written one after the other into a single output file. No layout, no
// names, no headers: what is left of an image maker's time once its own work is taken away.
//
//   kivo_copy_floor TREE OUTPUT
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kBuffer = 1 << 20;

bool CopyInto(int out, const fs::path& file, std::vector<char>& buffer) {
  const int in = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  ssize_t n = 0;
  while ((n = ::read(in, buffer.data(), buffer.size())) > 0) {
    if (::write(out, buffer.data(), static_cast<std::size_t>(n)) != n) n = -1;
    if (n < 0) break;
  }
  ::close(in);
  return n == 0;
}

bool CopyTree(int out, const fs::path& dir, std::vector<char>& buffer) {
  std::vector<fs::directory_entry> entries{fs::directory_iterator(dir), fs::directory_iterator()};
  std::sort(entries.begin(), entries.end());
  for (const auto& entry : entries) {
    if (entry.is_directory()) {
      if (!CopyTree(out, entry.path(), buffer)) return false;
    } else if (entry.is_regular_file() && !CopyInto(out, entry.path(), buffer)) {
      std::fprintf(stderr, "cannot copy %s\n", entry.path().c_str());
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s TREE OUTPUT\n", argv[0]);
    return 2;
  }
  const int out = ::open(argv[2], O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (out < 0) {
    std::perror(argv[2]);
    return 1;
  }
  std::vector<char> buffer(kBuffer);
  const bool copied = CopyTree(out, argv[1], buffer);
  return ::close(out) == 0 && copied ? 0 : 1;
}
