// Fixed texts of the command line that more than one place prints, each once. "{}" is filled
// with fmt::format.
#pragma once

#include <string_view>

namespace kivo::cli::text {

// No drive answered and no ASPI library was found: what the user can do about it is the
// system's own.
#ifdef _WIN32
inline constexpr std::string_view kNoDriveAccess =
    "kivoardel-cli: no drive access. No CD or DVD drive letter could be opened (a drive is usually "
    "reached only with an administrator's rights: start the command prompt with \"Run as "
    "administrator\"), and no ASPI library (WNASPI32.DLL, the virtual recorder) was found beside the "
    "program, in the system folder or on the PATH.";
#else
inline constexpr std::string_view kNoDriveAccess =
    "kivoardel-cli: no drive access. No /dev/sr* drive could be opened (a drive the user may not "
    "open is usually fixed by joining the 'cdrom' group), and no ASPI library (libwnaspi32.so, "
    "the virtual recorder) was found beside the program or on the library path.";
#endif

// Verify.
inline constexpr std::string_view kVerifyingSession = "verifying the session\n";
inline constexpr std::string_view kVerifyingImage = "verifying the image\n";
inline constexpr std::string_view kVerifyProgress = "verifying: {:.1f} / {:.1f} MB read";
inline constexpr std::string_view kDiffers = "differs: {}\n";
inline constexpr std::string_view kDiscUnreadable = "cannot be read from the disc: {}\n";
inline constexpr std::string_view kLocalUnreadable = "cannot be read here: {}\n";
inline constexpr std::string_view kChanged = "changed while it was recorded: {}\n";
inline constexpr std::string_view kMissing = "missing from the disc: {}\n";
inline constexpr std::string_view kExtra = "not among the sources: {}\n";
inline constexpr std::string_view kAllVerified = "all {} files verified\n";
inline constexpr std::string_view kVerifySummary =
    "{} files verified; {} differ, {} missing from the disc, {} not among the sources, {} unreadable";
inline constexpr std::string_view kChangedCount = ", {} changed while recorded";
inline constexpr std::string_view kDirectoryAreaUnreadable =
    "cannot be read from the disc: the session's directory area, sectors {} to {}\n";
inline constexpr std::string_view kDirectoryAreaDiffers =
    "differs: the session's directory area (volume descriptors, path tables, directories)\n";
inline constexpr std::string_view kVerifyStopped = "verify stopped before its end\n";
inline constexpr std::string_view kNothingToVerify = "the recording left nothing to verify\n";
inline constexpr std::string_view kImageVerified = "the disc holds the image: all {} sectors verified\n";
inline constexpr std::string_view kImageDiffers = "differs from the image: sectors {} to {}\n";
inline constexpr std::string_view kImageUnreadable = "cannot be read from the disc: sectors {} to {}\n";
inline constexpr std::string_view kImageChanged = "the image changed while it was recorded\n";
inline constexpr std::string_view kImageNotReadAgain = "the image cannot be read again to find where the disc differs: {}\n";

}  // namespace kivo::cli::text
