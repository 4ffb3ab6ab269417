// The burner component: the one object through which the application compiles, lays out and
// records discs and image files. It is the drive component with a compilation added; the
// tree itself lives in CompilationTree, and the methods here add the rules of adding (names,
// events, refusals, capacities, accounting) and the walk over source directories. The layout
// values it carries are those of TLayoutValues; the structures they place are built by the
// writers beside this file (volume descriptors, path tables, directory records, boot catalog).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/drive/TSCSIDevice.h"
#include "engine/iso/CompilationTree.h"
#include "engine/iso/DateTime.h"
#include "engine/iso/DirectoryRecords.h"
#include "engine/iso/Entries.h"
#include "engine/iso/LayoutValues.h"
#include "engine/iso/Streams.h"
#include "engine/platform/Files.h"

namespace kivo {

class TZelvoBurner;
struct RecordedContent;

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

// A file on the disc against a local one.
enum class FileComparison { Same, Differs, DiscUnreadable, LocalUnreadable };

inline constexpr std::int32_t kDefaultCacheSize = 4194304;
inline constexpr std::int32_t kMinimumCacheSize = 2097152;

class TZelvoBurner : public TSCSIDevice, public TLayoutValues {
 public:
  explicit TZelvoBurner(void* Owner = nullptr);
  ~TZelvoBurner() override;

  // --- published properties (the drive's own are inherited from TSCSIDevice) ---
  bool ASPIInitialized() const { return TransportLoaded(); }
  bool ReplaceFile = false;  // a file added under a name its directory holds takes that entry over
  // Sources of 4 GiB or more are taken in and written as several extents (ISO 9660 level 3),
  // which older readers see as separate parts. Imported files are taken in either way.
  bool LargeFiles = false;
  bool FinalizeTrack = true;
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
  std::int16_t TimeZoneOffset = 0;  // standard-time offset from UTC in 15-minute units, for dates that have none of their own

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

  // --- layout and image ---
  // Orders the directories, gives every structure and every file its sector and computes all
  // sizes; returns 1. Disc mode (ImageMode false) first asks the drive for the medium and, when
  // requested, the session start, and imports ImportSessionNumber into ImportDir (null: root).
  std::int32_t PrepareLayout(bool ImageMode, TDEntry* ImportDir);
  // Writes HeaderStream from the values of the last PrepareLayout and remembers ImportDir for
  // the recording start; returns true.
  bool BuildHeader(TDEntry* ImportDir);
  // The same header written front to back into out, which keeps nothing of it in memory (the
  // quick save writes it straight into the image); HeaderStream is left as it was.
  bool WriteHeader(TDEntry* ImportDir, TStreamEx& out);
  // Sectors this session writes; at least 300 with WritePostGap.
  std::int64_t ImageSize() const;
  // Writes the compilation as an image file. Quick: on this thread; OnWriteDone reports the
  // end (an empty error on success) before it returns 1, or 0 after a failure. Not quick: the
  // streamed save of the recording threads, which returns -1 at once. (The recording side
  // owns this entry point; the quick path is SaveISOQuick.)
  std::int32_t SaveISO(const std::string& FileName, bool Quick);
  std::int32_t SaveISOQuick(const std::string& FileName);

  // The system area and the volume descriptors of the last BuildHeader, for rewriting the start
  // of overwritable media: 65537 bytes, 0xFF beyond the first LeadingHeaderBytes.
  std::vector<std::uint8_t> LeadingHeaderCopy;
  std::int32_t LeadingHeaderBytes = 0;
  // Set by the recording start while it lays out a session that must begin at the drive's
  // next writable address.
  bool SessionStartRequested = false;
  // The ImportDir of the last BuildHeader (null until then, and after a reset).
  TDEntry* RememberedImportDir() const { return importDir_; }

  // --- recording (defined with the recording threads) ---
  // Starts the recording of the laid-out compilation; true when the writer thread started.
  bool RecordCompilation();
  bool StartWriter(bool ToFile);
  void AbortRecording();
  // The cache's fill in percent while a writer runs; 0 otherwise.
  std::int32_t CacheFillPercent() const;
  // Records an existing image file from sector 0; true when the writer thread started.
  bool RecordImageFile(const std::string& FileName);
  // Starts a quick or full erase; true when the drive took the command and the thread runs.
  bool StartErase(bool Quick);
  // Bytes handed to the drive or the image file by the running writer.
  std::atomic<std::int64_t> BytesWritten{0};
  // What the last recording read from its sources, fingerprinted for the check of the disc
  // afterwards; null while a recording starts or runs, after one that failed, and before any.
  std::shared_ptr<const RecordedContent> LastRecordedContent();

  // --- steps that belong to recording discs ---
  // Sets SessionStart to the drive's next writable address; false when it cannot be learnt.
  bool FindSessionStart();
  // Adds a session of the disc (1 = first, -1 = last) below Dir (null: the root).
  bool ImportSession(std::int8_t Session, TDEntry* Dir);
  // Copies an imported file's data from the disc into DestFileName (created or overwritten) and
  // gives it the entry's date; 1 when done. A failure is reported and returns 0 with no
  // destination file left behind, so that nothing partial looks complete.
  std::int32_t ExtractFile(TFEntry* Entry, const std::string& DestFileName);
  // The entry's data on the disc against a local file, byte for byte (a size that differs
  // needs no reading). A read that fails is said in the log, type 0.
  FileComparison CompareFile(const TFEntry& Entry, const std::string& LocalPath);

 private:
  // The writer thread raises OnWriteDone through RaiseWriteDone.
  friend class TThWrite;

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

  void PrepareDiscSession(TDEntry* importDir);
  std::int64_t BootImageFileSize() const;
  void AllocateSectors();
  // The hidden record of the boot image in the root of a tree (null when not bootable).
  std::optional<AddedRecord> RootAddition(DirectoryTree tree, TDateTime now) const;
  void AssignFileAddresses();
  std::int64_t HeaderSectors() const;
  void CopyLeadingHeader(const std::vector<std::uint8_t>& written);
  std::int32_t SaveISOStreamed(const std::string& fileName);
  // The starters' wait for ActiveCache: StartWriter once it is primed; false after raising
  // OnWriteDone with its Status when it failed first.
  bool StartWriterWhenPrimed(bool ToFile);
  // OnWriteDone on the main thread (the caller waits until it has run).
  void RaiseWriteDone(const std::string& error);
  void KeepRecordedContent(std::shared_ptr<const RecordedContent> content);
  // Takes the drive for a recording before any command that could change the disc or the
  // drive's settings. When another program holds it, the recording ends at once with that as
  // its result.
  bool ClaimForRecording();
  // Ends a recording before its writer runs: the drive is let go, then OnWriteDone is raised,
  // so that whoever hears of the end finds the drive free.
  void EndRecording(const std::string& error);

  CompilationTree tree_;
  std::int32_t cacheSize_ = kDefaultCacheSize;
  bool archiveNoteGiven_ = false;
  // The modification time (Stamp) each file added in archive-only mode had when it was added;
  // its size then is its Size. A file written while it was being recorded keeps its archive
  // bit. Kept here, not in the entries, as few compilations are made in that mode.
  std::unordered_map<const TFEntry*, std::int64_t> archiveStamps_;
  TDEntry* importDir_ = nullptr;
  std::shared_ptr<const RecordedContent> recordedContent_;  // under Lock(): the writer sets it
  TFEntry bootEntry_;  // the names of the boot image's record, chosen by the layout
};

}  // namespace kivo
