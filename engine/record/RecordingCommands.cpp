#include "engine/record/RecordingCommands.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <string>

#include "engine/drive/BigEndian.h"
#include "engine/drive/DriveCommand.h"

namespace kivo {

namespace {

constexpr std::uint8_t kOpSendOpcInformation = 0x54;
constexpr std::uint8_t kOpReserveTrack = 0x53;
constexpr std::uint8_t kOpSetStreaming = 0xB6;
constexpr std::uint8_t kOpSendDvdStructure = 0xBF;

constexpr std::uint8_t kDoOpc = 0x01;
constexpr std::uint8_t kTimestampFormat = 0x0F;
constexpr std::size_t kDescriptorLength = 28;
constexpr std::size_t kTimestampLength = 22;
constexpr unsigned kOpcTimeoutMs = 150'000;

}  // namespace

bool SendOpcInformation(TSCSIDevice& Device) {
  DriveCommand command{.cdbLength = 10, .timeoutMs = kOpcTimeoutMs};
  command.cdb = {kOpSendOpcInformation, kDoOpc};
  return Device.SendCommand(command);
}

bool ReserveTrack(TSCSIDevice& Device, std::uint32_t Sectors) {
  DriveCommand command{.cdbLength = 12};
  command.cdb = {kOpReserveTrack};
  put32(&command.cdb[5], Sectors);
  return Device.SendCommand(command);
}

bool SetStreaming(TSCSIDevice& Device, const StreamingDescriptor& Descriptor) {
  alignas(4) std::array<std::uint8_t, kDescriptorLength> data{};
  put32(&data[4], Descriptor.StartLba);
  put32(&data[8], Descriptor.EndLba);
  put32(&data[12], Descriptor.ReadSize);
  put32(&data[16], Descriptor.ReadTime);
  put32(&data[20], Descriptor.WriteSize);
  put32(&data[24], Descriptor.WriteTime);
  DriveCommand command{.cdbLength = 12, .flags = kDataOut, .data = data.data(), .length = kDescriptorLength};
  command.cdb = {kOpSetStreaming};
  put16(&command.cdb[9], kDescriptorLength);
  return Device.SendCommand(command);
}

bool SendDvdTimestamp(TSCSIDevice& Device, const platform::CivilTime& Local) {
  alignas(4) std::array<std::uint8_t, kTimestampLength> data{};
  put16(&data[0], kTimestampLength - 2);
  const std::string digits = fmt::format("{:04}{:02}{:02}{:02}{:02}{:02}", Local.year, Local.month, Local.day,
                                         Local.hour, Local.minute, Local.second);
  std::copy_n(digits.begin(), std::min<std::size_t>(digits.size(), 14), data.begin() + 8);
  DriveCommand command{.cdbLength = 12, .flags = kDataOut, .data = data.data(), .length = kTimestampLength};
  command.cdb = {kOpSendDvdStructure};
  command.cdb[7] = kTimestampFormat;
  put16(&command.cdb[8], kTimestampLength);
  return Device.SendCommand(command);
}

}  // namespace kivo
