#include "virtualdrive/Medium.h"

#include <array>

namespace kivo::vdrive {
namespace {

constexpr std::array<std::uint16_t, 7> kCdRSpeeds{706, 1411, 2822, 4234, 5645, 7056, 8467};
constexpr std::array<std::uint16_t, 4> kCdRwSpeeds{706, 1764, 2822, 4234};
constexpr std::array<std::uint16_t, 4> kDvdRSpeeds{2770, 5540, 11080, 22160};
constexpr std::array<std::uint16_t, 3> kDvdRwSpeeds{2770, 5540, 8310};
constexpr std::array<std::uint16_t, 4> kDvdPlusRSpeeds{3324, 5540, 11080, 22160};
constexpr std::array<std::uint16_t, 3> kDvdPlusRDlSpeeds{3324, 5540, 11080};
constexpr std::array<std::uint16_t, 3> kDvdPlusRwSpeeds{3324, 5540, 11080};
constexpr std::array<std::uint16_t, 3> kDvdRamSpeeds{2770, 4155, 6925};

constexpr std::uint16_t kCdMaxRead = 8467;    // 48x
constexpr std::uint16_t kDvdMaxRead = 22160;  // 16x

const std::array<MediumInfo, 11> kMedia{{
    {MediumKind::CdRom, "cd-rom", "CD-ROM", 0x0008, 0, true, WriteModel::ReadOnly, false, kCdMaxRead, {}, false},
    {MediumKind::CdR, "cd-r", "CD-R", 0x0009, 359849, true, WriteModel::Sequential, false, kCdMaxRead, kCdRSpeeds, true},
    {MediumKind::CdRw, "cd-rw", "CD-RW", 0x000A, 359849, true, WriteModel::Sequential, true, kCdMaxRead, kCdRwSpeeds, true},
    {MediumKind::DvdRom, "dvd-rom", "DVD-ROM", 0x0010, 0, false, WriteModel::ReadOnly, false, kDvdMaxRead, {}, false},
    {MediumKind::DvdR, "dvd-r", "DVD-R", 0x0011, 2295104, false, WriteModel::Sequential, false, kDvdMaxRead, kDvdRSpeeds, true},
    {MediumKind::DvdRwSequential, "dvd-rw", "DVD-RW (sequential recording)", 0x0014, 2295104, false,
     WriteModel::Sequential, true, kDvdMaxRead, kDvdRwSpeeds, true},
    {MediumKind::DvdRwRestricted, "dvd-rw-ro", "DVD-RW (restricted overwrite)", 0x0013, 2295104, false,
     WriteModel::Overwrite, true, kDvdMaxRead, kDvdRwSpeeds, false},
    {MediumKind::DvdPlusR, "dvd+r", "DVD+R", 0x001B, 2295104, false, WriteModel::Sequential, false, kDvdMaxRead,
     kDvdPlusRSpeeds, false},
    {MediumKind::DvdPlusRDl, "dvd+r-dl", "DVD+R DL", 0x002B, 4173824, false, WriteModel::Sequential, false,
     kDvdMaxRead, kDvdPlusRDlSpeeds, false},
    {MediumKind::DvdPlusRw, "dvd+rw", "DVD+RW", 0x001A, 2295104, false, WriteModel::Overwrite, true, kDvdMaxRead,
     kDvdPlusRwSpeeds, false},
    {MediumKind::DvdRam, "dvd-ram", "DVD-RAM", 0x0012, 2236704, false, WriteModel::Overwrite, true, kDvdMaxRead,
     kDvdRamSpeeds, false},
}};

}  // namespace

const MediumInfo& Info(MediumKind kind) { return kMedia[static_cast<std::size_t>(kind)]; }

std::span<const MediumInfo> AllMedia() { return kMedia; }

std::optional<MediumKind> KindFromName(std::string_view name) {
  for (const auto& m : kMedia)
    if (m.name == name) return m.kind;
  return std::nullopt;
}

}  // namespace kivo::vdrive
