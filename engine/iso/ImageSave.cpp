// The quick image save: the session's sector sequence written straight into a file on the
// calling thread. Header, boot image, padding and then every file's data in FileList order,
// each file from a sector boundary, its last sector zero-filled.

#include <fmt/printf.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <span>

#include "engine/iso/IsoFields.h"
#include "engine/iso/SourceReadAhead.h"
#include "engine/iso/Strings.h"
#include "engine/iso/TZelvoBurner.h"
#include "engine/platform/ReadAhead.h"
#include "engine/platform/ReplacementFile.h"
#include "engine/platform/Threads.h"

namespace kivo {

namespace {

// Source data moves in chunks of this size, each read straight into the output buffer.
constexpr std::int64_t kChunkBytes = 131072;
// Several chunks make one write, so that a run of small files costs few writes.
constexpr std::int64_t kOutputBytes = 8 * kChunkBytes;
constexpr std::align_val_t kBufferAlignment{4096};

struct AlignedFree {
  void operator()(std::uint8_t* p) const { ::operator delete[](p, kBufferAlignment); }
};

// The image file behind a buffer of whole sectors. The first failure is kept as the error and
// makes every later call do nothing.
class ImageOutput {
 public:
  ImageOutput()
      : buffer_(static_cast<std::uint8_t*>(::operator new[](kOutputBytes, kBufferAlignment))) {}

  // The image takes the place of an older file of that name only once it is complete: a save
  // that fails leaves the old file as it was. A link as the name is followed, as it would be by
  // writing into it, and a device or a pipe is written into.
  bool Create(const std::string& path) {
    if (!image_.Create(path, platform::ReplacementFile::Links::Follow)) {
      error_ = fmt::sprintf(isotext::kCannotCreateImage, image_.LastError());
    }
    return ok();
  }

  // Room for up to one chunk (a whole number of sectors) at the end of what is buffered.
  std::span<std::uint8_t> Reserve(std::int64_t bytes) {
    if (used_ + bytes > kOutputBytes) Flush();
    return {buffer_.get() + used_, static_cast<std::size_t>(bytes)};
  }
  void Commit(std::int64_t bytes) {
    used_ += bytes;
    sectors_ += bytes / kSectorSize;
  }

  void Append(std::span<const std::uint8_t> bytes) {
    while (!bytes.empty() && ok()) {
      const std::int64_t n = std::min<std::int64_t>(static_cast<std::int64_t>(bytes.size()), kChunkBytes);
      std::memcpy(Reserve(n).data(), bytes.data(), static_cast<std::size_t>(n));
      Commit(n);
      bytes = bytes.subspan(static_cast<std::size_t>(n));
    }
  }

  void Flush() {
    if (ok() && used_ > 0 && image_.file().Write(buffer_.get(), used_) != used_) {
      error_ = fmt::sprintf(isotext::kCannotWriteImage, image_.file().LastError());
    }
    used_ = 0;
  }

  // Completes the image; one that failed is dropped (so is one never closed).
  void Close() {
    Flush();
    if (ok() && !image_.Commit()) {
      // Syncing and closing are where some file systems report what the writes could not.
      error_ = fmt::sprintf(isotext::kCannotWriteImage, image_.LastError());
    }
  }

  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }
  std::int64_t Sectors() const { return sectors_; }

 private:
  platform::ReplacementFile image_;
  std::unique_ptr<std::uint8_t[], AlignedFree> buffer_;
  std::int64_t used_ = 0;
  std::int64_t sectors_ = 0;  // sectors handed over, buffered ones included
  std::string error_;
};

// The header on its way into the image: its structures come in pieces of any length and go on
// in whole sectors, so that the header of a large compilation is never held whole in memory.
class HeaderOutput : public TStreamEx {
 public:
  explicit HeaderOutput(ImageOutput& out) : out_(out) {}

  std::int32_t Read(void*, std::int32_t) override { return 0; }
  std::int32_t Write(const void* Buffer, std::int32_t Count) override {
    const auto* bytes = static_cast<const std::uint8_t*>(Buffer);
    pending_.insert(pending_.end(), bytes, bytes + Count);
    position_ += Count;
    if (static_cast<std::int64_t>(pending_.size()) >= kChunkBytes) HandOn();
    return Count;
  }
  // Only tells the position: the header is written front to back.
  std::int64_t Seek(std::int64_t Offset, std::uint16_t Origin) override {
    return Offset == 0 && Origin == soFromCurrent ? position_ : -1;
  }
  // The header ends on a sector's end, so nothing stays behind.
  void Finish() { HandOn(); }

 private:
  void HandOn() {
    const std::size_t whole = pending_.size() / kSectorSize * kSectorSize;
    out_.Append({pending_.data(), whole});
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(whole));
  }

  ImageOutput& out_;
  std::vector<std::uint8_t> pending_;
  std::int64_t position_ = 0;
};

class QuickImageWriter {
 public:
  explicit QuickImageWriter(TZelvoBurner& burner) : burner_(burner) {}

  // The error text that ends the save, or empty when the image is complete.
  std::string Write(const std::string& fileName, TDEntry* importDir) {
    if (!out_.Create(fileName)) return out_.error();
    HeaderOutput header(out_);
    burner_.WriteHeader(importDir, header);
    header.Finish();
    if (burner_.Bootable) CopySource(burner_.BootImage, burner_.BootImageBytes, platform::File());
    for (std::uint32_t i = 0; i < burner_.PaddingSectors && out_.ok(); ++i) out_.Append(kZeroSector);
    std::vector<const TFEntry*> sources;
    for (const TFEntry* e : burner_.FileList()) {
      if (e->CarriesData()) sources.push_back(e);
    }
    platform::ReadAhead readAhead(ReadAheadSources(sources));
    for (std::size_t i = 0; i < sources.size() && out_.ok() && error_.empty(); ++i) {
      CheckPosition(*sources[i]);
      CopySource(sources[i]->SourcePath, sources[i]->Size, readAhead.Take(i));
    }
    // A source that failed leaves an image that must not take the old file's place.
    if (!error_.empty()) return error_;
    out_.Close();
    return out_.error();
  }

 private:
  // The layout put the file there; a file elsewhere means the two disagree, which the log must
  // show, though the save goes on.
  void CheckPosition(const TFEntry& e) {
    const std::int64_t expected = burner_.FirstFileLocation + static_cast<std::int64_t>(e.JolietAddress);
    if (out_.Sectors() == expected) return;
    burner_.DebugMessage(fmt::sprintf(isotext::kMisplacedFile, e.SourcePath, expected, out_.Sectors()), 4);
  }

  // Exactly the sectors of size bytes: a source that has shrunk since the layout is padded with
  // zeros, one that has grown gives only its first size bytes; the log says which. The source
  // comes open from the read-ahead, or is opened here.
  void CopySource(const std::string& path, std::int64_t size, platform::File source) {
    if (!source.IsOpen() && !source.Open(path, platform::File::Mode::Read)) {
      error_ = fmt::sprintf(isotext::kCannotOpenSourceFile, source.LastError());
      return;
    }
    if (source.Size() > size) burner_.DebugMessage(fmt::sprintf(isotext::kSourceGrew, path), 4);
    bool shrank = false;
    for (std::int64_t left = size; left > 0 && out_.ok(); ) {
      const std::int64_t n = std::min(left, kChunkBytes);
      const std::int64_t whole = Sectors(n) * kSectorSize;
      const std::span<std::uint8_t> chunk = out_.Reserve(whole);
      const std::int64_t got = shrank ? 0 : source.Read(chunk.data(), n);
      if (got < n && !shrank) {
        if (!source.LastError().empty()) {
          error_ = fmt::sprintf(isotext::kCannotReadSourceFile, source.LastError());
          return;
        }
        burner_.DebugMessage(fmt::sprintf(isotext::kSourceShrank, path), 4);
        shrank = true;
      }
      std::fill(chunk.begin() + got, chunk.end(), std::uint8_t{0});
      out_.Commit(whole);
      left -= n;
    }
  }

  TZelvoBurner& burner_;
  ImageOutput out_;
  std::string error_;  // a source that failed
};

}  // namespace

std::int32_t TZelvoBurner::SaveISOQuick(const std::string& FileName) {
  TDEntry* importDir = importDir_;
  PrepareLayout(true, importDir);
  HeaderStream.Clear();  // a header of an earlier layout is of no use
  const std::string error = QuickImageWriter(*this).Write(FileName, importDir);
  RaiseWriteDone(error);
  return error.empty() ? 1 : 0;
}

void TZelvoBurner::RaiseWriteDone(const std::string& error) {
  platform::Synchronize([&] {
    if (OnWriteDone) OnWriteDone(this, error);
  });
}

}  // namespace kivo
