// Where the disc's user data lives: 2048-byte blocks addressed by LBA.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace kivo::vdrive {

class SectorStore {
 public:
  virtual ~SectorStore() = default;
  // Blocks never written read as zeros. False (with LastError) when the storage fails.
  virtual bool Read(std::uint32_t lba, std::uint32_t count, std::uint8_t* out) = 0;
  virtual bool Write(std::uint32_t lba, std::uint32_t count, const std::uint8_t* data) = 0;
  // Forgets every block (blanking, formatting, a new medium).
  virtual bool Clear() = 0;
  virtual const std::string& LastError() const = 0;
};

// Blocks kept in memory: for tests and the fuzzer.
class MemorySectorStore : public SectorStore {
 public:
  bool Read(std::uint32_t lba, std::uint32_t count, std::uint8_t* out) override;
  bool Write(std::uint32_t lba, std::uint32_t count, const std::uint8_t* data) override;
  bool Clear() override;
  const std::string& LastError() const override { return error_; }

 private:
  std::map<std::uint32_t, std::vector<std::uint8_t>> blocks_;
  std::string error_;
};

}  // namespace kivo::vdrive
