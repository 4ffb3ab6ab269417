#include "virtualdrive/StateFolder.h"

#include <cstdlib>

#include "engine/platform/Files.h"
#include "virtualdrive/Strings.h"

namespace kivo::vdrive {

StateFolder::StateFolder(std::string path) : path_(std::move(path)) {}

StateFolder::~StateFolder() = default;

std::string StateFolder::File(std::string_view name) const { return path_ + "/" + std::string(name); }

bool StateFolder::Open(std::string& error) {
  if (lock_.IsOpen()) return true;
  if (!platform::MakeDirectory(path_, &error)) return false;
  return lock_.Open(File(text::kLockFile), &error);
}

StateFolder::Lock::Lock(const StateFolder& folder) : lock_(folder.lock_.IsOpen() ? &folder.lock_ : nullptr) {
  if (lock_ != nullptr) lock_->Lock(platform::FileLock::Kind::Exclusive, true);
}

StateFolder::Lock::~Lock() {
  if (lock_ != nullptr) lock_->Unlock();
}

bool StateFolder::Reserve() {
  if (reserve_.IsOpen()) return true;
  if (!reserve_.Open(File(text::kReservationFile))) return false;
  if (!reserve_.Lock(platform::FileLock::Kind::Exclusive, false)) {
    reserve_.Close();
    return false;
  }
  return true;
}

void StateFolder::Release() { reserve_.Close(); }

// A shared lock that cannot be had means an exclusive one is held: by another recorder, since
// this one holds none.
bool StateFolder::ReservedElsewhere() {
  if (reserve_.IsOpen()) return false;
  if (!probe_.IsOpen() && !probe_.Open(File(text::kReservationFile))) return false;
  if (!probe_.Lock(platform::FileLock::Kind::Shared, false)) return true;
  probe_.Unlock();
  return false;
}

FileStamp StateFolder::Stamp(std::string_view name) const {
  FileStamp stamp;
  const std::string path = File(name);
  const auto entry = platform::StatPath(path);
  const auto id = platform::GetFileId(path);
  if (!entry || !id) return stamp;
  stamp.exists = true;
  stamp.device = id->device;
  stamp.inode = id->inode;
  stamp.size = entry->size;
  stamp.mtimeNs = entry->Stamp();
  return stamp;
}

bool StateFolder::ReadText(std::string_view name, std::string& text, bool& missing, std::string& error) const {
  missing = !Stamp(name).exists;
  if (missing) return false;
  platform::File file;
  if (!file.Open(File(name), platform::File::Mode::Read)) {
    error = file.LastError();
    return false;
  }
  const std::int64_t size = file.Size();
  if (size < 0) {
    error = file.LastError();
    return false;
  }
  text.resize(static_cast<std::size_t>(size));
  if (file.Read(text.data(), size) != size) {
    error = file.LastError();
    return false;
  }
  return true;
}

bool StateFolder::WriteAtomically(std::string_view name, const std::string& text, std::string& error) const {
  const std::string target = File(name);
  const std::string temporary = target + ".tmp";
  platform::File file;
  if (!file.Open(temporary, platform::File::Mode::Create) ||
      file.Write(text.data(), static_cast<std::int64_t>(text.size())) != static_cast<std::int64_t>(text.size())) {
    error = file.LastError();
    return false;
  }
  file.Close();
  return platform::RenameOver(temporary, target, &error);
}

std::string DefaultStateFolder(std::string& error) {
  if (const char* dir = std::getenv(std::string(text::kFolderEnvironment).c_str()); dir && *dir) return dir;
  const std::string data = platform::UserDataFolder();
  if (data.empty()) {
    error = std::string(text::kNoHome);
    return {};
  }
  return data + "/" + std::string(text::kDefaultFolder);
}

}  // namespace kivo::vdrive
