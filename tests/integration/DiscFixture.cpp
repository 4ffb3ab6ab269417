#include "tests/integration/DiscFixture.h"

#include <fmt/format.h>
#include <fmt/ranges.h>

#include <algorithm>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "engine/record/FormatLists.h"
#include "tests/iso/ImageCheck.h"
#include "virtualdrive/VirtualRecorder.h"

namespace kivo::testing {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kSector = 2048;

std::uint32_t Le32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

bool IsPrimaryDescriptor(const std::vector<std::uint8_t>& disc, std::size_t sector) {
  if ((sector + 1) * kSector > disc.size()) return false;
  const std::uint8_t* d = disc.data() + sector * kSector;
  return d[0] == 1 && std::string(reinterpret_cast<const char*>(d + 1), 5) == "CD001";
}

// How isoinfo shows a Joliet name in its default character set: every character beyond ASCII
// becomes "_".
std::string IsoinfoView(const std::string& utf8) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if ((c & 0xC0) != 0x80) {
      out += '_';  // a lead byte starts one character; continuation bytes add nothing
    }
  }
  return out;
}

// Extracted trees may come out read-only; the scratch folder must stay removable.
void MakeWritable(const fs::path& folder) {
  RunCommand("chmod -R u+rwX " + Quoted(folder.string()));
}

void ExpectSameFiles(const FileMap& got, const FileMap& want, const std::string& reader) {
  std::vector<std::string> gotNames, wantNames;
  for (const auto& [path, content] : got) gotNames.push_back(path);
  for (const auto& [path, content] : want) wantNames.push_back(path);
  EXPECT_EQ(gotNames, wantNames) << reader;
  for (const auto& [path, content] : want) {
    const auto found = got.find(path);
    if (found != got.end()) {
      EXPECT_TRUE(found->second == content) << reader << ": " << path << " differs";
    }
  }
}

}  // namespace

std::string Content(const std::string& seed, std::size_t size) {
  std::string out;
  while (out.size() < size) out += seed + "|" + std::to_string(out.size()) + "\n";
  out.resize(size);
  return out;
}

FileMap WriteTree(const fs::path& folder, const FileMap& files) {
  for (const auto& [path, content] : files) {
    const fs::path file = folder / fs::u8path(path);
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << content;
  }
  return files;
}

std::string TestName(const std::string& kind) {
  std::string name;
  for (char c : kind) name += c == '+' ? std::string("_plus_") : std::string(1, std::isalnum(static_cast<unsigned char>(c)) ? c : '_');
  return name;
}

bool CliOffers(const std::string& command, const std::string& option) {
  static std::map<std::string, std::string> helps;
  auto found = helps.find(command);
  if (found == helps.end()) {
    const CommandResult help = RunCli({command, "--help"});
    found = helps.emplace(command, help.status == 0 ? help.output : std::string()).first;
  }
  return !found->second.empty() && (option.empty() || found->second.find(option) != std::string::npos);
}

std::vector<std::uint32_t> SessionStarts(const std::vector<std::uint8_t>& disc) {
  std::vector<std::uint32_t> starts;
  for (std::size_t s = 16; (s + 1) * kSector <= disc.size(); ++s) {
    if (IsPrimaryDescriptor(disc, s)) starts.push_back(static_cast<std::uint32_t>(s - 16));
  }
  return starts;
}

std::uint32_t VolumeEnd(const std::vector<std::uint8_t>& disc, std::uint32_t start) {
  const std::size_t pvd = std::size_t{start} + 16;
  return IsPrimaryDescriptor(disc, pvd) ? Le32(disc.data() + pvd * kSector + 80) : 0;
}

void ExpectSessionReads(const std::string& disc, std::uint32_t start, const FileMap& expected,
                        const fs::path& scratch) {
  SCOPED_TRACE(fmt::format("session at {} of {}", start, disc));
  const std::string image = Quoted(disc);
  const std::string sector = std::to_string(start);

  // xorriso: the Joliet tree of the session, every file extracted.
  const fs::path xorrisoOut = scratch / fmt::format("xorriso-{}", start);
  const CommandResult extracted =
      RunCommand("xorriso -abort_on NEVER -return_with WARNING 32 -report_about WARNING -read_fs norock -load sbsector " +
                 sector + " -indev " + image + " -osirrox on -extract / " + Quoted(xorrisoOut.string()));
  EXPECT_EQ(extracted.status, 0) << extracted.output;
  if (fs::exists(xorrisoOut)) {
    MakeWritable(xorrisoOut);
    ExpectSameFiles(FilesBelow(xorrisoOut), expected, "xorriso");
  } else {
    ADD_FAILURE() << "xorriso extracted nothing\n" << extracted.output;
  }

  // xorriso's media check from the session start. It takes the volume space size as counted
  // from there, ours counts from sector 0 (a multisession volume covers the earlier sessions),
  // so it also reads past the session's end; only what lies on the disc from the session's
  // start on must be good (it leaves what comes before untested).
  const CommandResult checked = RunCommand("xorriso -abort_on NEVER -report_about WARNING -load sbsector " + sector +
                                           " -indev " + image + " -check_media what=disc min_lba=" + sector + " --");
  const std::uintmax_t discSectors = fs::file_size(disc) / kSector;
  const std::regex region(R"(Media region :\s*(\d+)\s*,\s*(\d+)\s*,\s*(\S)\s*(.*))");
  bool anyRegion = false;
  std::istringstream lines(checked.output);
  for (std::string line; std::getline(lines, line);) {
    std::smatch m;
    if (!std::regex_search(line, m, region)) continue;
    anyRegion = true;
    const std::uint64_t lba = std::stoull(m[1]), end = lba + std::stoull(m[2]);
    if (m[3] != "+" && end > start && lba < discSectors) {
      ADD_FAILURE() << "xorriso -check_media: sectors from " << lba << " on the disc are not good: " << line;
    }
  }
  EXPECT_TRUE(anyRegion) << checked.output;

  // isoinfo: the Joliet listing of the session, then each file extracted by its listed name.
  const CommandResult listing = RunCommand("isoinfo -J -f -T " + sector + " -i " + image);
  EXPECT_EQ(listing.status, 0) << listing.output;
  std::set<std::string> listed, wanted;
  std::istringstream names(listing.output);
  for (std::string name; std::getline(names, name);) listed.insert(name);
  for (const auto& [path, content] : expected) {
    const std::string view = "/" + IsoinfoView(path);
    for (auto slash = view.find('/', 1); slash != std::string::npos; slash = view.find('/', slash + 1))
      wanted.insert(view.substr(0, slash));
    wanted.insert(view + ";1");
  }
  EXPECT_EQ(listed, wanted) << "isoinfo listing";
  for (const auto& [path, content] : expected) {
    if (!listed.contains("/" + IsoinfoView(path) + ";1")) continue;
    const CommandResult file =
        RunCommand("isoinfo -J -T " + sector + " -i " + image + " -x " + Quoted("/" + IsoinfoView(path) + ";1"));
    EXPECT_TRUE(file.output == content) << "isoinfo: " << path << " differs (" << file.output.size() << " bytes read)";
  }
}

void ExpectSevenZipReads(const std::string& disc, const FileMap& expected, const fs::path& scratch) {
  const fs::path out = scratch / "7z";
  const CommandResult x = RunCommand("7z x -tiso -y -o" + Quoted(out.string()) + " " + Quoted(disc));
  EXPECT_EQ(x.status, 0) << x.output;
  EXPECT_NE(x.output.find("Everything is Ok"), std::string::npos) << x.output;
  if (fs::exists(out)) {
    MakeWritable(out);
    ExpectSameFiles(FilesBelow(out), expected, "7z");
  }
}

SizeMap Sizes(const FileMap& files) {
  SizeMap out;
  for (const auto& [path, content] : files) out[path] = content.size();
  return out;
}

SizeMap ListedFiles(const std::string& lsOutput) {
  SizeMap out;
  std::istringstream lines(lsOutput);
  // "SIZE<TAB>DATE<TAB>PATH", a directory with "-" for its size; the engine's messages, mixed
  // in from standard error, have no tabs.
  for (std::string line; std::getline(lines, line);) {
    const auto first = line.find('\t');
    const auto second = first == std::string::npos ? first : line.find('\t', first + 1);
    if (second == std::string::npos || line.compare(0, first, "-") == 0) continue;
    out[line.substr(second + 1)] = std::stoull(line.substr(0, first));
  }
  return out;
}

DiscTest::DiscTest() : recorder(tmp / "recorder") {
  fs::create_directories(recorder);
  Vrctl({"timescale", "0"});
}

std::string DiscTest::Vrctl(const std::vector<std::string>& arguments) {
  std::string command = Quoted(KIVO_VRCTL) + " " + Quoted(recorder);
  for (const std::string& a : arguments) command += " " + Quoted(a);
  const CommandResult result = RunCommand(command);
  EXPECT_EQ(result.status, 0) << command << "\n" << result.output;
  return result.output;
}

CommandResult DiscTest::Cli(const std::vector<std::string>& arguments) {
  return RunCli(arguments, "KIVO_VIRTUAL_RECORDER=" + Quoted(recorder));
}

bool DiscTest::CliSucceeds(const std::vector<std::string>& arguments) {
  const CommandResult result = Cli(arguments);
  std::string command = "kivoardel-cli";
  for (const std::string& a : arguments) command += " " + a;
  EXPECT_EQ(result.status, 0) << command << "\n" << result.output;
  return result.status == 0;
}

void DiscTest::ExpectEngineReads(std::optional<int> session, const FileMap& expected, const fs::path& scratch) {
  SCOPED_TRACE(session ? fmt::format("ls and extract of session {}", *session) : std::string("ls and extract"));
  std::vector<std::string> choice;
  if (session) choice = {"--session", std::to_string(*session)};

  std::vector<std::string> ls{"ls"};
  ls.insert(ls.end(), choice.begin(), choice.end());
  const CommandResult listing = Cli(ls);
  EXPECT_EQ(listing.status, 0) << listing.output;
  EXPECT_EQ(ListedFiles(listing.output), Sizes(expected)) << listing.output;

  std::vector<std::string> extract{"extract", "--all"};
  extract.insert(extract.end(), choice.begin(), choice.end());
  extract.push_back(scratch.string());
  if (CliSucceeds(extract)) {
    ExpectSameFiles(FilesBelow(scratch), expected, "extract --all");
  }
}

void DiscTest::Insert(const std::string& kind) {
  constexpr std::string_view kFormatted = "dvd+rw-formatted";
  rule_ = kind.starts_with("dvd+rw") || kind == "dvd-ram" ? StartRule::VolumeEnd
          : kind.starts_with("dvd-rw")                    ? StartRule::AfterVolume
                                                          : StartRule::NextWritable;
  if (kind != kFormatted) {
    Vrctl({"insert", kind});
    return;
  }
  Vrctl({"insert", "dvd+rw"});
  // FORMAT UNIT with a basic format of the whole disc, sent to the drive model directly.
  vdrive::VirtualRecorder drive(recorder);
  std::uint8_t cdb[6] = {0x04, formatlist::kFormatUnitByte1, 0, 0, 0, 0};
  auto list = formatlist::kDvdPlusRwBasic;
  const vdrive::ScsiResult formatted =
      drive.Execute({cdb, sizeof cdb, vdrive::DataDirection::Out, list.data(), list.size()});
  ASSERT_TRUE(formatted.ok()) << "FORMAT UNIT refused";
  ASSERT_NE(Vrctl({"status"}).find("disc: overwritable"), std::string::npos);
}

std::optional<std::uint32_t> DiscTest::BurnSession(const std::vector<std::string>& arguments) {
  const std::uint32_t previousEnd = sessions.empty() ? 0 : VolumeEnd(discBytes_, sessions.back());
  const std::optional<std::uint32_t> nextWritable = NextWritable();
  if (!CliSucceeds(arguments)) return std::nullopt;
  discBytes_ = ExportBytes(&disc);

  const std::vector<std::uint32_t> starts = SessionStarts(discBytes_);
  std::vector<std::uint32_t> added;
  for (std::uint32_t s : starts)
    if (std::find(sessions.begin(), sessions.end(), s) == sessions.end()) added.push_back(s);
  // Sector 16 of an overwritable disc holds a copy of the newest descriptors: a session of its
  // own only when the newest one starts at 0.
  if (NewestReadsAtZero() && added.size() > 1) std::erase(added, 0u);
  for (std::uint32_t s : sessions)
    EXPECT_NE(std::find(starts.begin(), starts.end(), s), starts.end()) << "the session at " << s << " is gone";
  if (added.size() != 1) {
    ADD_FAILURE() << "expected one new session; volume descriptors of sessions at "
                  << fmt::format("{}", fmt::join(starts, ", ")) << ", known before: "
                  << fmt::format("{}", fmt::join(sessions, ", "));
    return std::nullopt;
  }
  const std::uint32_t start = added.front();
  EXPECT_GE(start, previousEnd) << "the new session overlaps the volume before it";
  if (rule_ == StartRule::NextWritable) {
    EXPECT_EQ(start, nextWritable.value_or(0)) << "the session does not start at the drive's next writable address";
  } else if (rule_ == StartRule::VolumeEnd) {
    EXPECT_EQ(start, previousEnd) << "the session does not start at the end of the newest volume";
  }
  if (NewestReadsAtZero()) {
    EXPECT_EQ(VolumeEnd(discBytes_, 0), VolumeEnd(discBytes_, start)) << "sector 16 does not describe the newest volume";
  }
  sessions.push_back(start);
  // The drive's own account of a write-once disc, as the system reads it, shows the same
  // sessions (an overwritable disc shows one track from sector 0, whatever it holds).
  if (rule_ == StartRule::NextWritable && CliOffers("info")) {
    const CommandResult info = Cli({"info"});
    EXPECT_EQ(info.status, 0) << info.output;
    std::vector<std::uint32_t> listed;
    const std::regex line(R"(session \d+: start (\d+))");
    for (std::sregex_iterator m(info.output.begin(), info.output.end(), line), end; m != end; ++m)
      listed.push_back(static_cast<std::uint32_t>(std::stoul((*m)[1])));
    EXPECT_EQ(listed, sessions) << "info lists other sessions\n" << info.output;
  }
  return start;
}

std::vector<std::uint8_t> DiscTest::ExportBytes(std::string* path) {
  const std::string file = tmp / fmt::format("export-{}.iso", ++exports_);
  Vrctl({"export", file});
  if (path != nullptr) *path = file;
  return ReadWholeFile(file);
}

std::optional<std::uint32_t> DiscTest::NextWritable() {
  std::smatch m;
  const std::string status = Vrctl({"status"});
  if (!std::regex_search(status, m, std::regex(R"(next writable address: (\d+))"))) return std::nullopt;
  return static_cast<std::uint32_t>(std::stoul(m[1]));
}

std::vector<std::uint8_t> DiscTest::ReadSectors(std::uint32_t lba, std::uint32_t count) {
  constexpr std::uint32_t kPerRead = 32;
  vdrive::VirtualRecorder drive(recorder);
  std::vector<std::uint8_t> out(std::size_t{count} * kSector);
  for (std::uint32_t done = 0; done < count; done += kPerRead) {
    const std::uint32_t n = std::min(kPerRead, count - done);
    const std::uint32_t at = lba + done;
    // READ(10): the address big-endian in bytes 2-5, the count in bytes 7-8.
    std::uint8_t cdb[10] = {0x28, 0, static_cast<std::uint8_t>(at >> 24), static_cast<std::uint8_t>(at >> 16),
                            static_cast<std::uint8_t>(at >> 8), static_cast<std::uint8_t>(at), 0,
                            static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n), 0};
    const vdrive::ScsiResult read = drive.Execute(
        {cdb, sizeof cdb, vdrive::DataDirection::In, out.data() + std::size_t{done} * kSector, std::size_t{n} * kSector});
    if (!read.ok()) return {};
  }
  return out;
}

std::string DiscTest::ExportVolume() {
  const std::vector<std::uint8_t> head = ReadSectors(0, 17);
  const std::uint32_t end = head.empty() ? 0 : VolumeEnd(head, 0);
  if (end == 0) return {};
  const std::vector<std::uint8_t> volume = ReadSectors(0, end);
  if (volume.empty()) return {};
  const std::string path = tmp / fmt::format("volume-{}.iso", ++exports_);
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(volume.data()), static_cast<std::streamsize>(volume.size()));
  return path;
}

bool DiscTest::DiscIsBlank() { return Vrctl({"status"}).find("disc: blank\n") != std::string::npos; }

fs::path DiscTest::Folder(const std::string& name) {
  const fs::path folder = tmp / name;
  fs::create_directories(folder);
  return folder;
}

}  // namespace kivo::testing
