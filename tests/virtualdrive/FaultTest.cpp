// Scripted faults: each changes exactly the answer it names.
#include <gtest/gtest.h>

#include "MemoryDrive.h"

namespace kivo::vdrive::test {
namespace {

TEST(Faults, CommandFaultsAnswerTheirCountThenTheDriveRecovers) {
  struct Case {
    CommandFault fault;
    ScsiStatus status;
    SenseCode sense;
  };
  const Case cases[] = {
      {{0x00, CommandFault::Kind::Busy, {}, 2}, ScsiStatus::Busy, {}},
      {{0x00, CommandFault::Kind::NotReady, {}, 2}, ScsiStatus::CheckCondition, {2, 4, 0}},
      {{0x00, CommandFault::Kind::Sense, {6, 0x28, 0}, 2}, ScsiStatus::CheckCondition, {6, 0x28, 0}},
      // Answered normally three times first.
      {{0x00, CommandFault::Kind::Sense, {3, 0x0C, 0}, 2, 3}, ScsiStatus::CheckCondition, {3, 0x0C, 0}},
  };
  for (const auto& c : cases) {
    MemoryDrive drive(MediumKind::CdR);
    drive.faults.commands.push_back(c.fault);
    EXPECT_TRUE(drive.host.Inquiry().ok()) << "other commands are untouched";
    for (int i = 0; i < c.fault.skip; ++i) EXPECT_TRUE(drive.host.TestUnitReady().ok()) << "skipped " << i;
    for (int i = 0; i < 2; ++i) {
      const Reply r = drive.host.TestUnitReady();
      EXPECT_EQ(r.result.status, c.status);
      if (c.status == ScsiStatus::CheckCondition) {
        EXPECT_EQ(r.sense(), c.sense);
      }
    }
    EXPECT_TRUE(drive.host.TestUnitReady().ok());
    EXPECT_TRUE(drive.faults.empty());
  }
}

TEST(Faults, MediumErrorNamesTheFailingBlock) {
  MemoryDrive drive(MediumKind::DvdRam);
  drive.faults.mediumErrors.push_back({40, -1});
  EXPECT_TRUE(drive.host.Write(0, 32, 1).ok());
  const Reply write = drive.host.Write(32, 32, 1);
  EXPECT_EQ(write.sense(), (SenseCode{3, 0x0C, 0}));
  const Reply read = drive.host.Read(36, 8);
  EXPECT_EQ(read.sense(), (SenseCode{3, 0x11, 0}));
  EXPECT_EQ(read.result.sense[0], 0xF0) << "information field valid";
  EXPECT_EQ(be32(&read.result.sense[3]), 40u);
  EXPECT_EQ(drive.state.disc->recordedEnd, 32u) << "the failed write recorded nothing";
}

TEST(Faults, QuirkyDriveShapes) {
  MemoryDrive drive(MediumKind::CdR);
  drive.faults.blockDescriptor = true;
  Reply page = drive.host.ModeSense(0x2A);
  ASSERT_TRUE(page.ok());
  EXPECT_EQ(page.be16at(6), 8);
  EXPECT_EQ(page.data[16], 0x2A);

  drive.faults.noCapabilitiesPage = true;
  EXPECT_EQ(drive.host.ModeSense(0x2A).sense(), (SenseCode{5, 0x24, 0}));
  EXPECT_TRUE(drive.host.ModeSense(0x05).ok());

  drive.faults.noGetConfiguration = true;
  EXPECT_EQ(drive.host.Configuration(2, 0).sense(), (SenseCode{5, 0x20, 0}));

  drive.faults.inquiryVendor = "QUIRKCO";
  drive.faults.inquiryProduct = "RW-DRIVE 716";
  const Reply inquiry = drive.host.Inquiry();
  EXPECT_EQ(std::string(inquiry.data.begin() + 8, inquiry.data.begin() + 32), "QUIRKCO RW-DRIVE 716    ");
}

}  // namespace
}  // namespace kivo::vdrive::test
