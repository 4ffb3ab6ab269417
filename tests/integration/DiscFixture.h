// Whole recordings as a user makes them: kivoardel-cli against a virtual recorder kept in a
// private folder, the disc exported with kivo-vrctl and read back by the external readers.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/iso/Commands.h"
#include "tests/platform/TempDir.h"

namespace kivo::testing {

// Files by path relative to the disc's root ("/" between names), with their contents.
using FileMap = std::map<std::string, std::string>;

// Content that differs from file to file and tells a misplaced sector apart; it never holds a
// volume descriptor, so the sessions on an exported disc can be found by scanning for them.
std::string Content(const std::string& seed, std::size_t size);

// Writes the files below folder, creating directories; returns them as they should read back.
FileMap WriteTree(const std::filesystem::path& folder, const FileMap& files);

// A kivo-vrctl medium kind as a test name: "dvd+r-dl" -> "dvd_plus_r_dl".
std::string TestName(const std::string& kind);

// What the command line offers: the command exists and its help names the option (if given).
bool CliOffers(const std::string& command, const std::string& option = "");

#define KIVO_REQUIRE_CLI(command, option)                                                     \
  do {                                                                                        \
    if (!::kivo::testing::CliOffers(command, option))                                         \
      GTEST_SKIP() << "kivoardel-cli does not offer `" << command << " " << option << "` yet"; \
  } while (false)

// The sessions of an exported disc: the sector of every primary volume descriptor, less 16.
// On overwritable media sector 16 holds a copy of the newest session's descriptors, so 0 is
// always among them once anything was recorded.
std::vector<std::uint32_t> SessionStarts(const std::vector<std::uint8_t>& disc);

// The volume space size of the volume whose descriptors start at sector start + 16 (0 if none).
std::uint32_t VolumeEnd(const std::vector<std::uint8_t>& disc, std::uint32_t start);

// The session at start read back by xorriso (its Joliet tree, with the media check from start)
// and by isoinfo (listing and every file extracted); the files must equal expected. scratch is
// a folder the readers may extract into.
void ExpectSessionReads(const std::string& disc, std::uint32_t start, const FileMap& expected,
                        const std::filesystem::path& scratch);

// The same disc read by 7z, which sees the descriptors at sector 16 only.
void ExpectSevenZipReads(const std::string& disc, const FileMap& expected, const std::filesystem::path& scratch);

// Files and their sizes: as `kivoardel-cli ls` lists a session, and as a session should list.
using SizeMap = std::map<std::string, std::uint64_t>;
SizeMap ListedFiles(const std::string& lsOutput);
SizeMap Sizes(const FileMap& files);

// A virtual recorder in a folder of its own, unthrottled, and the command-line tools on it.
class DiscTest : public ::testing::Test {
 protected:
  DiscTest();

  // kivo-vrctl on this recorder; the test fails when it does.
  std::string Vrctl(const std::vector<std::string>& arguments);
  // kivoardel-cli with this recorder as its drive.
  CommandResult Cli(const std::vector<std::string>& arguments);
  // kivoardel-cli that must succeed (adds a failure with its output otherwise).
  bool CliSucceeds(const std::vector<std::string>& arguments);

  // A session as the system itself reads it: ls lists every file with its size, and
  // extract --all recreates the tree in scratch. No session number: the last one.
  void ExpectEngineReads(std::optional<int> session, const FileMap& expected, const std::filesystem::path& scratch);

  // Puts in a blank medium of a kivo-vrctl kind; "dvd+rw-formatted" is a DVD+RW that has been
  // given a basic format, as a drive leaves it before anything is written.
  void Insert(const std::string& kind);

  // Runs burn with the arguments, exports the disc and finds the session the burn added: the
  // one new volume, past the end of the newest earlier one and where the medium puts a new
  // session. Returns its start; nullopt (with failures added) when the burn failed or the
  // session is not where it belongs. The export is in disc, the starts so far in sessions.
  std::optional<std::uint32_t> BurnSession(const std::vector<std::string>& arguments);
  // Overwritable media carry a copy of the newest session's descriptors at sector 16, so the
  // session at 0 reads as the newest one there.
  bool NewestReadsAtZero() const { return rule_ != StartRule::NextWritable; }
  // The disc's user data exported as an image file (a fresh name per call, given in path) and
  // its bytes.
  std::vector<std::uint8_t> ExportBytes(std::string* path = nullptr);
  // The recorder's own next writable address, when it has one.
  std::optional<std::uint32_t> NextWritable();
  // The volume at sector 0 read through the drive model, as any host reads it, into an image
  // file; empty when there is no volume there. For discs whose recorded area is too large to
  // export whole.
  std::string ExportVolume();
  bool DiscIsBlank();

  // A fresh folder below the test's folder.
  std::filesystem::path Folder(const std::string& name);

  platform::testing::TempDir tmp;
  std::string recorder;
  std::string disc;
  std::vector<std::uint32_t> sessions;

 private:
  // Where a medium puts a new session: at the drive's next writable address (write-once media
  // and CD-RW), at the end of the newest volume (DVD+RW, DVD-RAM), or somewhere after it (DVD-RW,
  // which the recording formats first: the drive decides).
  enum class StartRule { NextWritable, VolumeEnd, AfterVolume };

  // Sectors read through the drive model; empty when the drive refuses.
  std::vector<std::uint8_t> ReadSectors(std::uint32_t lba, std::uint32_t count);

  StartRule rule_ = StartRule::NextWritable;
  std::vector<std::uint8_t> discBytes_;
  int exports_ = 0;
};

}  // namespace kivo::testing
