#include "engine/record/DiscCheck.h"

#include <algorithm>
#include <memory>

#include "engine/iso/Entries.h"
#include "engine/record/ContentHash.h"
#include "engine/record/SectorReader.h"

namespace kivo {

namespace {

constexpr std::int64_t kSector = SectorReader::kSectorBytes;

class Checker {
 public:
  explicit Checker(const RecordedContent& content)
      : content_(content), same_(content.Files.size(), false), unreadable_(content.Files.size(), false) {
    result_.Files.assign(content.Files.size(), FileVerdict::Verified);
  }

  // The session's bytes from position on, as the disc gave them.
  void Feed(std::int64_t position, const std::uint8_t* data, std::int64_t length);
  // The session's sector (counted from its start) could not be read.
  void Unreadable(std::uint32_t sector);
  DiscCheck Finish(bool aborted);

 private:
  // The file whose sectors hold the session's sector, or the end of the files.
  std::size_t FileAt(std::uint32_t sector) const;
  FileVerdict Verdict(std::size_t index) const;

  const RecordedContent& content_;
  ContentHasher structures_;
  bool structuresWhole_ = true;  // every sector read, so the structures' fingerprint means something
  // The files lie one after the other: only the one being fed needs a fingerprint of its own.
  ContentHasher file_;
  std::size_t next_ = 0;  // the file being fed
  std::vector<bool> same_;  // the file's bytes on the disc are those recorded
  std::vector<bool> unreadable_;
  DiscCheck result_;
};

void Checker::Feed(std::int64_t position, const std::uint8_t* data, std::int64_t length) {
  // Each byte goes to the fingerprint it was recorded under: its file's, or the structures'.
  const std::int64_t end = position + length;
  const auto structures = [&](std::int64_t from, std::int64_t to) {
    if (structuresWhole_ && to > from) structures_.Update(data + (from - position), static_cast<std::size_t>(to - from));
  };
  std::int64_t at = position;
  for (; next_ < content_.Files.size(); ++next_) {
    const RecordedFile& file = content_.Files[next_];
    if (file.StreamOffset >= end) break;
    structures(at, file.StreamOffset);
    const std::int64_t from = std::max(at, file.StreamOffset);
    const std::int64_t to = std::min(end, file.StreamOffset + file.Length);
    if (to > from) file_.Update(data + (from - position), static_cast<std::size_t>(to - from));
    at = std::max(at, to);
    if (file.StreamOffset + file.Length > end) return;
    same_[next_] = file_.Digest() == file.Hash;
    file_.Reset();
  }
  structures(at, end);
}

void Checker::Unreadable(std::uint32_t sector) {
  structuresWhole_ = false;
  const std::size_t index = FileAt(sector);
  if (index < content_.Files.size()) {
    unreadable_[index] = true;
    return;
  }
  const std::uint32_t absolute = content_.StartSector + sector;
  auto& ranges = result_.UnreadableStructures;
  if (!ranges.empty() && ranges.back().First + ranges.back().Count == absolute) {
    ++ranges.back().Count;
  } else {
    ranges.push_back({absolute, 1});
  }
}

std::size_t Checker::FileAt(std::uint32_t sector) const {
  const std::int64_t at = std::int64_t{sector} * kSector;
  const auto& files = content_.Files;
  // The last file that starts at or before the sector; it holds the sector when its whole
  // sectors reach past it.
  auto it = std::upper_bound(files.begin(), files.end(), at,
                             [](std::int64_t value, const RecordedFile& file) { return value < file.StreamOffset; });
  if (it == files.begin()) return files.size();
  --it;
  const std::int64_t sectorsEnd = (it->StreamOffset + it->Length + kSector - 1) / kSector * kSector;
  return at < sectorsEnd ? static_cast<std::size_t>(it - files.begin()) : files.size();
}

FileVerdict Checker::Verdict(std::size_t index) const {
  const RecordedFile& file = content_.Files[index];
  if (!file.SourceMatchedEntry) return FileVerdict::Changed;
  const auto now = platform::StatPath(file.Entry->SourcePath);
  if (!now || now->Version() != file.Source) return FileVerdict::Changed;
  if (unreadable_[index]) return FileVerdict::Unreadable;
  return same_[index] ? FileVerdict::Verified : FileVerdict::Differs;
}

DiscCheck Checker::Finish(bool aborted) {
  result_.Aborted = aborted;
  if (aborted) return std::move(result_);
  bool filesSame = true;
  for (std::size_t i = 0; i < content_.Files.size(); ++i) {
    result_.Files[i] = Verdict(i);
    filesSame = filesSame && !unreadable_[i] && same_[i];
  }
  const bool structuresSame = structuresWhole_ && structures_.Digest() == content_.Structures;
  result_.StreamSame = structuresSame && filesSame;
  result_.StructuresDiffer = structuresWhole_ && !structuresSame;
  return std::move(result_);
}

}  // namespace

bool DiscCheck::Passed() const {
  return !Aborted && StreamSame && UnreadableStructures.empty() &&
         std::all_of(Files.begin(), Files.end(), [](FileVerdict verdict) { return verdict == FileVerdict::Verified; });
}

DiscCheck CheckRecordedContent(TSCSIDevice& drive, const RecordedContent& content,
                               std::atomic<std::int64_t>& bytesRead, const std::atomic<bool>& stop) {
  Checker checker(content);
  SectorReader reader(drive);
  const auto buffer = std::make_unique<std::uint8_t[]>(std::size_t{SectorReader::kLargestRead} * kSector);
  const auto sectors = static_cast<std::uint32_t>((content.StreamBytes + kSector - 1) / kSector);
  for (std::uint32_t done = 0; done < sectors;) {
    if (stop.load()) return checker.Finish(true);
    const std::uint32_t count = std::min(reader.ReadSize(), sectors - done);
    const std::vector<std::uint32_t> bad = reader.Read(content.StartSector + done, count, buffer.get());
    // The runs between unreadable sectors are fed as they are.
    std::uint32_t from = 0;
    const auto feedTo = [&](std::uint32_t to) {
      const std::int64_t position = std::int64_t{done + from} * kSector;
      const std::int64_t length = std::min<std::int64_t>(std::int64_t{to - from} * kSector, content.StreamBytes - position);
      if (length > 0) checker.Feed(position, buffer.get() + std::size_t{from} * kSector, length);
    };
    for (const std::uint32_t s : bad) {
      feedTo(s);
      checker.Unreadable(done + s);
      from = s + 1;
    }
    feedTo(count);
    done += count;
    bytesRead.store(std::min<std::int64_t>(std::int64_t{done} * kSector, content.StreamBytes));
  }
  return checker.Finish(false);
}

}  // namespace kivo
