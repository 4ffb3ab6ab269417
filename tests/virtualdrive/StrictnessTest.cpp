// What a strict drive refuses, and that a refusal never changes the disc or the drive.
#include <gtest/gtest.h>

#include <functional>

#include "MemoryDrive.h"

namespace kivo::vdrive::test {
namespace {

using Setup = std::function<void(Host&)>;
using Request = std::function<Reply(Host&)>;

struct Refusal {
  const char* name;
  std::optional<MediumKind> medium;
  Setup setup;
  Request request;
  SenseCode expected;
};

constexpr SenseCode kInvalidOpcode{5, 0x20, 0};
constexpr SenseCode kInvalidField{5, 0x24, 0};
constexpr SenseCode kInvalidParameter{5, 0x26, 0};
constexpr SenseCode kParameterLength{5, 0x1A, 0};
constexpr SenseCode kOutOfRange{5, 0x21, 0};
constexpr SenseCode kBadWriteAddress{5, 0x21, 2};

void Nothing(Host&) {}
void CdPage(Host& h) { ASSERT_TRUE(h.SelectWriteParameters(EngineWriteParameters(0x09)).ok()); }
void OpenTrackWritten(Host& h) {
  CdPage(h);
  ASSERT_TRUE(h.Write(0, 32, 1).ok());
}
void Finalized(Host& h) {
  ASSERT_TRUE(h.SelectWriteParameters(EngineWriteParameters(0x09, false)).ok());
  ASSERT_TRUE(h.Write(0, 300, 1).ok());
  ASSERT_TRUE(h.Close(false, 2, 0).ok());
}
void Prevented(Host& h) { ASSERT_TRUE(h.Prevent(true).ok()); }
void Ejected(Host& h) { ASSERT_TRUE(h.StartStop(true, false).ok()); }

std::vector<std::uint8_t> PageWith(std::uint16_t profile, std::size_t byte, std::uint8_t value) {
  auto page = EngineWriteParameters(profile);
  page[byte] = value;
  return page;
}

const Refusal kRefusals[] = {
    {"UnknownOpcode", MediumKind::CdR, Nothing,
     [](Host& h) { return h.Send({0xA8, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0}, DataDirection::In, 2048); }, kInvalidOpcode},
    {"BlockShorterThanItsGroup", MediumKind::CdR, Nothing,
     [](Host& h) { return h.Send({0x25, 0, 0, 0, 0, 0}, DataDirection::In, 8); }, kInvalidField},
    {"PaddingNotZero", MediumKind::CdR, Nothing,
     [](Host& h) { return h.Send({0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0}); }, kInvalidField},
    {"ReservedBitSet", MediumKind::CdR, Nothing,
     [](Host& h) { return h.Send({0x51, 1, 0, 0, 0, 0, 0, 0, 56, 0}, DataDirection::In, 56); }, kInvalidField},
    {"LinkBitInControlByte", MediumKind::CdR, Nothing, [](Host& h) { return h.Send({0x00, 0, 0, 0, 0, 1}); },
     kInvalidField},
    {"AllocationBeyondTheBuffer", MediumKind::CdR, Nothing,
     [](Host& h) { return h.Send({0x12, 0, 0, 0, 96, 0}, DataDirection::In, 36); }, kInvalidField},
    {"DataInSentAsDataOut", MediumKind::CdR, OpenTrackWritten,
     [](Host& h) {
       return h.Send({0x28, 0, 0, 0, 0, 0, 0, 0, 1, 0}, DataDirection::Out, 0, std::vector<std::uint8_t>(2048));
     },
     kInvalidField},
    {"WriteBufferDisagrees", MediumKind::CdR, CdPage,
     [](Host& h) {
       return h.Send({0x2A, 0, 0, 0, 0, 0, 0, 0, 1, 0}, DataDirection::Out, 0, std::vector<std::uint8_t>(1000));
     },
     kInvalidField},
    {"NoMediumTrayClosed", std::nullopt, Nothing, [](Host& h) { return h.TestUnitReady(); }, {2, 0x3A, 1}},
    {"NoMediumTrayOpen", MediumKind::CdR, Ejected, [](Host& h) { return h.DiscInfo(); }, {2, 0x3A, 2}},
    {"WriteAwayFromTheNextWritableAddress", MediumKind::CdR, CdPage, [](Host& h) { return h.Write(16, 16, 1); },
     kBadWriteAddress},
    {"WriteOverWrittenBlocks", MediumKind::CdR, OpenTrackWritten, [](Host& h) { return h.Write(0, 32, 2); },
     kBadWriteAddress},
    {"WritePastTheCapacity", MediumKind::DvdRam, Nothing, [](Host& h) { return h.Write(2236704 - 1, 2, 1); },
     kOutOfRange},
    {"WriteOnAClosedDisc", MediumKind::CdR, Finalized, [](Host& h) { return h.Write(300 + 11400, 32, 1); },
     kBadWriteAddress},
    {"WriteOnUnformattedDvdPlusRw", MediumKind::DvdPlusRw, Nothing, [](Host& h) { return h.Write(0, 16, 1); },
     {5, 0x30, 0x10}},
    {"WriteOnPressedDisc", MediumKind::DvdRom, Nothing, [](Host& h) { return h.Write(0, 16, 1); }, {5, 0x30, 5}},
    {"PartialPacketOnDvdPlusR", MediumKind::DvdPlusR, Nothing, [](Host& h) { return h.Write(0, 8, 1); },
     kInvalidField},
    {"MisalignedRestrictedOverwrite", MediumKind::DvdRwRestricted, Nothing,
     [](Host& h) { return h.Write(8, 16, 1); }, kBadWriteAddress},
    {"TrackAtOnceOnDvdR", MediumKind::DvdR, Nothing,
     [](Host& h) { return h.SelectWriteParameters(EngineWriteParameters(0x09)); }, kInvalidParameter},
    {"PacketWritingOnCd", MediumKind::CdR, Nothing,
     [](Host& h) { return h.SelectWriteParameters(PageWith(0x09, 2, 0x00)); }, kInvalidParameter},
    {"TestWriteOnDvdPlusR", MediumKind::DvdPlusR, Nothing,
     [](Host& h) { return h.SelectWriteParameters(PageWith(0x1B, 2, 0x32)); }, kInvalidParameter},
    {"DvdRFixedPacketsNotOfOneEccBlock", MediumKind::DvdR, Nothing,
     [](Host& h) { return h.SelectWriteParameters(PageWith(0x11, 13, 32)); }, kInvalidParameter},
    {"ReservedMultiSessionValue", MediumKind::CdR, Nothing,
     [](Host& h) { return h.SelectWriteParameters(PageWith(0x09, 3, 0x84)); }, kInvalidParameter},
    {"PageLengthWrong", MediumKind::CdR, Nothing,
     [](Host& h) { return h.SelectWriteParameters(PageWith(0x09, 1, 48)); }, kParameterLength},
    {"SavePages", MediumKind::CdR, Nothing,
     [](Host& h) {
       std::vector<std::uint8_t> list(8, 0);
       const auto page = EngineWriteParameters(0x09);
       list.insert(list.end(), page.begin(), page.end());
       return h.Send({0x55, 0x11, 0, 0, 0, 0, 0, 0, 60, 0}, DataDirection::Out, 0, list);
     },
     kInvalidField},
    {"SavedValues", MediumKind::CdR, Nothing,
     [](Host& h) { return h.Send({0x5A, 0, 0xC5, 0, 0, 0, 0, 0, 255, 0}, DataDirection::In, 255); }, {5, 0x39, 0}},
    {"UnknownModePage", MediumKind::CdR, Nothing, [](Host& h) { return h.ModeSense(0x30, 128); }, kInvalidField},
    {"BlankWriteOnce", MediumKind::CdR, Nothing, [](Host& h) { return h.Blank(1, true); }, {5, 0x30, 0}},
    {"BlankOneTrack", MediumKind::CdRw, Nothing, [](Host& h) { return h.Blank(2, true); }, kInvalidField},
    {"FormatWriteOnce", MediumKind::CdR, Nothing, [](Host& h) { return h.Format(0x82, 359849, 0x26, 0); },
     {5, 0x30, 6}},
    {"FormatDvdPlusRwBeyondItsSize", MediumKind::DvdPlusRw, Nothing,
     [](Host& h) { return h.Format(0x82, 2295104 + 16, 0x26, 0); }, kInvalidParameter},
    {"FormatDescriptorLength", MediumKind::DvdPlusRw, Nothing,
     [](Host& h) {
       return h.Send({0x04, 0x11, 0, 0, 0, 0}, DataDirection::Out, 0, {0, 0x82, 0, 4, 0, 0x23, 0x05, 0x40});
     },
     kParameterLength},
    {"GrowWithoutRestrictedOverwrite", MediumKind::DvdRwSequential, Nothing,
     [](Host& h) { return h.Format(0x82, 0, 0x13, 16); }, kInvalidParameter},
    {"ReadUnrecorded", MediumKind::CdR, Nothing, [](Host& h) { return h.Read(0, 1); }, kOutOfRange},
    {"CloseAMissingTrack", MediumKind::CdR, OpenTrackWritten, [](Host& h) { return h.Close(false, 1, 5); },
     kInvalidField},
    {"FinalizeDvdMinusWithPlusFunction", MediumKind::DvdR, Nothing, [](Host& h) { return h.Close(false, 6, 0); },
     kInvalidField},
    {"ReserveAfterWriting", MediumKind::CdR, OpenTrackWritten, [](Host& h) { return h.Reserve(1000); },
     {5, 0x2C, 0}},
    {"TimestampOnDvdPlusR", MediumKind::DvdPlusR, Nothing,
     [](Host& h) {
       std::vector<std::uint8_t> t(22, '0');
       t[0] = 0;
       t[1] = 20;
       std::fill(t.begin() + 2, t.begin() + 8, 0);
       return h.Send({0xBF, 0, 0, 0, 0, 0, 0, 0x0F, 0, 22, 0, 0}, DataDirection::Out, 0, t);
     },
     {5, 0x30, 0}},
    {"EjectWhilePrevented", MediumKind::CdR, Prevented, [](Host& h) { return h.StartStop(true, false); },
     {5, 0x53, 2}},
    {"TocOfABlankDisc", MediumKind::DvdPlusR, Nothing, [](Host& h) { return h.Toc(0); }, kInvalidField},
};

class Strictness : public ::testing::TestWithParam<Refusal> {};

TEST_P(Strictness, RefusesWithoutChangingAnything) {
  const Refusal& r = GetParam();
  MemoryDrive drive(r.medium);
  if (r.medium == MediumKind::DvdRom) drive.state.disc->romBlocks = 1000;
  r.setup(drive.host);
  const DriveState before = drive.state;

  const Reply reply = r.request(drive.host);
  EXPECT_EQ(reply.result.status, ScsiStatus::CheckCondition);
  EXPECT_EQ(reply.sense(), r.expected);
  EXPECT_EQ(reply.result.transferred, 0u);
  EXPECT_EQ(reply.result.sense[0], 0x70);
  EXPECT_EQ(reply.result.sense[7], 10);
  EXPECT_TRUE(drive.state == before) << "a refused command changed the drive";
}

INSTANTIATE_TEST_SUITE_P(Refusals, Strictness, ::testing::ValuesIn(kRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kivo::vdrive::test
