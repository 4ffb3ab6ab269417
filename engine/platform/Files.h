// The file system as the engine sees it: directory search with 8.3 aliases and Windows-style
// attributes, and 64-bit file handles. Failures come back as values with the system's reason.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace kivo::platform {

enum FileAttribute : std::uint32_t {
  kAttrReadOnly = 0x01,   // the owner has no write permission
  kAttrHidden = 0x02,     // the name starts with "."
  kAttrDirectory = 0x10,
  kAttrArchive = 0x20,    // changed since the last recording (see ClearArchiveMark)
};

// What a name stands for, links followed. Only regular files and directories have content that
// can be recorded.
enum class SourceKind : std::uint8_t {
  Regular,
  Directory,
  Special,     // a socket, a FIFO or a device node
  BrokenLink,  // a symbolic link that leads nowhere, or round in a loop
};

// A file's size and modification time (Stamp) at one moment: a file whose version moved has
// been written to in between.
struct FileVersion {
  std::int64_t size = -1;
  std::int64_t stamp = 0;
  bool operator==(const FileVersion&) const = default;
};

struct DirEntry {
  std::string name;        // the long name, as the file system holds it
  std::string alias;       // generated 8.3 alias; empty when the name already fits 8.3
  std::uint32_t attributes = 0;
  std::uint64_t size = 0;  // 0 for directories
  std::int64_t mtime = 0;  // last write, seconds since 1970-01-01 UTC
  std::int32_t mtimeNanoseconds = 0;  // within mtime's second

  // The modification time in nanoseconds since 1970: what tells one version of a file from the next.
  std::int64_t Stamp() const { return mtime * 1'000'000'000 + mtimeNanoseconds; }
  FileVersion Version() const { return {static_cast<std::int64_t>(size), Stamp()}; }
  SourceKind kind = SourceKind::Regular;
};

struct DirListing {
  std::vector<DirEntry> entries;  // without "." and "..", sorted by upper-cased name
  std::string error;              // empty on success, else "<path>: <reason>"
  // False when the file system keeps no extended attributes: every file then carries the
  // archive attribute, and the caller should say so once.
  bool archiveMarksSupported = true;
  bool ok() const { return error.empty(); }
};

// Reads one directory. Symbolic links are followed for the entry's kind and size; a link that
// leads nowhere (or round in a loop) is listed as a BrokenLink file of size 0 with its own time.
// Aliases are unique within the directory.
DirListing ListDirectory(const std::string& path);

// One path's entry (the alias is computed as if the name stood alone in its directory).
std::optional<DirEntry> StatPath(const std::string& path, std::string* error = nullptr);

// Whether path (links followed) is a regular file that the system lets us open for reading, asked
// without waiting for a FIFO's writer or touching a device. Its size goes to *size; a file that is
// missing or may not be read leaves "<path>: <reason>" in *error.
enum class ReadableFile { Yes, NotRegular, Unreadable };
ReadableFile CheckReadableFile(const std::string& path, std::int64_t* size = nullptr, std::string* error = nullptr);

// Identity of a directory, to notice a symbolic-link loop during a recursive walk.
struct FileId {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  bool operator==(const FileId&) const = default;
};
std::optional<FileId> GetFileId(const std::string& path);

// Generates the 8.3 alias for a long name, given the aliases already taken in its directory
// (upper-cased). Empty when the name is already a valid 8.3 name in upper case.
std::string MakeShortAlias(const std::string& longName, const std::vector<std::string>& taken);

// Sets the read-only and archive attributes (the others follow the file's name and kind).
// Clearing the archive attribute records the file's current modification time in the extended
// attribute "user.kivoardel.archived"; a file written later carries the attribute again.
bool SetFileAttributes(const std::string& path, std::uint32_t attributes, std::string* error = nullptr);

// Whether the file system holding path keeps the archive mark (extended attributes).
bool ArchiveMarksSupported(const std::string& path);

// Sets the last-write time (seconds since 1970 UTC).
bool SetFileTime(const std::string& path, std::int64_t mtime, std::string* error = nullptr);

bool RemoveFile(const std::string& path, std::string* error = nullptr);
// Renames from to to in one step; a file already at to is replaced (readers see the old file or
// the new one, never neither).
bool RenameOver(const std::string& from, const std::string& to, std::string* error = nullptr);
// The folder a path names its last part in: "." for a bare name, "/" for one in the root.
std::string ParentFolder(const std::string& path);
// The absolute path with every link, "." and ".." resolved, to tell whether two paths name the
// same place. A last part that does not exist yet is kept as given; a path that cannot be
// resolved at all comes back as it is.
std::string ResolvedPath(const std::string& path);
bool MakeDirectory(const std::string& path, std::string* error = nullptr);  // parents included
// Creates one folder in an existing parent. A folder already there is fine; a symbolic link or
// anything else in its place is refused ("Not a directory"), so that what is written below it
// cannot land wherever a link leads.
bool MakeFolder(const std::string& path, std::string* error = nullptr);
// Whether anything has this name, a link that leads nowhere included.
bool PathTaken(const std::string& path);

// The folder of the running executable (for finding libraries beside it).
std::string ExecutableDirectory();
// Where programs keep their user's data: ~/.local/share (the home folder from $HOME, else the
// password database) on Linux, %LOCALAPPDATA% on Windows. Empty when there is none.
std::string UserDataFolder();

// A 64-bit file handle. Reads and writes loop over short transfers and interruptions, so a
// short count means end of file or an error (then LastError() says which).
class File {
 public:
  enum class Mode {
    Read,
    ReadWrite,
    Create,     // create or truncate, read and write
    CreateNew,  // create a file that does not exist yet (not even as a dangling link), read and write
  };

  File() = default;
  ~File();
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  bool Open(const std::string& path, Mode mode);
  // False when the system reported a failure (LastError says which); the handle is closed
  // either way.
  bool Close();
  bool IsOpen() const { return fd_ >= 0; }

  // Bytes transferred; fewer than asked means end of file (Read) or an error.
  std::int64_t Read(void* buffer, std::int64_t count);
  std::int64_t Write(const void* buffer, std::int64_t count);
  // Reads into the pieces in order with as few system calls as the system allows: one for a
  // whole run of buffers that a single read would need many for.
  std::int64_t ReadScattered(std::span<const std::span<std::uint8_t>> pieces);
  // Reads at an absolute position without moving the file pointer.
  std::int64_t ReadAt(void* buffer, std::int64_t count, std::int64_t position);
  std::int64_t WriteAt(const void* buffer, std::int64_t count, std::int64_t position);

  enum class Origin { Begin = 0, Current = 1, End = 2 };
  // New position, or -1 on failure.
  std::int64_t Seek(std::int64_t offset, Origin origin);
  std::int64_t Size() const;  // -1 on failure
  FileVersion Version() const;  // size -1 on failure
  bool SetSize(std::int64_t size);
  // Makes count bytes from position read as zeros without keeping storage for them (a hole in
  // a sparse file); the size stays. False when the file system cannot, or on failure.
  bool PunchHole(std::int64_t position, std::int64_t count);
  bool Flush();                // data reaches the disk (fsync)
  // Tells the system that the first bytes will be read soon, so that the disk fetches them
  // while other work goes on. Only a hint: nothing changes but the timing.
  void AnnounceRead(std::int64_t bytes);

  // The failure of this handle's last transfer as "<path>: <reason>", empty when none (each
  // read or write starts afresh; other calls keep the text until the next failure).
  const std::string& LastError() const { return error_; }
  const std::string& Path() const { return path_; }
  // The name failures give from now on, for a file that stands in for another.
  void NameInErrors(std::string name) { path_ = std::move(name); }

 private:
  bool Fail(int err);
  template <typename Step>
  std::int64_t Transfer(std::int64_t count, Step step);
  int fd_ = -1;
  std::string path_;
  std::string error_;
};

}  // namespace kivo::platform
