// Who the drive is and what it can do: INQUIRY, the mode pages, GET CONFIGURATION.
#include <algorithm>
#include <string>

#include "virtualdrive/Bytes.h"
#include "virtualdrive/Command.h"
#include "virtualdrive/Features.h"
#include "virtualdrive/ModePages.h"
#include "virtualdrive/Sense.h"
#include "virtualdrive/Strings.h"

namespace kivo::vdrive {
namespace {

void PutPadded(std::vector<std::uint8_t>& out, std::size_t offset, std::size_t width, const std::string& text) {
  for (std::size_t i = 0; i < width; ++i)
    out[offset + i] = i < text.size() ? static_cast<std::uint8_t>(text[i]) : ' ';
}

constexpr std::size_t kInquiryLength = 96;
constexpr std::size_t kModeHeaderLength = 8;
constexpr std::size_t kBlockDescriptorLength = 8;
constexpr std::uint8_t kAllPages = 0x3F;

}  // namespace

ScsiResult Inquiry(DriveContext& ctx, const Command& cmd) {
  const bool vitalProductData = cmd.byte(1) & 0x01;
  const std::uint8_t page = cmd.byte(2);
  if (vitalProductData) {
    // Supported pages and the unit serial number.
    if (page == 0x00) return cmd.Reply({0x05, 0x00, 0x00, 0x02, 0x00, 0x80});
    if (page == 0x80) {
      const std::string_view serial = text::kSerialNumber;
      std::vector<std::uint8_t> reply(4 + serial.size(), 0);
      reply[0] = 0x05;
      reply[1] = 0x80;
      reply[3] = static_cast<std::uint8_t>(serial.size());
      std::copy(serial.begin(), serial.end(), reply.begin() + 4);
      return cmd.Reply(reply);
    }
    return ScsiResult::Check(sense::kInvalidFieldInCdb);
  }
  if (page != 0) return ScsiResult::Check(sense::kInvalidFieldInCdb);
  std::vector<std::uint8_t> reply(kInquiryLength, 0);
  reply[0] = 0x05;  // CD/DVD device
  reply[1] = 0x80;  // removable medium
  reply[2] = 0x05;  // SPC-3
  reply[3] = 0x02;  // response data format
  reply[4] = kInquiryLength - 5;
  PutPadded(reply, 8, 8, ctx.faults.inquiryVendor.value_or(std::string(text::kInquiryVendor)));
  PutPadded(reply, 16, 16, ctx.faults.inquiryProduct.value_or(std::string(text::kInquiryProduct)));
  PutPadded(reply, 32, 4, std::string(text::kInquiryRevision));
  return cmd.Reply(reply);
}

ScsiResult ModeSense(DriveContext& ctx, const Command& cmd) {
  const auto control = static_cast<PageControl>(cmd.byte(2) >> 6);
  const std::uint8_t page = cmd.byte(2) & 0x3F;
  if (control == PageControl::Saved) return ScsiResult::Check(sense::kSavingNotSupported);
  const bool capabilitiesAvailable = !ctx.faults.noCapabilitiesPage;

  std::vector<std::uint8_t> pages;
  auto append = [&](const std::vector<std::uint8_t>& p) { pages.insert(pages.end(), p.begin(), p.end()); };
  auto capabilities = [&] {
    auto p = CapabilitiesPage(ctx.state);
    if (control == PageControl::Changeable) std::fill(p.begin() + 2, p.end(), 0);
    return p;
  };
  if (page == kWriteParametersPage) {
    append(WriteParameters(ctx.state, control));
  } else if (page == kCapabilitiesPage && capabilitiesAvailable) {
    append(capabilities());
  } else if (page == kAllPages) {
    append(WriteParameters(ctx.state, control));
    if (capabilitiesAvailable) append(capabilities());
  } else {
    return ScsiResult::Check(sense::kInvalidFieldInCdb);
  }

  // Some drives put a block descriptor before the pages whatever the host asks for.
  const std::size_t descriptor = ctx.faults.blockDescriptor ? kBlockDescriptorLength : 0;
  std::vector<std::uint8_t> reply(kModeHeaderLength + descriptor, 0);
  if (descriptor) {
    put16(&reply[6], kBlockDescriptorLength);
    put24(&reply[kModeHeaderLength + 5], kBlockSize);
  }
  reply.insert(reply.end(), pages.begin(), pages.end());
  put16(&reply[0], static_cast<std::uint32_t>(reply.size() - 2));
  return cmd.Reply(reply);
}

ScsiResult ModeSelect(DriveContext& ctx, const Command& cmd) {
  if (!(cmd.byte(1) & 0x10)) return ScsiResult::Check(sense::kInvalidFieldInCdb);  // pages must be in page format
  const std::size_t length = cmd.cdb.transferLength;
  const std::uint8_t* list = cmd.parameters();
  if (length < kModeHeaderLength) return ScsiResult::Check(sense::kParameterListLengthError);
  // Mode data length, medium type and device-specific byte are reserved in MODE SELECT.
  if (list[0] || list[1] || list[2] || list[3] || list[4] || list[5])
    return ScsiResult::Check(sense::kInvalidFieldInParameterList);
  const std::size_t descriptor = be16(list + 6);
  if (descriptor != 0 && descriptor != kBlockDescriptorLength)
    return ScsiResult::Check(sense::kInvalidFieldInParameterList);
  std::size_t offset = kModeHeaderLength + descriptor;
  if (offset > length) return ScsiResult::Check(sense::kParameterListLengthError);

  // Check every page before taking any, so that a refused list changes nothing.
  WriteParametersPage accepted = ctx.state.writeParameters;
  while (offset < length) {
    if (length - offset < 2) return ScsiResult::Check(sense::kParameterListLengthError);
    const std::uint8_t* page = list + offset;
    const std::size_t pageLength = std::size_t{page[1]} + 2;
    if (offset + pageLength > length) return ScsiResult::Check(sense::kParameterListLengthError);
    if (page[0] == kWriteParametersPage) {
      if (auto error = CheckWriteParameters(ctx.state, page, pageLength)) return ScsiResult::Check(*error);
      std::copy(page, page + kWriteParametersLength, accepted.begin());
    } else if (page[0] == kCapabilitiesPage && !ctx.faults.noCapabilitiesPage) {
      // Nothing in page 2Ah is changeable: the host may only send it back unchanged.
      const auto current = CapabilitiesPage(ctx.state);
      if (pageLength != current.size() || !std::equal(current.begin() + 2, current.end(), page + 2))
        return ScsiResult::Check(sense::kInvalidFieldInParameterList);
    } else {
      return ScsiResult::Check(sense::kInvalidFieldInParameterList);
    }
    offset += pageLength;
  }
  if (accepted != ctx.state.writeParameters) {
    ctx.state.writeParameters = accepted;
    ctx.state.simulatedBlocks = 0;
    ctx.stateChanged = true;
  }
  return ScsiResult::Good();
}

ScsiResult GetConfiguration(DriveContext& ctx, const Command& cmd) {
  const auto request = static_cast<FeatureRequest>(cmd.byte(1) & 0x03);
  if (static_cast<int>(request) == 3) return ScsiResult::Check(sense::kInvalidFieldInCdb);
  return cmd.Reply(ConfigurationReply(ctx.state, request, be16(cmd.bytes() + 2)));
}

}  // namespace kivo::vdrive
