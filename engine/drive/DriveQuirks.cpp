#include "engine/drive/DriveQuirks.h"

#include <string_view>

namespace kivo {

namespace {

// Trimmed as the identification fields are compared: blanks and control characters at both ends.
std::string Trimmed(const std::uint8_t* field, std::size_t size) {
  std::size_t begin = 0, end = size;
  while (begin < end && field[begin] <= ' ') ++begin;
  while (end > begin && field[end - 1] <= ' ') --end;
  return std::string(reinterpret_cast<const char*>(field + begin), end - begin);
}

}  // namespace

DriveQuirks QuirksFor(const std::uint8_t* inquiry) {
  constexpr int kVendor = 8, kVendorLength = 8, kProduct = 16, kProductLength = 16;
  const std::string product = Trimmed(inquiry + kProduct, kProductLength);
  const std::string_view rawProduct(reinterpret_cast<const char*>(inquiry + kProduct), kProductLength);
  std::string vendor = Trimmed(inquiry + kVendor, kVendorLength);
  // Too short to be a real vendor name; blanks make sure it matches no vendor rule.
  if (vendor.size() < 3) vendor = "     ";

  DriveQuirks quirks;
  quirks.underrunProtection = product == "CD-W512EB";
  quirks.linkSize = product == "CRX175E" || product == "CD-RW  CRX800E";
  quirks.slowReady = product.starts_with("UJDA") || vendor.starts_with("TDK");
  quirks.longFormat = rawProduct == "DVD-RW  DVR-103 " || rawProduct == "DVD-RW  DVR-104 ";
  quirks.immediateClose = product != "CDRW321040X" || quirks.longFormat;
  return quirks;
}

}  // namespace kivo
