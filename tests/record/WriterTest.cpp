// The writer thread and the recording start against the drive model in memory: what reaches
// the disc and in which writes, how the drive's refusals are retried or reported, what an
// abort or a test write leaves behind, and the streamed image save. Results arrive on the
// writer's thread here (no main thread is named).
#include <gtest/gtest.h>

#include <fmt/printf.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/iso/TZelvoBurner.h"
#include "engine/record/ContentHash.h"
#include "engine/record/DiscCheck.h"
#include "engine/record/FormatLists.h"
#include "engine/record/FormatWait.h"
#include "engine/record/Recording.h"
#include "engine/record/Strings.h"
#include "engine/record/TCacheThread.h"
#include "tests/iso/ImageCheck.h"
#include "tests/platform/ScopedEnv.h"
#include "tests/platform/TempDir.h"
#include "tests/record/EraseFixtures.h"
#include "tests/record/ModelDrive.h"

namespace kivo::writer_test {
namespace {

using platform::testing::TempDir;
using testing::ModelDrive;
using testing::SentCommand;
using vdrive::MediumKind;

constexpr std::uint8_t kWrite10 = 0x2A;
constexpr std::uint8_t kCloseTrackSession = 0x5B;
constexpr std::uint8_t kSynchronizeCache = 0x35;
constexpr std::uint8_t kFormatUnit = 0x04;
constexpr std::uint8_t kSendOpc = 0x54;
constexpr std::uint8_t kReserveTrack = 0x53;
constexpr std::uint8_t kReadDiscInformation = 0x51;
constexpr std::int64_t kSector = 2048;

struct Write {
  std::uint32_t lba;
  std::uint32_t sectors;
  bool operator==(const Write&) const = default;
};

std::uint32_t Be32(const std::vector<unsigned char>& b, std::size_t at) {
  return std::uint32_t{b[at]} << 24 | std::uint32_t{b[at + 1]} << 16 | std::uint32_t{b[at + 2]} << 8 | b[at + 3];
}

std::vector<Write> Writes(const std::vector<SentCommand>& sent) {
  std::vector<Write> writes;
  for (const auto& c : sent)
    if (c.cdb[0] == kWrite10) writes.push_back({Be32(c.cdb, 2), std::uint32_t{c.cdb[7]} << 8 | c.cdb[8]});
  return writes;
}

std::size_t CountOf(const std::vector<SentCommand>& sent, std::uint8_t opcode) {
  return static_cast<std::size_t>(
      std::count_if(sent.begin(), sent.end(), [opcode](const SentCommand& c) { return c.cdb[0] == opcode; }));
}

// Bytes without zeros, different per seed, so misplaced or zero-filled data shows.
std::string Pattern(std::size_t n, int seed) {
  std::string s(n, '\0');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>(1 + (i * 7 + static_cast<std::size_t>(seed) * 31) % 250);
  return s;
}

class WriterTest : public ::testing::Test {
 protected:
  // The recorded session is compared with a quick save made later: both headers must carry
  // the same recording time, even when a second boundary falls between them.
  void SetUp() override { platform::testing::SetEnvironment("SOURCE_DATE_EPOCH", "1700000000"); }
  void TearDown() override {
    platform::SetTimeScale(1);
    CurrentMediaKind.store(0);
    platform::testing::SetEnvironment("SOURCE_DATE_EPOCH", nullptr);
  }

  void Insert(MediumKind kind, double driveTimeScale = 0, std::int64_t msPerCommand = 0) {
    // One drive at a time: the old one takes the transport down with it.
    burner.reset();
    drive.reset();
    drive = std::make_unique<ModelDrive>(kind, driveTimeScale, msPerCommand);
    burner = std::make_unique<TZelvoBurner>();
    platform::SetTimeScale(0);
    drive->Attach(*burner);
    events.Attach(*burner);
    burner->WritePostGap = false;
  }

  // A fresh compilation of source files with these sizes, in the root.
  void Compile(const std::vector<std::size_t>& sizes) {
    burner->ResetCompilation(1000, 100);
    for (std::size_t i = 0; i < sizes.size(); ++i) {
      ++files_;
      const std::string path = sources.Write("f" + std::to_string(files_) + ".bin", Pattern(sizes[i], files_));
      ASSERT_EQ(burner->AddFile("\\", path, false), 1);
    }
  }

  // The window's burn: disc layout, then the recording; OnWriteDone's error.
  std::string Burn() {
    burner->PrepareLayout(false, nullptr);
    burner->BuildHeader(nullptr);
    events.Reset();
    drive->Forget();
    burner->RecordCompilation();
    const auto error = events.writeDone.Wait();
    EXPECT_TRUE(error.has_value()) << "no OnWriteDone";
    return error.value_or("(none)");
  }

  std::string SaveStreamed(const std::string& path) {
    events.Reset();
    EXPECT_EQ(burner->SaveISO(path, false), -1);
    const auto error = events.writeDone.Wait();
    EXPECT_TRUE(error.has_value()) << "no OnWriteDone";
    return error.value_or("(none)");
  }

  // The compilation as the quick save writes it (laid out for an image: from sector 0).
  std::vector<std::uint8_t> QuickImage() {
    const std::string path = sources / "quick.iso";
    events.Reset();
    EXPECT_EQ(burner->SaveISO(path, true), 1);
    return testing::ReadWholeFile(path);
  }

  TempDir sources;
  std::unique_ptr<ModelDrive> drive;
  std::unique_ptr<TZelvoBurner> burner;
  testing::BurnerEvents events;

 private:
  int files_ = 0;
};

// Each write carries one cache block: 27 sectors on CD, 32 on DVD, where a compilation's last
// write is zero-filled. Short blocks (the data's end, the post-gap) are joined on DVD, so that
// the writes end where a DVD-R's reservation does.
TEST_F(WriterTest, WritesTheSessionInWholeBlocks) {
  struct Case {
    MediumKind kind;
    bool postGap;
    std::uint32_t blockSectors;
  };
  for (const Case& c : {Case{MediumKind::CdR, false, 27}, Case{MediumKind::DvdPlusR, false, 32},
                        Case{MediumKind::DvdPlusR, true, 32}, Case{MediumKind::DvdR, true, 32}}) {
    SCOPED_TRACE(static_cast<int>(c.kind) * 10 + c.postGap);
    Insert(c.kind);
    burner->WritePostGap = c.postGap;
    Compile({40 * 2048 + 1, 105 * 2048 - 3});
    ASSERT_EQ(Burn(), "");
    const auto sent = drive->Sent();
    const std::uint32_t imageSectors = static_cast<std::uint32_t>(burner->ImageSectors);
    const std::uint32_t streamed = static_cast<std::uint32_t>(burner->ImageSize());
    ASSERT_EQ(streamed, c.postGap ? 300u : imageSectors);
    ASSERT_NE(imageSectors % c.blockSectors, 0u) << "the case needs a short last block";

    std::vector<Write> expected;
    std::uint32_t lba = 0;
    for (std::uint32_t left = streamed; left > 0;) {
      const std::uint32_t n = c.blockSectors == 27 ? std::min(left, 27u) : 32;
      expected.push_back({lba, n});
      lba += n;
      left -= std::min(left, n);
    }
    EXPECT_EQ(Writes(sent), expected);
    EXPECT_EQ(burner->BytesWritten.load(), streamed * kSector);
    EXPECT_EQ(CountOf(sent, kCloseTrackSession), c.kind == MediumKind::DvdR ? 3u : c.kind == MediumKind::CdR ? 1u : 2u);

    const auto quick = QuickImage();
    ASSERT_EQ(quick.size(), imageSectors * kSector);
    const auto disc = drive->ReadDisc(0, lba);
    EXPECT_TRUE(std::equal(quick.begin(), quick.end(), disc.begin())) << "the disc differs from the image";
    EXPECT_TRUE(std::all_of(disc.begin() + static_cast<std::ptrdiff_t>(quick.size()), disc.end(),
                            [](std::uint8_t b) { return b == 0; }));
    EXPECT_EQ(drive->Disc().closedSessions, 1u);
  }
}

TEST_F(WriterTest, ASecondSessionStartsAtTheNextWritableAddress) {
  for (MediumKind kind : {MediumKind::CdR, MediumKind::DvdPlusR}) {
    SCOPED_TRACE(static_cast<int>(kind));
    Insert(kind);
    Compile({5000});
    ASSERT_EQ(Burn(), "");
    std::uint32_t next = 0;
    ASSERT_TRUE(burner->NextSessionStart(next));
    ASSERT_GT(next, 0u);

    Compile({7000});
    ASSERT_EQ(Burn(), "");
    const auto writes = Writes(drive->Sent());
    ASSERT_FALSE(writes.empty());
    EXPECT_EQ(writes.front().lba, next);
    EXPECT_EQ(burner->SessionStart, next);
    const auto descriptor = drive->ReadDisc(next + 16, 1);
    EXPECT_EQ(std::string(descriptor.begin() + 1, descriptor.begin() + 6), "CD001");
    EXPECT_EQ(drive->Disc().closedSessions, 2u);
  }
}

// The first write to an unformatted DVD+RW fails; the disc is formatted and the session written.
// A session at the disc's start holds its first transfer, which carries the volume descriptors,
// back to the end.
TEST_F(WriterTest, FormatsAnUnformattedDvdPlusRwAtTheFirstWrite) {
  Insert(MediumKind::DvdPlusRw);
  Compile({3000});
  ASSERT_EQ(Burn(), "");
  const auto sent = drive->Sent();
  const auto format = std::find_if(sent.begin(), sent.end(), [](const SentCommand& c) { return c.cdb[0] == kFormatUnit; });
  ASSERT_NE(format, sent.end());
  EXPECT_EQ(format->dataOut, std::vector<unsigned char>(formatlist::kDvdPlusRwBasic.begin(), formatlist::kDvdPlusRwBasic.end()));
  const auto writes = Writes(sent);
  ASSERT_GE(writes.size(), 3u);
  // The first write, its repetition after the format, the rest, and the first transfer last.
  EXPECT_EQ(writes[0], (Write{32, 32}));
  EXPECT_EQ(writes[1], (Write{32, 32}));
  EXPECT_EQ(writes[2], (Write{64, 32}));
  EXPECT_EQ(writes.back(), (Write{0, 32}));
  EXPECT_TRUE(drive->Disc().formatted);
  const auto quick = QuickImage();
  const auto disc = drive->ReadDisc(0, static_cast<std::uint32_t>(quick.size() / kSector));
  EXPECT_TRUE(quick == disc);
}

// Overwritable DVD gets each session's volume descriptors at its start, in one whole write even
// when the session itself is shorter (the medium takes only whole ECC blocks), and after the
// session's data.
TEST_F(WriterTest, PutsTheNewestDescriptorsAtTheStartOfAnOverwritableDvdLast) {
  Insert(MediumKind::DvdRwSequential);
  Compile({5000});
  ASSERT_EQ(Burn(), "");
  Compile({7000});
  ASSERT_EQ(Burn(), "");
  ASSERT_LT(burner->ImageSectors, 32) << "the case needs a session shorter than one write";
  const auto writes = Writes(drive->Sent());
  ASSERT_GE(writes.size(), 2u);
  EXPECT_EQ(writes.front().lba, burner->SessionStart);
  EXPECT_EQ(writes.back(), (Write{0, 32}));
  const auto descriptor = drive->ReadDisc(16, 1);
  const std::uint32_t volumeSpace = descriptor[80] | descriptor[81] << 8 | descriptor[82] << 16 | descriptor[83] << 24;
  EXPECT_EQ(volumeSpace, burner->VolumeSpaceSize);
  EXPECT_GT(burner->SessionStart, 0u);
}

TEST_F(WriterTest, RetriesABusyDriveAndReportsOtherRefusals) {
  struct Case {
    vdrive::CommandFault fault;
    std::string error;  // the start of OnWriteDone's error
  };
  using Kind = vdrive::CommandFault::Kind;
  // Busy is what MMC calls busy: BUSY status, or NOT READY while the drive becomes ready, formats,
  // finishes an operation or writes out a long write. Anything else would fail again.
  for (const Case& c : {Case{{kWrite10, Kind::Busy, {}, 3}, ""},
                        Case{{kWrite10, Kind::Sense, {0x02, 0x04, 0x08}, 3}, ""},
                        Case{{kWrite10, Kind::Sense, {0x02, 0x04, 0x07}, 3}, ""},
                        Case{{kWrite10, Kind::Sense, {0x02, 0x04, 0x04}, 3}, ""},
                        Case{{kWrite10, Kind::Sense, {0x02, 0x04, 0x01}, 3}, ""},
                        Case{{kWrite10, Kind::NotReady, {}, 1}, "WRITER ERROR ["},
                        Case{{kWrite10, Kind::Sense, {0x00, 0x00, 0x00}, 1}, "WRITER ERROR ["},
                        Case{{kWrite10, Kind::Sense, {0x03, 0x0C, 0x00}, 1}, "WRITER ERROR ["},
                        Case{{kWrite10, Kind::Sense, {0x04, 0x08, 0x03}, 1}, "WRITER ERROR ["}}) {
    SCOPED_TRACE(static_cast<int>(c.fault.kind));
    Insert(MediumKind::CdR);
    Compile({10000});
    drive->EditFaults([&](vdrive::Faults& f) { f.commands = {c.fault}; });
    const std::string error = Burn();
    EXPECT_EQ(error.substr(0, c.error.size()), c.error) << error;
    const auto sent = drive->Sent();
    if (c.error.empty()) {
      EXPECT_EQ(Writes(sent).size(), (burner->ImageSize() + 26) / 27 + 3);
      EXPECT_EQ(drive->Disc().closedSessions, 1u);
    } else {
      EXPECT_EQ(error.back(), ']');
      EXPECT_EQ(CountOf(sent, kCloseTrackSession), 0u);
      // The drive is still synchronised.
      EXPECT_EQ(sent.back().cdb[0], kSynchronizeCache);
    }
  }
}

TEST_F(WriterTest, AnAbortInTheBlockLoopClosesNothing) {
  Insert(MediumKind::CdR);
  Compile({10000});
  drive->EditFaults([](vdrive::Faults& f) { f.commands = {{kWrite10, vdrive::CommandFault::Kind::Busy, {}, -1}}; });
  burner->PrepareLayout(false, nullptr);
  burner->BuildHeader(nullptr);
  events.Reset();
  platform::SetTimeScale(0.001);
  ASSERT_TRUE(burner->RecordCompilation());
  // BytesWritten grows right before the first write is tried.
  for (int i = 0; i < 10000 && burner->BytesWritten.load() == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_GT(burner->BytesWritten.load(), 0);
  burner->AbortRecording();
  EXPECT_EQ(events.writeDone.Wait(), std::string(recordtext::kOperationAborted));
  EXPECT_FALSE(WriterRunning.load());
  EXPECT_EQ(ActiveCache.load(), nullptr);
  EXPECT_EQ(burner->CacheFillPercent(), 0);
  const auto sent = drive->Sent();
  EXPECT_EQ(CountOf(sent, kCloseTrackSession), 0u);
  EXPECT_EQ(sent.back().cdb[0], kSynchronizeCache);
  EXPECT_TRUE(drive->Disc().tracks.empty());
}

// Nothing of a test write stays on the disc: no closing, no calibration, no DVD-R reservation.
TEST_F(WriterTest, ATestWriteLeavesTheDiscBlank) {
  for (const auto& [kind, name] : {std::pair{MediumKind::CdR, "CD-R"}, std::pair{MediumKind::DvdR, "DVD-R"}}) {
    SCOPED_TRACE(name);
    Insert(kind);
    Compile({10000});
    burner->TestWrite = true;
    burner->PerformOPC = true;
    ASSERT_EQ(Burn(), "");
    const auto sent = drive->Sent();
    EXPECT_GT(Writes(sent).size(), 0u);
    EXPECT_EQ(CountOf(sent, kCloseTrackSession), 0u);
    EXPECT_EQ(CountOf(sent, kSendOpc), 0u);
    EXPECT_EQ(CountOf(sent, kReserveTrack), 0u);
    EXPECT_TRUE(events.log.Contains(std::string(recordtext::kTestWrite)));
    EXPECT_NE(events.log.All().find(std::string(" STARTING WRITE PROCESS ON ") + name + " AT "), std::string::npos)
        << events.log.All();
    EXPECT_TRUE(drive->Disc().tracks.empty());
    EXPECT_EQ(drive->Disc().closedSessions, 0u);
  }
}

// A drive that never leaves "not ready" ends the wait after its bound, with a reason.
TEST_F(WriterTest, EndsTheWaitsForTheDriveAfterTheirBound) {
  struct Case {
    MediumKind kind;
    std::string error;
    bool started;
  };
  for (const Case& c : {Case{MediumKind::DvdRwSequential, fmt::sprintf(recordtext::kDvdRwPreparationTimedOut, kDvdRwPreparationMinutes), false},
                        Case{MediumKind::DvdPlusRw, fmt::sprintf(recordtext::kDvdPlusRwFormatTimedOut, kDvdPlusRwFormatMinutes), true},
                        Case{MediumKind::DvdR, fmt::sprintf(recordtext::kFlushTimedOut, kFlushMinutes), true}}) {
    SCOPED_TRACE(c.error);
    Insert(c.kind);
    Compile({3000});
    burner->PrepareLayout(false, nullptr);
    burner->BuildHeader(nullptr);
    events.Reset();
    drive->EditFaults([](vdrive::Faults& f) {
      f.commands = {{kReadDiscInformation, vdrive::CommandFault::Kind::NotReady, {}, -1}};
    });
    EXPECT_EQ(burner->RecordCompilation(), c.started);
    EXPECT_EQ(events.writeDone.Wait(), c.error);
    EXPECT_EQ(CountOf(drive->Sent(), kCloseTrackSession), 0u);
  }
}

// The three closes of a DVD-R go with IMMED; each waits for the drive to finish the one before.
TEST_F(WriterTest, ClosesADvdRThatTakesItsTime) {
  // Time passes as on a real drive, 100 ms per command: a track close lasts seconds.
  Insert(MediumKind::DvdR, 1.0, 100);
  Compile({3000});
  ASSERT_EQ(Burn(), "");
  EXPECT_EQ(CountOf(drive->Sent(), kCloseTrackSession), 3u);
  EXPECT_EQ(drive->Disc().closedSessions, 1u);
}

ContentHash HashOf(const void* data, std::size_t length) {
  ContentHasher hasher;
  hasher.Update(data, length);
  return hasher.Digest();
}

// The recording fingerprints what it sends while it reads the sources: each file as its source
// held it and the session as the disc received it. The check after the recording finds that
// disc as sent, names the one file whose sector the disc stored wrongly, and a source written to
// while it was recorded as changed (written to as the drive closes the track: every source has
// been read by then), the disc being no worse for it.
TEST_F(WriterTest, TheCheckAfterTheRecordingNamesWhatTheDiscOrTheSourcesChanged) {
  const auto check = [this] {
    const auto content = burner->LastRecordedContent();
    EXPECT_NE(content, nullptr);
    std::atomic<std::int64_t> read{0};
    const std::atomic<bool> stop{false};
    return content ? CheckRecordedContent(*burner, *content, read, stop) : DiscCheck{};
  };
  Insert(MediumKind::DvdPlusR);
  Compile({150000, 5000, 70001});
  ASSERT_EQ(Burn(), "");
  const auto content = burner->LastRecordedContent();
  ASSERT_NE(content, nullptr);
  ASSERT_EQ(content->Files.size(), 3u);
  for (const RecordedFile& file : content->Files) {
    const auto bytes = testing::ReadWholeFile(file.Entry->SourcePath);
    EXPECT_EQ(file.Hash, HashOf(bytes.data(), bytes.size())) << file.Entry->SourcePath;
  }
  const auto session = drive->ReadDisc(content->StartSector, static_cast<std::uint32_t>(content->StreamBytes / kSector));
  EXPECT_EQ(content->StreamBytes, burner->ImageSize() * kSector);
  // The structures' fingerprint covers exactly the bytes that no file's covers.
  std::vector<std::uint8_t> structures;
  std::int64_t at = 0;
  for (const RecordedFile& file : content->Files) {
    structures.insert(structures.end(), session.begin() + at, session.begin() + file.StreamOffset);
    at = file.StreamOffset + file.Length;
  }
  structures.insert(structures.end(), session.begin() + at, session.end());
  EXPECT_EQ(content->Structures, HashOf(structures.data(), structures.size()));
  const DiscCheck clean = check();
  EXPECT_TRUE(clean.Passed());

  // The same files on a fresh disc land in the same sectors.
  const auto secondSector = static_cast<std::uint32_t>(content->StartSector + content->Files[1].StreamOffset / kSector);
  Insert(MediumKind::DvdPlusR);
  Compile({150000, 5000, 70001});
  drive->EditFaults([secondSector](vdrive::Faults& faults) { faults.corruptions.push_back({secondSector, 1}); });
  ASSERT_EQ(Burn(), "");
  const DiscCheck corrupted = check();
  EXPECT_FALSE(corrupted.Passed());
  EXPECT_EQ(corrupted.Files, (std::vector{FileVerdict::Verified, FileVerdict::Differs, FileVerdict::Verified}));
  EXPECT_FALSE(corrupted.StreamSame);
  EXPECT_FALSE(corrupted.StructuresDiffer);

  // A sector stored wrongly in the directory area spares every file and is told apart from them.
  Insert(MediumKind::DvdPlusR);
  Compile({150000, 5000, 70001});
  const std::uint32_t volumeDescriptor = content->StartSector + 16;
  drive->EditFaults([volumeDescriptor](vdrive::Faults& faults) { faults.corruptions.push_back({volumeDescriptor, 1}); });
  ASSERT_EQ(Burn(), "");
  const DiscCheck directoryArea = check();
  EXPECT_FALSE(directoryArea.Passed());
  EXPECT_EQ(directoryArea.Files, (std::vector(3, FileVerdict::Verified)));
  EXPECT_TRUE(directoryArea.StructuresDiffer);

  Insert(MediumKind::DvdPlusR);
  Compile({150000, 5000, 70001});
  const std::string third = burner->FileList().back()->SourcePath;
  burner->OnFinalizingTrack = [&third](TZelvoBurner*) { std::ofstream(third, std::ios::app) << 'x'; };
  ASSERT_EQ(Burn(), "");
  const DiscCheck changed = check();
  EXPECT_FALSE(changed.Passed());
  EXPECT_EQ(changed.Files, (std::vector{FileVerdict::Verified, FileVerdict::Verified, FileVerdict::Changed}));
  EXPECT_TRUE(changed.StreamSame);
}

class StreamedSaveTest : public WriterTest {
 protected:
  void SetUp() override {
    WriterTest::SetUp();
    Insert(MediumKind::CdR);
  }
};

TEST_F(StreamedSaveTest, EqualsTheQuickSaveThenThePostGap) {
  for (bool postGap : {false, true}) {
    SCOPED_TRACE(postGap);
    burner->WritePostGap = postGap;
    Compile({1, 70000, 2048});
    const auto quick = QuickImage();
    const std::string path = sources / "streamed.iso";
    ASSERT_EQ(SaveStreamed(path), "");
    const auto streamed = testing::ReadWholeFile(path);
    ASSERT_EQ(streamed.size(), postGap ? std::max<std::size_t>(quick.size(), 300 * kSector) : quick.size());
    EXPECT_TRUE(std::equal(quick.begin(), quick.end(), streamed.begin()));
    EXPECT_TRUE(std::all_of(streamed.begin() + static_cast<std::ptrdiff_t>(quick.size()), streamed.end(),
                            [](std::uint8_t b) { return b == 0; }));
    EXPECT_EQ(burner->CacheFillPercent(), 0);
  }
}

TEST_F(StreamedSaveTest, ReportsWhatEndedIt) {
  Compile({5000});
  const std::string missing = sources / "no-such-dir/out.iso";
  EXPECT_EQ(SaveStreamed(missing), fmt::sprintf(recordtext::kCannotCreateFile, missing));
#ifndef _WIN32  // a device that is always full
  // The full device takes the file but none of its bytes: the save must not look done.
  const std::string error = SaveStreamed("/dev/full");
  EXPECT_EQ(error.rfind("CAN'T WRITE FILE /dev/full", 0), 0u) << error;
#endif
  EXPECT_TRUE(drive->Sent().empty()) << "a file save sends nothing to the drive";

  const std::string source = sources / "gone.bin";
  sources.Write("gone.bin", Pattern(3000, 7));
  ASSERT_EQ(burner->AddFile("\\", source, false), 1);
  std::filesystem::remove(source);
  EXPECT_EQ(SaveStreamed(sources / "out.iso"), fmt::sprintf(recordtext::kCannotOpenFile, source));
}

}  // namespace
}  // namespace kivo::writer_test
