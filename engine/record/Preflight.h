// The checks that can refuse a recording, asked before the first command that changes the disc:
// a write-once disc cannot take back a session that failed half-way. Each gives the text the
// recording ends with, or an empty text when the recording may start.
#pragma once

#include <cstdint>
#include <string>

namespace kivo {

class TZelvoBurner;

namespace preflight {

// Only CD-R, CD-RW and sequentially written DVD-R and DVD-RW drives simulate writing: on the
// other media a "test" would change the disc.
std::string TestWriteRefusal(bool testWrite, std::uint16_t kind);
// The session's sectors against what the disc still takes. A disc whose free space cannot be
// read is not refused here: the recording then fails with the drive's own reason.
std::string FitRefusal(TZelvoBurner& burner, std::int64_t sectors);
// Every source file of the compilation opens for reading; each one that does not is named in
// the log with the system's reason.
std::string UnreadableSources(TZelvoBurner& burner);
// An image to record is a regular file with data in it (a FIFO or a device would be read once
// and could not be sized; an empty one would record nothing).
std::string ImageFileRefusal(const std::string& path);

}  // namespace preflight
}  // namespace kivo
