// Every fixed text of the drive subsystem, each once. Engine texts are English upper case and
// are shown to the user exactly as written here.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace kivo::text {

// Outcome of a command, from the ASPI status, host adapter status and target status.
inline constexpr std::string_view kOperationAborted = "OPERATION ABORTED BY USER";
inline constexpr std::string_view kCheckCondition = "CHECK CONDITION";
inline constexpr std::string_view kTargetBusy = "TARGET BUSY";
inline constexpr std::string_view kReservationConflict = "TARGET RESERVATION CONFLICT";
inline constexpr std::string_view kQueueFull = "TARGET QUEUE FULL";
inline constexpr std::string_view kCommandTimeout = "COMMAND TIMEOUT";
inline constexpr std::string_view kSrbTimeout = "SRB TIMEOUT";
inline constexpr std::string_view kMessageReject = "MESSAGE REJECT";
inline constexpr std::string_view kBusReset = "BUS RESET";
inline constexpr std::string_view kParityError = "PARITY ERROR";
inline constexpr std::string_view kRequestSenseFailed = "REQUEST SENSE FAILED";
inline constexpr std::string_view kSelectionTimeout = "SELECTION TIMEOUT";
inline constexpr std::string_view kDataOverrun = "DATA OVERRUN";
inline constexpr std::string_view kUnexpectedBusFree = "UNEXPECTED BUS FREE";
inline constexpr std::string_view kInvalidRequest = "INVALID REQUEST";
inline constexpr std::string_view kInvalidHostAdapter = "INVALID HOST ADAPTER";
inline constexpr std::string_view kNoDevice = "NO DEVICE";
inline constexpr std::string_view kInvalidSrb = "INVALID SRB";
inline constexpr std::string_view kBufferAlignment = "BUFFER ALIGNMENT";
inline constexpr std::string_view kAspiBusy = "ASPI IS BUSY";
inline constexpr std::string_view kBufferTooBig = "BUFFER TOO BIG";
inline constexpr std::string_view kUnknown = "UNKNOWN";
// A request the system did not pass on to the drive, with the system's reason.
inline constexpr std::string_view kSystemError = "SYSTEM ERROR: %s";

// Sense key 0 names the flag bit that is set instead of a key.
inline constexpr std::string_view kFilemark = "FILEMARK";
inline constexpr std::string_view kEndOfMedia = "END OF MEDIA";
inline constexpr std::string_view kIllegalLength = "ILLEGAL LENGTH";
inline constexpr std::string_view kNoAdditionalSense = "NO ADDITIONAL SENSE INFORMATION";

// Sense keys 1 to 15; an empty entry keeps "CHECK CONDITION" (keys 0, 9 and 12).
std::string_view SenseKeyText(std::uint8_t key);

struct AdditionalSense {
  std::uint8_t asc;
  std::uint8_t ascq;
  std::string_view text;
};
// Sorted by (ASC, ASCQ).
std::span<const AdditionalSense> AdditionalSenseTable();

struct CommandName {
  std::uint8_t code;
  std::string_view name;  // without the padding to 22 characters
};
std::span<const CommandName> NamedCommands();

// Drive selection and discovery.
inline constexpr std::string_view kInvalidDevice = "INVALID DEVICE ID / NOT A CD OR DVD DRIVE";
inline constexpr std::string_view kWriteOnceNotSupported = " (nije podržano)";
inline constexpr std::string_view kNoLabel = "?";
// Placed before a misaligned data buffer's address.
inline constexpr std::string_view kMisalignedBuffer = "aaaa";
// A drive node that exists but cannot be opened: node, reason.
inline constexpr std::string_view kNodeNotOpened =
    "CANNOT OPEN %s (%s): DRIVE LEFT OUT - THE USER MAY NEED TO BE IN THE 'cdrom' GROUP";

// A recording or an erase that finds the drive claimed by another process or program.
inline constexpr std::string_view kDriveInUse = "THE DRIVE IS IN USE BY ANOTHER PROGRAM";

// Transport names and the pass-through adapter's identity.
inline constexpr std::string_view kPassThroughName = "KVASPI32";
inline constexpr std::string_view kAspiLibraryName = "WNASPI32.DLL";
inline constexpr std::string_view kPassThroughManager = "KIVO ARDEL SG_IO";
inline constexpr std::string_view kPassThroughAdapter = "SPTI %d";

// Media kinds 0 to 15 by number (kind 7 is never produced but keeps its name).
inline constexpr std::array<std::string_view, 16> kMediaNames = {
    "UNKNOWN", "CD-ROM", "CD-R",   "CD-RW",  "DVD-ROM",  "DVD-R",    "DVD-RAM", "DVD-RW",
    "DVD-RW",  "DVD-RW", "DVD+RW", "DVD+R",  "DVD+R DL", "DDCD-ROM", "DDCD-R",  "DDCD-RW",
};
// The media name of the disc information record by current profile; "???????" for a profile
// without a name.
std::string_view ProfileName(std::uint16_t profile);

// A track number beyond the one byte that READ TRACK INFORMATION is given here.
inline constexpr std::string_view kTrackNumberTooLarge = "TRACK NUMBER OUT OF RANGE";

}  // namespace kivo::text
