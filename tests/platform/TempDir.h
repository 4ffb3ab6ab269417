// A private temporary folder per test, removed with everything in it.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <system_error>

namespace kivo::platform::testing {

class TempDir {
 public:
  // In the system's folder for temporary files, or in base: a random name taken only if nobody
  // holds it yet, as mkdtemp does, but with the standard library alone so that the Windows
  // build makes its folders the same way. Only the owner may enter it, as with mkdtemp.
  TempDir() : TempDir(std::filesystem::temp_directory_path()) {}
  explicit TempDir(const std::filesystem::path& base) {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device seed;
    std::mt19937 random(seed());
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    for (;;) {
      std::string name = "kivo-platform-";
      for (int i = 0; i < 6; ++i) name += kLetters[pick(random)];
      std::error_code error;
      if (std::filesystem::create_directory(base / name, error)) {
        path_ = base / name;
        break;
      }
      if (error) throw std::filesystem::filesystem_error("cannot make a temporary folder", base / name, error);
    }
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all);
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  std::string operator/(const std::string& name) const { return (path_ / name).string(); }
  std::string str() const { return path_.string(); }

  std::string Write(const std::string& name, const std::string& content) const {
    const std::string file = *this / name;
    std::ofstream(file, std::ios::binary) << content;
    return file;
  }

  std::string Read(const std::string& name) const {
    std::ifstream in(*this / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

 private:
  std::filesystem::path path_;
};

}  // namespace kivo::platform::testing
