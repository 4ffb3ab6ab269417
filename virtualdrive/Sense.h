// The sense codes this drive answers with, named once.
#pragma once

#include "virtualdrive/Scsi.h"

namespace kivo::vdrive::sense {

inline constexpr SenseCode kNoSense{0x00, 0x00, 0x00};

inline constexpr SenseCode kNotReady{0x02, 0x04, 0x00};
inline constexpr SenseCode kFormatInProgress{0x02, 0x04, 0x04};
inline constexpr SenseCode kLongWriteInProgress{0x02, 0x04, 0x08};
inline constexpr SenseCode kNoMediumTrayClosed{0x02, 0x3A, 0x01};
inline constexpr SenseCode kNoMediumTrayOpen{0x02, 0x3A, 0x02};

inline constexpr SenseCode kWriteError{0x03, 0x0C, 0x00};
inline constexpr SenseCode kUnrecoveredReadError{0x03, 0x11, 0x00};

inline constexpr SenseCode kParameterListLengthError{0x05, 0x1A, 0x00};
inline constexpr SenseCode kInvalidOpcode{0x05, 0x20, 0x00};
inline constexpr SenseCode kLbaOutOfRange{0x05, 0x21, 0x00};
inline constexpr SenseCode kInvalidAddressForWrite{0x05, 0x21, 0x02};
inline constexpr SenseCode kInvalidFieldInCdb{0x05, 0x24, 0x00};
inline constexpr SenseCode kInvalidFieldInParameterList{0x05, 0x26, 0x00};
inline constexpr SenseCode kCommandSequenceError{0x05, 0x2C, 0x00};
inline constexpr SenseCode kIncompatibleMedium{0x05, 0x30, 0x00};
inline constexpr SenseCode kCannotWriteIncompatibleFormat{0x05, 0x30, 0x05};
inline constexpr SenseCode kCannotFormatIncompatibleMedium{0x05, 0x30, 0x06};
inline constexpr SenseCode kMediumNotFormatted{0x05, 0x30, 0x10};
inline constexpr SenseCode kSavingNotSupported{0x05, 0x39, 0x00};
inline constexpr SenseCode kRemovalPrevented{0x05, 0x53, 0x02};
inline constexpr SenseCode kIllegalModeForThisTrack{0x05, 0x64, 0x00};

}  // namespace kivo::vdrive::sense
