// Every fixed text of the recording subsystem, each once. Engine texts are English upper case
// and reach the user exactly as written here; "%s" and "%d" are filled with fmt::sprintf.
#pragma once

#include <string_view>

namespace kivo::recordtext {

// Results of a recording (the cache's Status).
inline constexpr std::string_view kCannotOpenFile =
    "CAN'T OPEN FILE \"%s\" OR FILE IS IN USES BY OTHER SOFTWARE";
inline constexpr std::string_view kInternalError0005 = "INTERNAL ERROR 0005";
// A read that failed (not a file that merely ended): recording zeros instead would report
// success over lost data.
inline constexpr std::string_view kCannotReadFile = "CAN'T READ FILE \"%s\" (%s)";
inline constexpr std::string_view kOperationAborted = "OPERATION ABORTED BY USER";

// Results of the writer.
inline constexpr std::string_view kMediumChanged =
    "THE DISC IN THE DRIVE CHANGED AFTER THE RECORDING WAS PREPARED, NOTHING WAS WRITTEN";
inline constexpr std::string_view kWriterError = "WRITER ERROR [%s]";
inline constexpr std::string_view kWriterBusy = "WRITER BUSY/BUFFER FULL";
inline constexpr std::string_view kCannotCreateFile = "CAN'T CREATE FILE \"%s\"";
// A write to the image file that moved fewer bytes than asked (a full disk, a size limit):
// reporting success would leave a truncated image behind. %s is "<path>: <reason>".
inline constexpr std::string_view kCannotWriteFile = "CAN'T WRITE FILE %s";
// Waits for the drive that would otherwise last for ever; %d is the bound in minutes.
inline constexpr std::string_view kDvdRwPreparationTimedOut =
    "DVD-RW FORMAT DID NOT FINISH WITHIN %d MINUTES";
// A DVD-RW whose earlier sessions the format before a new session would erase.
inline constexpr std::string_view kDvdRwHoldsSessions =
    "THE DVD-RW HOLDS SESSIONS RECORDED SEQUENTIALLY THAT FORMATTING WOULD ERASE, NOTHING WAS WRITTEN";
inline constexpr std::string_view kDvdRwCannotGrow =
    "THE DVD-RW REFUSED TO GROW ITS FORMATTED AREA [%s]; A NEW FORMAT WOULD ERASE ITS FILES, NOTHING WAS WRITTEN";
inline constexpr std::string_view kDvdPlusRwFormatTimedOut =
    "DVD+RW FORMAT DID NOT FINISH WITHIN %d MINUTES";
// The drive refused to write out its buffer, or to close what was written: the disc is not
// what a finished recording leaves, whatever the writes before said.
inline constexpr std::string_view kSyncFailed = "SYNCHRONIZE CACHE FAILED [%s]";
inline constexpr std::string_view kCloseFailed = "CLOSING THE SESSION FAILED [%s]";
// A write-once disc whose last session a recording left open takes no further session until
// that session is closed; %d is the open track.
inline constexpr std::string_view kClosingSessionLeftOpen =
    " CLOSING TRACK %d AND ITS SESSION, LEFT OPEN BY A RECORDING THAT DID NOT END";
inline constexpr std::string_view kSessionLeftOpen =
    "THE DISC'S LAST SESSION WAS LEFT OPEN AND COULD NOT BE CLOSED [%s], NOTHING WAS WRITTEN";
inline constexpr std::string_view kInterruptedSessionNotClosed =
    "THE SESSION OF THE FAILED RECORDING COULD NOT BE CLOSED [%s]";
inline constexpr std::string_view kFlushTimedOut =
    "DRIVE DID NOT FINISH WRITING ITS CACHE WITHIN %d MINUTES";

// Refusals before anything is written: a write-once disc cannot take back a session that
// failed half-way, so whatever can refuse is asked first.
inline constexpr std::string_view kTestWriteNotPossible =
    "TEST WRITE IS NOT POSSIBLE ON %s: THE DRIVE WOULD WRITE FOR REAL";
inline constexpr std::string_view kSessionDoesNotFit =
    "THE SESSION DOES NOT FIT ON THE DISC: %d SECTORS NEEDED, %d FREE";
// %s is "<path>: <reason>".
inline constexpr std::string_view kUnreadableSource = "CAN'T OPEN FILE %s";
inline constexpr std::string_view kNotAFile = "%s: NOT A REGULAR FILE";
inline constexpr std::string_view kUnreadableSources = "%d SOURCE FILES CAN'T BE READ, NOTHING WAS WRITTEN";
inline constexpr std::string_view kEmptyImageFile = "THE IMAGE FILE \"%s\" IS EMPTY";
inline constexpr std::string_view kNotAnImageFile = "\"%s\" IS NOT A FILE THAT CAN BE RECORDED AS AN IMAGE";

// Log lines of the writer (message type 1).
inline constexpr std::string_view kStartingWrite = " STARTING WRITE PROCESS ON %s AT %s";
inline constexpr std::string_view kTestWrite = " TEST/DUMMY WRITE";

// Log line of the erase (message type 1).
inline constexpr std::string_view kStartingErase = " STARTING ERASE PROCESS ON %s AT %s";
// The drive reported the erase done, yet the disc still reads as recorded.
inline constexpr std::string_view kDiscNotErased = "THE DRIVE ENDED THE ERASE BUT THE DISC STILL HOLDS DATA";
// An erase asked for while an erase or a recording runs: a second thread would send commands
// to the drive beside the first, and the drive's answers would reach the wrong one.
inline constexpr std::string_view kEraseWhileBusy = "CAN'T ERASE WHILE AN ERASE OR A RECORDING IS RUNNING";
// An image recording asked for while another recording or an erase runs: the running one owns
// the drive and the recording state.
inline constexpr std::string_view kRecordWhileBusy = "CAN'T RECORD WHILE AN ERASE OR A RECORDING IS RUNNING";

// Log lines of the cache: the recording goes on, but the disc differs from the compilation.
// The stream that falls short of the layout also ends the recording, with the same text.
inline constexpr std::string_view kSourceEndedEarly =
    "SOURCE FILE ENDED AFTER %d OF %d BYTES, THE REST IS RECORDED AS ZEROS: %s";
inline constexpr std::string_view kStreamLengthMismatch =
    "INTERNAL ERROR: %d BYTES STREAMED, %d EXPECTED";

}  // namespace kivo::recordtext
