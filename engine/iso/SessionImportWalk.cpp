#include "engine/iso/SessionImportWalk.h"

#include <fmt/printf.h>

#include <algorithm>

#include "engine/iso/IsoNames.h"
#include "engine/iso/Strings.h"
#include "engine/iso/TZelvoBurner.h"

namespace kivo {

namespace {

// The last place in a sector where a record's fixed part still fits.
constexpr std::size_t kLastRecordStart = kImportSectorSize - kRecordHeaderLength;
// A CD-XA system-use field met where a record should start: its owner ids (four zero bytes),
// the attributes' high byte, and the low byte 0x55 with the signature "XA" after it.
constexpr std::size_t kXaFieldLength = 14;
// No real disc comes near this, and nothing deeper could be extracted to a local file system;
// it also bounds the walk's stack.
constexpr std::size_t kMaxImportedPath = 4096;
// A directory is read this many sectors at a time, and the blocks of all the directories open
// on the walk's stack hold at most kBufferedSectors.
constexpr std::uint32_t kBlockSectors = 32;
constexpr std::uint32_t kBufferedSectors = 4096;
// Records never cross a sector's end: a sector holds at least this many of the longest (255
// bytes) records.
constexpr std::uint64_t kLongestRecordsPerSector = kImportSectorSize / 256;

bool IsXaField(const std::uint8_t* p) {
  return p[0] == 0 && p[1] == 0 && p[2] == 0 && p[3] == 0 && p[5] == 0x55 && p[6] == 'X' && p[7] == 'A';
}

std::uint64_t SectorsOf(std::uint64_t length) {
  return (length + kImportSectorSize - 1) / kImportSectorSize;
}

std::string ChildPath(const TDEntry* parent, const std::string& name) {
  return (parent->Path == "\\" ? "\\" : parent->Path + "\\") + name;
}

}  // namespace

SessionTreeWalk::SessionTreeWalk(TZelvoBurner& burner, const SessionSource& source, DirectoryTree tree,
                                 std::optional<std::uint32_t> bootImage)
    : burner_(burner), source_(source), tree_(tree), bootImage_(bootImage) {}

void SessionTreeWalk::Run(std::uint32_t extent, std::uint32_t length, TDEntry* dir) {
  root_ = dir;
  Enter(extent, length, dir);
  while (!stack_.empty() && !stopped_) {
    Frame& frame = *stack_.back();
    if (frame.position >= kLastRecordStart && !LoadNextSector(frame)) {
      Leave();
      continue;
    }
    // Import may push a frame; the unique_ptr keeps this one where it is.
    if (auto record = NextRecord(frame)) {
      if (const auto file = JoinExtents(std::move(*record), frame)) Import(*file, frame.dir);
    }
  }
  while (!stack_.empty()) Leave();
}

void SessionTreeWalk::Enter(std::uint32_t extent, std::uint32_t length, TDEntry* dir) {
  const std::uint64_t sectors = SectorsOf(length);
  if (sectors == 0) return;
  std::uint64_t end = std::uint64_t{extent} + sectors;
  if (end > source_.end) {
    Report(isotext::kImportBeyondDisc, dir->Path);
    end = source_.end;
  }
  // A forged length could otherwise have the import read the rest of the disc as this
  // directory.
  if (end > extent && end - extent > MaxDirectorySectors()) {
    Report(isotext::kImportDirectoryTooLong, dir->Path);
    end = extent + MaxDirectorySectors();
  }
  if (extent >= end) return;
  if (!Claim(extent, static_cast<std::uint32_t>(end))) {
    Report(isotext::kDirectoryLoop, dir->Path);
    return;
  }
  auto frame = std::make_unique<Frame>();
  frame->dir = dir;
  frame->first = frame->next = extent;
  frame->end = static_cast<std::uint32_t>(end);
  // Large blocks save a drive command per sector; the blocks of a deep stack share a budget,
  // beyond which a directory is read a sector at a time.
  const std::uint32_t room = bufferedSectors_ < kBufferedSectors ? kBufferedSectors - bufferedSectors_ : 1;
  frame->blockSectors = static_cast<std::uint32_t>(std::min<std::uint64_t>({end - extent, kBlockSectors, room}));
  frame->block.resize(std::size_t{frame->blockSectors} * kImportSectorSize);
  bufferedSectors_ += frame->blockSectors;
  stack_.push_back(std::move(frame));
}

void SessionTreeWalk::Leave() {
  LeaveUnfinished(*stack_.back());
  bufferedSectors_ -= stack_.back()->blockSectors;
  stack_.pop_back();
}

bool SessionTreeWalk::LoadNextSector(Frame& frame) {
  if (frame.current + 1 < frame.loaded) {
    ++frame.current;
  } else if (!LoadBlock(frame)) {
    return false;
  }
  const std::uint32_t lba = frame.next - frame.loaded + frame.current;
  frame.dotsLeft = tree_ == DirectoryTree::Joliet && lba == frame.first ? 2 : 0;
  frame.position = 0;
  return true;
}

bool SessionTreeWalk::LoadBlock(Frame& frame) {
  if (frame.next >= frame.end) return false;
  const std::uint32_t count = std::min(frame.end - frame.next, frame.blockSectors);
  std::fill(frame.block.begin(), frame.block.end(), std::uint8_t{0});
  frame.current = 0;
  frame.loaded = count;
  if (!source_.read(frame.next, count, std::span(frame.block).first(std::size_t{count} * kImportSectorSize))) {
    // An unreadable sector ends its directory: what follows in it cannot be trusted to be
    // found. The sectors before it are still read, one at a time.
    std::fill(frame.block.begin(), frame.block.end(), std::uint8_t{0});
    frame.loaded = 0;
    while (frame.loaded < count &&
           source_.read(frame.next + frame.loaded, 1,
                        std::span(frame.block).subspan(std::size_t{frame.loaded} * kImportSectorSize, kImportSectorSize))) {
      ++frame.loaded;
    }
    frame.end = frame.next + frame.loaded;
  }
  frame.next += frame.loaded;
  return frame.loaded > 0;
}

std::optional<ImportedRecord> SessionTreeWalk::NextRecord(Frame& frame) {
  const std::uint8_t* s = frame.Sector();
  const std::size_t at = frame.position;
  if (tree_ == DirectoryTree::Iso && IsXaField(s + at)) {
    frame.position = at + kXaFieldLength;
    return std::nullopt;
  }
  const std::size_t length = s[at];
  if (length == 0 || at + length > kImportSectorSize) {  // the rest of the sector is padding
    frame.position = kImportSectorSize;
    return std::nullopt;
  }
  frame.position = at + length;
  if (frame.dotsLeft > 0) {
    --frame.dotsLeft;
    return std::nullopt;
  }
  const std::size_t idLength = s[at + 32];
  if (tree_ == DirectoryTree::Iso && idLength == 1 && s[at + kRecordHeaderLength] <= 1) return std::nullopt;
  // Every identifier its record holds is read, whatever its length: any limit below the
  // record's would drop names that a writer (this one included) put on the disc. One running
  // past its record would take the next record's bytes for a name: it is refused and named.
  if (kRecordHeaderLength + idLength > length) {
    const std::size_t shown = std::min(idLength, kImportSectorSize - at - kRecordHeaderLength);
    burner_.DebugMessage(std::string(isotext::kImportNameTooLong) + "\n\r" +
                             ShownIdentifier({s + at + kRecordHeaderLength, shown}, tree_),
                         4);
    return std::nullopt;
  }
  return DecodeRecord({s + at, length}, tree_, times_);
}

std::optional<ImportedRecord> SessionTreeWalk::JoinExtents(ImportedRecord record, Frame& frame) {
  if (frame.unfinished) {
    ImportedRecord& file = *frame.unfinished;
    // An empty extent adds nothing, wherever it points.
    const bool follows = record.dataLength == 0 ||
                         (file.searchRec.size % kImportSectorSize == 0 &&
                          record.extent == file.extent + file.searchRec.size / kImportSectorSize);
    if (!record.directory && record.searchRec.name == file.searchRec.name) {
      frame.unfinishedApart = frame.unfinishedApart || !follows;
      file.searchRec.size += record.dataLength;
      if (record.moreExtents) return std::nullopt;
      if (frame.unfinishedApart) {
        LeaveUnfinished(frame);
        return std::nullopt;
      }
      ImportedRecord whole = std::move(file);
      frame.unfinished.reset();
      return whole;
    }
    LeaveUnfinished(frame);  // it ended without its last record
  }
  if (record.moreExtents) {
    frame.unfinished = std::move(record);
    return std::nullopt;
  }
  return record;
}

void SessionTreeWalk::LeaveUnfinished(Frame& frame) {
  if (!frame.unfinished) return;
  Report(isotext::kImportExtentsBroken, ChildPath(frame.dir, frame.unfinished->searchRec.name));
  frame.unfinished.reset();
  frame.unfinishedApart = false;
}

void SessionTreeWalk::Import(const ImportedRecord& record, TDEntry* dir) {
  if (!record.directory) {
    // The next layout lists the boot image again if the compilation is still bootable.
    if (IsBootImageRecord(record, dir)) return;
    // A file whose data was never recorded would list, and extract, as whatever the disc holds
    // there (zeros, or another session's data).
    const std::uint64_t sectors = SectorsOf(record.searchRec.size);
    if (sectors != 0 && record.extent + sectors > source_.end) {
      Report(isotext::kImportFileBeyondSession, ChildPath(dir, record.searchRec.name));
      return;
    }
    const std::int32_t added =
        burner_.AddFileEntry(dir, record.searchRec, false, static_cast<std::int32_t>(record.extent), "");
    if (added == 0 && CompilationFull()) stopped_ = true;
    return;
  }
  if (dir->Path.size() + 1 + CompilationName(record.searchRec.name).size() > kMaxImportedPath) {
    Report(isotext::kImportPathTooLong, ChildPath(dir, record.searchRec.name));
    return;
  }
  TDEntry* child = burner_.AddDirectoryEntry(dir, record.searchRec);
  if (child == nullptr) {
    if (CompilationFull()) stopped_ = true;
    return;
  }
  Enter(record.extent, record.dataLength, child);
}

bool SessionTreeWalk::IsBootImageRecord(const ImportedRecord& record, const TDEntry* dir) const {
  return bootImage_ && record.extent == *bootImage_ && dir == root_ &&
         (record.searchRec.attributes & platform::kAttrHidden) != 0;
}

bool SessionTreeWalk::Claim(std::uint32_t first, std::uint32_t end) {
  // The claims are disjoint, so the one starting last before end is the only one that can
  // overlap [first, end).
  auto after = claimed_.lower_bound(end);
  if (after != claimed_.begin() && std::prev(after)->second > first) return false;
  claimed_.emplace(first, end);
  return true;
}

std::uint64_t SessionTreeWalk::MaxDirectorySectors() const {
  const std::uint64_t entries = std::uint64_t(std::max(burner_.MaxFiles(), 0)) + std::max(burner_.MaxDirectories(), 0);
  return entries / kLongestRecordsPerSector + 1;
}

// Once no entry can be added, reading on would only repeat the capacity message per record.
bool SessionTreeWalk::CompilationFull() const {
  return burner_.FileList().size() >= static_cast<std::size_t>(burner_.MaxFiles());
}

void SessionTreeWalk::Report(std::string_view format, const std::string& subject) {
  burner_.DebugMessage(fmt::sprintf(format, subject), 4);
}

}  // namespace kivo
