// User data kept in files: the disc image of a recordable medium (a sparse file, LBA x 2048)
// and the image file a pressed disc was made from.
#pragma once

#include <string>

#include "engine/platform/Files.h"
#include "virtualdrive/SectorStore.h"

namespace kivo::vdrive {

class FileSectorStore : public SectorStore {
 public:
  // readOnly: the file is never written or cleared (pressed discs).
  FileSectorStore(std::string path, bool readOnly);

  bool Read(std::uint32_t lba, std::uint32_t count, std::uint8_t* out) override;
  bool Write(std::uint32_t lba, std::uint32_t count, const std::uint8_t* data) override;
  bool Clear() override;
  const std::string& LastError() const override { return error_; }

  // Forgets the open handle, so that a file replaced by another process is opened afresh.
  void Reopen();
  const std::string& Path() const { return path_; }

 private:
  bool EnsureOpen();
  std::string path_;
  bool readOnly_;
  platform::File file_;
  std::string error_;
};

}  // namespace kivo::vdrive
