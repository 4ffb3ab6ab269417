// Every text of the virtual recorder and its control tool, each once.
#pragma once

#include <string_view>

namespace kivo::vdrive::text {

// Identity.
inline constexpr std::string_view kInquiryVendor = "KIVO";
inline constexpr std::string_view kInquiryProduct = "VIRTUAL RECORDER";
inline constexpr std::string_view kInquiryRevision = "1.00";
inline constexpr std::string_view kSerialNumber = "KV0000000001";
inline constexpr std::string_view kAspiManager = "ASPI for WIN32";
inline constexpr std::string_view kAspiAdapter = "KIVO VIRTUAL";

// State folder.
inline constexpr std::string_view kFolderEnvironment = "KIVO_VIRTUAL_RECORDER";
inline constexpr std::string_view kDefaultFolder = "kivo-ardel/virtual-recorder";
inline constexpr std::string_view kStateFile = "state.json";
inline constexpr std::string_view kFaultsFile = "faults.json";
inline constexpr std::string_view kDiscImage = "disc.img";
inline constexpr std::string_view kLockFile = "lock";
inline constexpr std::string_view kReservationFile = "reservation";

// Problems ({} = path, reason).
inline constexpr std::string_view kStateUnreadable =
    "virtual recorder: the state file {} cannot be used ({}); the drive answers as if it held no "
    "medium until a medium is inserted";
inline constexpr std::string_view kFaultsUnreadable =
    "virtual recorder: the fault script {} cannot be used ({}); no faults are injected";
inline constexpr std::string_view kCannotWrite = "virtual recorder: cannot write {}: {}";
inline constexpr std::string_view kCannotOpenFolder = "virtual recorder: cannot use the folder {}: {}";
inline constexpr std::string_view kNoHome = "no folder for the user's data is known (HOME, or LOCALAPPDATA on Windows)";
inline constexpr std::string_view kNotJson = "not valid JSON";
inline constexpr std::string_view kNoMedium = "no medium in the drive";
inline constexpr std::string_view kCannotOpenImage = "cannot open the image {}: {}";
inline constexpr std::string_view kEmptyImage = "the image {} holds no data";
inline constexpr std::string_view kImageTooLarge = "the image {} is larger than a DVD";
inline constexpr std::string_view kCannotReadDisc = "cannot read the disc's data: {}";

// Control tool.
inline constexpr std::string_view kToolDescription = "Controls the virtual recorder kept in DIR.";
inline constexpr std::string_view kUnknownKind = "unknown medium \"{}\" (one of: {})";
inline constexpr std::string_view kBadTimeScale = "the time scale must be a number from 0 to 1000";
inline constexpr std::string_view kBadNumber = "\"{}\" is not a number";
inline constexpr std::string_view kExported = "exported {} sectors to {}";
// Control tool help.
inline constexpr std::string_view kHelpDir = "the recorder's state folder";
inline constexpr std::string_view kHelpInsert = "put a blank medium (or rom:IMAGE) into the drive";
inline constexpr std::string_view kHelpEject = "take the medium out and leave the tray open";
inline constexpr std::string_view kHelpLoad = "close the tray";
inline constexpr std::string_view kHelpStatus = "print the medium, sessions, tracks and next writable address";
inline constexpr std::string_view kHelpExport = "write the disc's user data to an image file";
inline constexpr std::string_view kHelpTimeScale = "scale the drive's durations (0: instant)";
inline constexpr std::string_view kHelpFault = "script a misbehaviour";
inline constexpr std::string_view kHelpBusy = "answer BUSY to a command (OPCODE in hex) COUNT times";
inline constexpr std::string_view kHelpNotReady = "answer NOT READY to a command COUNT times";
inline constexpr std::string_view kHelpSense = "answer a command with sense KEY/ASC/ASCQ (hex) COUNT times";
inline constexpr std::string_view kHelpCorrupt =
    "store changed bytes for writes to COUNT blocks from LBA, answering them as good";
inline constexpr std::string_view kFaultCorrupt = "silent corruption of {} blocks from {}";
inline constexpr std::string_view kHelpKill =
    "end the process that sends a command (OPCODE in hex), as kill -9 would, before the drive takes it";
inline constexpr std::string_view kHelpIgnore = "answer a command GOOD without carrying it out COUNT times";
inline constexpr std::string_view kHelpAfter = "answer this many of the commands normally first";
inline constexpr std::string_view kHelpMediumError = "fail reads and writes of a block (COUNT -1: always)";
inline constexpr std::string_view kHelpReadsOnly = "fail only the reads: the block was recorded well";
inline constexpr std::string_view kHelpNoCapabilities = "refuse MODE SENSE of page 2Ah";
inline constexpr std::string_view kHelpBlockDescriptor = "return mode pages behind a block descriptor";
inline constexpr std::string_view kHelpNoGetConfiguration = "refuse GET CONFIGURATION";
inline constexpr std::string_view kHelpInquiry = "answer INQUIRY with another vendor and product";
inline constexpr std::string_view kHelpClear = "remove every fault";

// Status.
inline constexpr std::string_view kStatusMedium = "medium: {}";
inline constexpr std::string_view kStatusNoMedium = "medium: none (tray {})";
inline constexpr std::string_view kStatusTray = "tray: {}";
inline constexpr std::string_view kTrayOpen = "open";
inline constexpr std::string_view kTrayClosed = "closed";
inline constexpr std::string_view kStatusDisc = "disc: {}";
inline constexpr std::string_view kStatusCapacity = "capacity: {} sectors";
inline constexpr std::string_view kStatusSessions = "sessions: {} complete";
inline constexpr std::string_view kStatusTrack = "track {} (session {}): start {}, size {}, {}";
inline constexpr std::string_view kStatusNextWritable = "next writable address: {}";
inline constexpr std::string_view kStatusNoNextWritable = "next writable address: none";
inline constexpr std::string_view kStatusFormatted = "formatted: {} sectors";
inline constexpr std::string_view kStatusBusy = "busy: {} for {} ms more";
inline constexpr std::string_view kStatusTimeScale = "time scale: {}";
inline constexpr std::string_view kStatusFault = "fault: {}";
inline constexpr std::string_view kStatusProblem = "problem: {}";
inline constexpr std::string_view kStateEmpty = "blank";
inline constexpr std::string_view kStateAppendable = "appendable";
inline constexpr std::string_view kStateClosed = "closed";
inline constexpr std::string_view kStateOverwritable = "overwritable";
inline constexpr std::string_view kStateUnformatted = "unformatted";
inline constexpr std::string_view kStateGrowing = "overwritable, growing";
inline constexpr std::string_view kTrackComplete = "complete";
inline constexpr std::string_view kTrackOpen = "open";
inline constexpr std::string_view kTrackReserved = "reserved";
inline constexpr std::string_view kOperationLongWrite = "long write";
inline constexpr std::string_view kOperationFormat = "format";
inline constexpr std::string_view kFaultBusy = "busy for {:02X}h, {} left";
inline constexpr std::string_view kFaultNotReady = "not ready for {:02X}h, {} left";
inline constexpr std::string_view kFaultSense = "sense {:X}/{:02X}/{:02X} for {:02X}h, {} left";
inline constexpr std::string_view kFaultKill = "kill the sender of {:02X}h";
inline constexpr std::string_view kFaultIgnore = "{:02X}h answered good and dropped, {} left";
inline constexpr std::string_view kFaultAfter = " after {} more";
inline constexpr std::string_view kFaultMediumError = "medium error at {}, {} left";
inline constexpr std::string_view kFaultNoCapabilities = "no mode page 2Ah";
inline constexpr std::string_view kFaultBlockDescriptor = "mode pages behind a block descriptor";
inline constexpr std::string_view kFaultNoGetConfiguration = "GET CONFIGURATION refused";
inline constexpr std::string_view kFaultIdentity = "identity \"{}\" \"{}\"";

}  // namespace kivo::vdrive::text
