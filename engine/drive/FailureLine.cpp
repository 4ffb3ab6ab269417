#include "engine/drive/FailureLine.h"

#include <algorithm>
#include <fmt/format.h>

#include "engine/drive/Strings.h"

namespace kivo {

namespace {

constexpr std::size_t kNameWidth = 22;
constexpr std::uint32_t kMaxDataBytesShown = 257;

std::array<std::string, 256> BuildCommandNames() {
  std::array<std::string, 256> names;
  for (int code = 0; code < 255; ++code) names[code] = fmt::format("{:02X}", code);
  for (const auto& named : text::NamedCommands()) {
    names[named.code] = fmt::format("{:<{}}", named.name, kNameWidth);
  }
  return names;
}

}  // namespace

const std::array<std::string, 256>& CommandNames() {
  static const std::array<std::string, 256> names = BuildCommandNames();
  return names;
}

bool IsQuietCommand(std::uint8_t operationCode) {
  static constexpr std::uint8_t kQuiet[] = {0x00, 0x01, 0x04, 0x12, 0x1B, 0x1E, 0x23, 0x35, 0x43,
                                            0x46, 0x51, 0x52, 0x55, 0x5A, 0x5C, 0xB6, 0xBB};
  return std::find(std::begin(kQuiet), std::end(kQuiet), operationCode) != std::end(kQuiet);
}

std::string FailureLine(const SRB_ExecSCSICmd& request, const std::string& errorText) {
  const std::uint8_t code = request.CDBByte[0];
  std::string line = "<<< ";
  line += CommandNames()[code];
  line += fmt::format(" ({:02X}) {{{:02X}|{:02X}}} - ", code, request.SRB_Flags, request.SRB_CDBLen);
  line += fmt::format("{}:{:X}:{} <{:02X}> [{:05X}] ", request.SRB_HaId, request.SRB_Target,
                      request.SRB_Lun, request.SRB_Status, request.SRB_BufLen);
  for (int i = 1; i < 16; ++i) line += fmt::format("{:02X} ", request.CDBByte[i]);
  line += " |";
  if (request.SRB_BufPointer != nullptr) {
    const std::uint32_t shown = std::min(request.SRB_BufLen, kMaxDataBytesShown);
    for (std::uint32_t i = 0; i < shown; ++i) line += fmt::format("{:02X} ", request.SRB_BufPointer[i]);
  }
  const std::uint8_t* sense = request.SenseArea;
  line += fmt::format("= {:02X} {:02X} {:02X} {:02X} ASC:{:02X},ASQ:{:02X} ", request.SRB_HaStat,
                      request.SRB_TargStat, sense[0], sense[2], sense[12], sense[13]);
  line += errorText;
  return line;
}

}  // namespace kivo
