#include "virtualdrive/VirtualRecorder.h"

#include <chrono>
#include <thread>
#include <vector>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include "engine/platform/Files.h"
#include "engine/platform/Process.h"
#include "virtualdrive/Cdb.h"
#include "virtualdrive/Model.h"
#include "virtualdrive/Reservation.h"
#include "virtualdrive/Sense.h"
#include "virtualdrive/StateJson.h"
#include "virtualdrive/Strings.h"

namespace kivo::vdrive {
namespace {

std::int64_t WallClockMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}

// Real time, not the engine's scaled sleep: the drive's durations carry their own scale.
void RealSleep(long ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace

VirtualRecorder::VirtualRecorder(std::string folder, Clock clock, Sleeper sleeper)
    : folder_(std::move(folder)),
      clock_(clock ? std::move(clock) : Clock(WallClockMs)),
      sleeper_(sleeper ? std::move(sleeper) : Sleeper(RealSleep)),
      disc_(folder_.File(text::kDiscImage), false) {}

bool VirtualRecorder::Prepare(std::string& error) {
  if (!folder_.Open(error)) {
    folderProblem_ = fmt::format(fmt::runtime(text::kCannotOpenFolder), folder_.Path(), error);
    error = folderProblem_;
    return false;
  }
  folderProblem_.clear();
  return true;
}

// Takes in what another process (or a hand edit) changed since this process last looked.
void VirtualRecorder::Refresh() {
  const FileStamp stamp = folder_.Stamp(text::kStateFile);
  if (!stateLoaded_ || !(stamp == stateStamp_)) {
    stateLoaded_ = true;
    stateStamp_ = stamp;
    std::string text, error;
    bool missing = false;
    DriveState loaded;
    stateProblem_.clear();
    if (folder_.ReadText(text::kStateFile, text, missing, error)) {
      const auto json = nlohmann::json::parse(text, nullptr, false);
      if (json.is_discarded())
        error = std::string(text::kNotJson);
      else
        StateFromJson(json, loaded, error);
    }
    if (!missing && !error.empty()) {
      stateProblem_ = fmt::format(fmt::runtime(text::kStateUnreadable), folder_.File(text::kStateFile), error);
      loaded = DriveState{};  // no medium, tray closed
    }
    state_ = loaded;
    disc_.Reopen();
    rom_.reset();
  }
  const FileStamp faultStamp = folder_.Stamp(text::kFaultsFile);
  if (!(faultStamp == faultsStamp_)) {
    faultsStamp_ = faultStamp;
    faults_ = {};
    faultsProblem_.clear();
    std::string text, error;
    bool missing = false;
    if (folder_.ReadText(text::kFaultsFile, text, missing, error)) {
      const auto json = nlohmann::json::parse(text, nullptr, false);
      if (json.is_discarded())
        error = std::string(text::kNotJson);
      else
        FaultsFromJson(json, faults_, error);
    }
    if (!missing && !error.empty())
      faultsProblem_ = fmt::format(fmt::runtime(text::kFaultsUnreadable), folder_.File(text::kFaultsFile), error);
  }
}

bool VirtualRecorder::SaveState(std::string& error) {
  // A state file that could not be read is kept for inspection until a control operation
  // replaces it: answering commands must never overwrite it with a guess.
  if (!stateProblem_.empty()) return true;
  if (!folder_.WriteAtomically(text::kStateFile, StateToJson(state_).dump(1), error)) return false;
  stateStamp_ = folder_.Stamp(text::kStateFile);
  return true;
}

bool VirtualRecorder::SaveFaults(std::string& error) {
  if (!faultsProblem_.empty()) return true;
  if (!folder_.WriteAtomically(text::kFaultsFile, FaultsToJson(faults_).dump(1), error)) return false;
  faultsStamp_ = folder_.Stamp(text::kFaultsFile);
  return true;
}

SectorStore& VirtualRecorder::Sectors() {
  if (state_.disc && Info(state_.disc->kind).model == WriteModel::ReadOnly) {
    if (!rom_ || rom_->Path() != state_.disc->romImage)
      rom_ = std::make_unique<FileSectorStore>(state_.disc->romImage, true);
    return *rom_;
  }
  return disc_;
}

ScsiResult VirtualRecorder::Execute(const ScsiRequest& request) {
  ScsiResult result;
  {
    std::lock_guard guard(mutex_);
    std::string error;
    if (!Prepare(error)) return ScsiResult::Check(sense::kNoMediumTrayClosed);
    StateFolder::Lock lock(folder_);
    if (auto answer = AnswerReservation(folder_, request)) return *answer;
    Refresh();
    DriveContext ctx{state_, faults_, Sectors(), clock_()};
    const DriveState before = state_;
    result = ExecuteCommand(ctx, request);
    if (ctx.sectorsCleared) disc_.Clear();
    if ((ctx.stateChanged || !(before == state_)) && !SaveState(error)) {
      // The command's effect could not be kept: report it as the drive's failure rather than
      // pretend it happened.
      state_ = before;
      stateProblem_.clear();
      folderProblem_ = fmt::format(fmt::runtime(text::kCannotWrite), folder_.File(text::kStateFile), error);
      return ScsiResult::Check(sense::kWriteError);
    }
    if (ctx.faultsChanged) SaveFaults(error);
    if (ctx.killSender) platform::KillCurrentProcess();
  }
  if (result.delayMs > 0) sleeper_(result.delayMs);
  return result;
}

std::string VirtualRecorder::Problem() {
  std::lock_guard guard(mutex_);
  TakeInChanges();
  std::string all;
  for (const auto* p : {&folderProblem_, &stateProblem_, &faultsProblem_})
    if (!p->empty()) all += (all.empty() ? "" : "\n") + *p;
  return all;
}

bool VirtualRecorder::Update(const std::function<bool(std::string&)>& change, std::string& error) {
  std::lock_guard guard(mutex_);
  if (!Prepare(error)) return false;
  StateFolder::Lock lock(folder_);
  Refresh();
  const DriveState before = state_;
  const bool hadProblem = !stateProblem_.empty();
  if (!change(error)) {
    state_ = before;
    return false;
  }
  // A deliberate change replaces even an unreadable state file.
  stateProblem_.clear();
  if (!SaveState(error)) {
    state_ = before;
    if (hadProblem) stateLoaded_ = false;
    return false;
  }
  return true;
}

bool VirtualRecorder::Insert(MediumKind kind, std::string& error) {
  return Update(
      [&](std::string& e) {
        if (Info(kind).model == WriteModel::ReadOnly) {
          e = fmt::format(fmt::runtime(text::kUnknownKind), Info(kind).name, "");
          return false;
        }
        if (!disc_.Clear()) {
          e = disc_.LastError();
          return false;
        }
        LoadMedium(state_, BlankDisc(kind));
        state_.preventRemoval = false;
        return true;
      },
      error);
}

bool VirtualRecorder::InsertImage(const std::string& imagePath, std::string& error) {
  platform::File image;
  if (!image.Open(imagePath, platform::File::Mode::Read)) {
    error = fmt::format(fmt::runtime(text::kCannotOpenImage), imagePath, image.LastError());
    return false;
  }
  const std::int64_t size = image.Size();
  const std::int64_t blocks = (size + kBlockSize - 1) / kBlockSize;
  if (blocks <= 0) {
    error = fmt::format(fmt::runtime(text::kEmptyImage), imagePath);
    return false;
  }
  if (blocks > Info(MediumKind::DvdPlusRDl).capacity) {
    error = fmt::format(fmt::runtime(text::kImageTooLarge), imagePath);
    return false;
  }
  const std::string absolute = platform::ResolvedPath(imagePath);
  return Update(
      [&](std::string&) {
        Disc disc;
        disc.kind = blocks > kLargestCd ? MediumKind::DvdRom : MediumKind::CdRom;
        disc.romImage = absolute;
        disc.romBlocks = static_cast<std::uint32_t>(blocks);
        disc.recordedEnd = disc.romBlocks;
        LoadMedium(state_, disc);
        state_.preventRemoval = false;
        return true;
      },
      error);
}

bool VirtualRecorder::Eject(std::string& error) {
  return Update(
      [&](std::string&) {
        state_.disc.reset();
        state_.trayOpen = true;
        state_.preventRemoval = false;
        state_.operation = {};
        state_.simulatedBlocks = 0;
        state_.writeParameters = DefaultWriteParameters(std::nullopt);
        return true;
      },
      error);
}

bool VirtualRecorder::CloseTray(std::string& error) {
  return Update(
      [&](std::string&) {
        state_.trayOpen = false;
        return true;
      },
      error);
}

bool VirtualRecorder::SetTimeScale(double scale, std::string& error) {
  if (!(scale >= 0 && scale <= 1000)) {
    error = std::string(text::kBadTimeScale);
    return false;
  }
  return Update(
      [&](std::string&) {
        state_.timeScale = scale;
        return true;
      },
      error);
}

bool VirtualRecorder::EditFaults(const std::function<void(Faults&)>& edit, std::string& error) {
  std::lock_guard guard(mutex_);
  if (!Prepare(error)) return false;
  StateFolder::Lock lock(folder_);
  Refresh();
  edit(faults_);
  faultsProblem_.clear();
  return SaveFaults(error);
}

bool VirtualRecorder::Export(const std::string& path, std::uint32_t& blocks, std::string& error) {
  std::lock_guard guard(mutex_);
  if (!Prepare(error)) return false;
  StateFolder::Lock lock(folder_);
  Refresh();
  if (!state_.disc) {
    error = std::string(text::kNoMedium);
    return false;
  }
  blocks = state_.disc->recordedEnd;
  platform::File out;
  if (!out.Open(path, platform::File::Mode::Create)) {
    error = out.LastError();
    return false;
  }
  constexpr std::uint32_t kChunk = 512;
  std::vector<std::uint8_t> buffer(std::size_t{kChunk} * kBlockSize);
  SectorStore& sectors = Sectors();
  for (std::uint32_t lba = 0; lba < blocks; lba += kChunk) {
    const std::uint32_t n = std::min(kChunk, blocks - lba);
    const std::int64_t bytes = std::int64_t{n} * kBlockSize;
    if (!sectors.Read(lba, n, buffer.data())) {
      error = fmt::format(fmt::runtime(text::kCannotReadDisc), sectors.LastError());
      return false;
    }
    if (out.Write(buffer.data(), bytes) != bytes) {
      error = out.LastError();
      return false;
    }
  }
  return true;
}

void VirtualRecorder::TakeInChanges() {
  std::string error;
  if (!Prepare(error)) return;
  StateFolder::Lock lock(folder_);
  Refresh();
}

template <typename Value>
Value VirtualRecorder::Look(const Value& member) {
  std::lock_guard guard(mutex_);
  TakeInChanges();
  return member;
}

DriveState VirtualRecorder::State() { return Look(state_); }

Faults VirtualRecorder::CurrentFaults() { return Look(faults_); }

}  // namespace kivo::vdrive
