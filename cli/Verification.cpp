#include "cli/Verification.h"

#include <fmt/format.h>

#include <atomic>
#include <iostream>
#include <thread>
#include <unordered_map>

#include "cli/DiscSession.h"
#include "cli/Progress.h"
#include "cli/Strings.h"
#include "engine/platform/Files.h"
#include "engine/record/Recording.h"

namespace kivo::cli {

namespace {

void Print(std::string_view format, const std::string& subject) {
  std::cout << fmt::format(fmt::runtime(format), subject);
}

// The compilation's files that carry data, by entry, with their paths on the disc.
std::unordered_map<const TFEntry*, std::string> RecordedPaths(const TZelvoBurner& compilation) {
  std::unordered_map<const TFEntry*, std::string> paths;
  ForEachEntry(compilation.RootDirectory(), [&paths](const TFEntry& entry, const std::string& path) {
    if (!entry.CarriesData()) return;
    paths[&entry] = path.substr(0, path.size() - entry.LongName.size()) + LocalName(entry.LongName);
  });
  return paths;
}

DiscCheck CheckWithProgress(TZelvoBurner& burner, const RecordedContent& content) {
  std::atomic<std::int64_t> read{0};
  std::atomic<bool> done{false};
  DiscCheck check;
  // The recording's abort flag stops the check as it stops a recording.
  WriteAborted = false;
  InterruptGuard interrupts;
  // The check is handed over by the join below, not by the flag: the flag only ends the wait.
  std::thread worker([&] {
    check = CheckRecordedContent(burner, content, read, WriteAborted);
    done.store(true);
  });
  WaitHooks hooks;
  hooks.done = [&done] { return done.load(); };
  hooks.interrupted = [] { WriteAborted = true; };
  hooks.progress = [&read, &content] {
    return fmt::format(fmt::runtime(text::kVerifyProgress), static_cast<double>(read.load()) / kMegabyte,
                       static_cast<double>(content.StreamBytes) / kMegabyte);
  };
  WaitOnMainThread(hooks);
  worker.join();
  if (check.Aborted) std::cout << text::kVerifyStopped;
  return check;
}

}  // namespace

std::map<std::string, const TFEntry*> DiscFiles(const TZelvoBurner& session) {
  std::map<std::string, const TFEntry*> files;
  ForEachEntry(session.RootDirectory(), [&files](const TFEntry& entry, const std::string& path) {
    if (entry.IsDirectory()) return;
    const std::string folder = path.substr(0, path.size() - entry.LongName.size());
    files[folder + LocalName(entry.LongName)] = &entry;
  });
  return files;
}

void Verification::Compare(TZelvoBurner& session, const std::string& path, const TFEntry& entry,
                           const std::string& local) {
  switch (session.CompareFile(entry, local)) {
    case FileComparison::Same: return Count(path, FileVerdict::Verified);
    case FileComparison::Differs: return Count(path, FileVerdict::Differs);
    case FileComparison::DiscUnreadable: return Count(path, FileVerdict::Unreadable);
    case FileComparison::LocalUnreadable: break;
  }
  Print(text::kLocalUnreadable, path);
  ++unreadable_;
}

void Verification::Count(const std::string& path, FileVerdict verdict) {
  switch (verdict) {
    case FileVerdict::Verified: ++verified_; return;
    case FileVerdict::Differs: Print(text::kDiffers, path); ++differ_; return;
    case FileVerdict::Unreadable: Print(text::kDiscUnreadable, path); ++unreadable_; return;
    case FileVerdict::Changed: Print(text::kChanged, path); ++changed_; return;
  }
}

void Verification::Missing(const std::string& path) {
  Print(text::kMissing, path);
  ++missing_;
}

void Verification::Extra(const std::string& path) {
  Print(text::kExtra, path);
  ++extra_;
}

int Verification::Finish(bool whole) {
  if (differ_ + changed_ + missing_ + extra_ + unreadable_ == 0 && whole) {
    std::cout << fmt::format(fmt::runtime(text::kAllVerified), verified_);
    return 0;
  }
  std::cout << fmt::format(fmt::runtime(text::kVerifySummary), verified_, differ_, missing_, extra_, unreadable_);
  if (changed_ != 0) std::cout << fmt::format(fmt::runtime(text::kChangedCount), changed_);
  std::cout << '\n';
  return 1;
}

std::optional<RecordingCheck> CheckLastRecording(TZelvoBurner& burner, std::string_view heading) {
  std::cout << heading << std::flush;
  auto content = burner.LastRecordedContent();
  if (!content) {
    std::cout << text::kNothingToVerify;
    return std::nullopt;
  }
  DiscCheck check = CheckWithProgress(burner, *content);
  if (check.Aborted) return std::nullopt;
  return RecordingCheck{std::move(content), std::move(check)};
}

int VerifyRecording(TZelvoBurner& compilation) {
  const auto checked = CheckLastRecording(compilation, text::kVerifyingSession);
  if (!checked) return 1;
  const auto& [content, check] = *checked;
  const auto paths = RecordedPaths(compilation);
  Verification verification;
  for (std::size_t i = 0; i < check.Files.size(); ++i) {
    const auto found = paths.find(content->Files[i].Entry);
    verification.Count(found == paths.end() ? content->Files[i].Entry->SourcePath : found->second, check.Files[i]);
  }
  for (const SectorRange& range : check.UnreadableStructures) {
    std::cout << fmt::format(fmt::runtime(text::kDirectoryAreaUnreadable), range.First, range.First + range.Count - 1);
  }
  if (check.StructuresDiffer) std::cout << text::kDirectoryAreaDiffers;
  return verification.Finish(check.UnreadableStructures.empty() && !check.StructuresDiffer);
}

}  // namespace kivo::cli
