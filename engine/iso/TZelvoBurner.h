// The burner component: the one object through which the application compiles, lays out and
// records discs and image files. It is the drive component with a compilation added; the
// tree itself lives in CompilationTree, and the methods here add the rules of adding (names,
// events, refusals, capacities, accounting) and the walk over source directories.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/drive/TSCSIDevice.h"
#include "engine/iso/CompilationTree.h"
#include "engine/iso/DateTime.h"
#include "engine/iso/Entries.h"
#include "engine/iso/Streams.h"
#include "engine/platform/Files.h"

namespace kivo {

class TZelvoBurner;

// OnAddFile: the handler may change LongFileName, ShortFileName, DateTime and Skip. Skip
// arrives set when the long name cannot be written in a Joliet record (more than 108 UTF-16
// units); a handler that clears it must also shorten the name, or the file is refused with a
// message.
using TAddFileEvent = std::function<void(TZelvoBurner* Sender, const std::string& FullPath,
                                         std::string& LongFileName, std::string& ShortFileName,
                                         TDateTime& DateTime, std::int32_t Attr, std::int64_t FileSize,
                                         bool& Skip)>;
// OnAddDir: only Skip has an effect; directories keep the names of the directory search.
using TAddDirEvent =
    std::function<void(TZelvoBurner* Sender, std::string& LongName, std::string& ShortName, bool& Skip)>;
using TWriteDoneEvent = std::function<void(TZelvoBurner* Sender, const std::string& Error)>;
using TEraseDoneEvent = std::function<void(TZelvoBurner* Sender, bool WithError)>;
using TNotifyEvent = std::function<void(TZelvoBurner* Sender)>;

inline constexpr std::int32_t kDefaultCacheSize = 4194304;
inline constexpr std::int32_t kMinimumCacheSize = 2097152;
// A file's data length is a 32-bit field of its directory record.
inline constexpr std::uint64_t kMaxFileSize = 0xFFFFFFFFull;

class TZelvoBurner : public TSCSIDevice {
 public:
  explicit TZelvoBurner(void* Owner = nullptr);
  ~TZelvoBurner() override;

  // --- published properties (the drive's own are inherited from TSCSIDevice) ---
  bool ASPIInitialized() const { return TransportLoaded(); }
  bool UnderrunProtection = true;
  bool FinalizeDisc = false;
  bool TestWrite = false;
  bool ReplaceFile = false;  // a file added under a name its directory holds takes that entry over
  bool FinalizeTrack = true;
  bool PerformOPC = false;
  std::string IdVolume, IdSystem, IdVolumeSet, IdPublisher, IdPreparer, IdApplication;
  std::string FileCopyright, FileAbstract, FileBibliographic;
  TDateTime DateCreation = 0;
  TDateTime DateModification = 0;
  TDateTime DateEffective = 0;   // kept for the interface: descriptors carry the zero date
  TDateTime DateExpiration = 0;  // likewise
  std::int32_t CacheSize() const { return cacheSize_; }
  // Below 2097152 stores 2097152; otherwise the value rounded down to a multiple of 2048.
  void SetCacheSize(std::int32_t Value);
  std::string ISOFileName;
  bool JolietFileSystem = true;
  TAddFileEvent OnAddFile;
  TAddDirEvent OnAddDir;
  TWriteDoneEvent OnWriteDone;
  TNotifyEvent OnFinalizingTrack;
  TEraseDoneEvent OnEraseDone;
  // Always "1.23": the setter ignores every value.
  std::string Version() const;
  void SetVersion(const std::string& Value);
  bool WritePostGap = true;

  // --- further state ---
  bool Bootable = false;
  std::string BootImage;
  std::int16_t ImportSessionNumber = 0;
  bool KeepLastFolderOnly = false;
  TMemoryStreamEx HeaderStream;
  std::int64_t CompilationBytes = 0;  // data added, each file rounded up to whole sectors
  bool LayoutValid = false;
  std::int16_t TimeZoneOffset = 0;  // local offset from UTC in 15-minute units (standard time)

  std::int32_t MaxFiles() const { return tree_.MaxFiles(); }
  std::int32_t MaxDirectories() const { return tree_.MaxDirectories(); }
  const std::vector<TDEntry*>& DirList() const { return tree_.DirList(); }
  std::vector<TDEntry*>& IsoDirOrder() { return tree_.IsoDirOrder(); }
  std::vector<TDEntry*>& JolietDirOrder() { return tree_.JolietDirOrder(); }
  const std::vector<TFEntry*>& FileList() const { return tree_.FileList(); }
  TDEntry* RootDirectory() const { return tree_.Root(); }

  // --- the compilation ---
  bool ResetCompilation(std::int32_t MaxFiles, std::int32_t MaxDirectories);
  std::int32_t DirectoryCount() const;  // without the root
  std::int32_t FileCount() const;       // files and directories' entries

  // 1 when the source was found and offered to AddFileEntry, -1 when it was not found, 0 when
  // the destination path is invalid.
  std::int32_t AddFile(const std::string& DestPath, const std::string& FileName, bool SavePath);
  // The result of the last step (1 or 0); 0 when a capacity stopped the walk.
  std::int32_t AddDirectory(TDEntry* DestDir, const std::string& SourceDir, bool ArchiveOnly,
                            bool SavePath, bool Recursive, std::int32_t Attributes,
                            const std::string& Mask);
  // 1 when added or taken over, 0 when skipped or refused.
  std::int32_t AddFileEntry(TDEntry* Dir, const platform::DirEntry& SearchRec, bool ArchiveOnly,
                            std::int32_t ImportedAddress, const std::string& FullPath);
  // The new or the existing directory of that path; null when refused or a capacity is full.
  TDEntry* AddDirectoryEntry(TDEntry* Parent, const platform::DirEntry& SearchRec);
  TDEntry* NewDirectory(TDEntry* Parent, const std::string& Name, std::int32_t Attr);
  TDEntry* MakeDirectoryPath(const std::string& Path);
  TDEntry* FindDirectory(const std::string& Path) const;
  TFEntry* FindFileEntry(const TDEntry* Dir, const std::string& LongName) const;
  bool DeleteEntry(TDEntry* Dir, TFEntry* Entry);
  bool DeleteEntryByName(const std::string& DirPath, const std::string& LongName);
  // Sets Dir to null when it was removed.
  bool DeleteDirectory(TDEntry*& Dir);
  bool RemoveEmptyDirectories();
  bool ClearArchiveAttributes();
  // Bytes of the files below a source directory (Path ending with "/"), or of what Path names
  // (a file, a directory, or a mask such as "/data/*.txt").
  std::int64_t SourceDirectorySize(const std::string& Path);

 private:
  struct PlacedDirectory {
    TDEntry* dir = nullptr;
    bool full = false;  // refused for want of capacity: the walk must stop
  };
  struct WalkOptions {
    bool archiveOnly = false;
    bool recursive = false;
    std::int32_t attributes = 0;
    std::string mask;
  };
  struct Walk {
    WalkOptions options;
    std::vector<platform::FileId> ancestors;  // source directories being read, for loops
    bool stopped = false;
  };

  PlacedDirectory PlaceDirectory(TDEntry* parent, const platform::DirEntry& rec);
  std::int32_t AddDirectoryContents(TDEntry* dest, const std::string& sourceDir, Walk& walk);
  bool EnterSource(const std::string& sourceDir, std::vector<platform::FileId>& ancestors,
                   platform::DirListing& listing);
  std::int64_t TreeSize(const std::string& sourceDir, const std::string& mask,
                        std::vector<platform::FileId>& ancestors);
  void Report(std::string_view format, const std::string& subject, std::uint8_t type = 4);

  CompilationTree tree_;
  std::int32_t cacheSize_ = kDefaultCacheSize;
  bool archiveNoteGiven_ = false;
};

}  // namespace kivo
