#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/drive/FailureLine.h"

namespace kivo {
namespace {

SRB_ExecSCSICmd FailedRequest(std::initializer_list<std::uint8_t> cdb) {
  SRB_ExecSCSICmd request;
  std::memset(&request, 0, sizeof request);
  request.SRB_Status = SS_ERR;
  request.SRB_HaId = 1;
  request.SRB_Target = 10;
  request.SRB_Flags = 0x48;
  request.SRB_CDBLen = static_cast<std::uint8_t>(cdb.size());
  std::copy(cdb.begin(), cdb.end(), request.CDBByte);
  request.SRB_TargStat = 0x02;
  request.SenseArea[0] = 0x70;
  request.SenseArea[2] = 0x03;
  request.SenseArea[12] = 0x0C;
  return request;
}

TEST(FailureLine, NamedUnnamedAndUnnamableCodes) {
  const char* tail = " <04> [00000] 00 00 00 10 00 00 00 01 00 00 00 00 00 00 00  |= 00 02 70 03 ASC:0C,ASQ:00 ERR";
  EXPECT_EQ(FailureLine(FailedRequest({0x2A, 0, 0, 0, 0x10, 0, 0, 0, 1, 0}), "ERR"),
            std::string("<<< WRITE (10)             (2A) {48|0A} - 1:A:0") + tail);
  EXPECT_EQ(FailureLine(FailedRequest({0x99, 0, 0, 0, 0x10, 0, 0, 0, 1, 0}), "ERR"),
            std::string("<<< 99 (99) {48|0A} - 1:A:0") + tail);
  EXPECT_EQ(FailureLine(FailedRequest({0xFF, 0, 0, 0, 0x10, 0, 0, 0, 1, 0}), "ERR"),
            std::string("<<<  (FF) {48|0A} - 1:A:0") + tail);
}

TEST(FailureLine, ShortCdbShowsFifteenBytesAndDataIsCappedAt257) {
  SRB_ExecSCSICmd request = FailedRequest({0x1B, 0x01, 0, 0, 0x02, 0});
  request.SRB_Flags = 0x10;
  std::uint8_t data[300];
  for (int i = 0; i < 300; ++i) data[i] = static_cast<std::uint8_t>(i);
  request.SRB_BufPointer = data;
  request.SRB_BufLen = 3;
  EXPECT_EQ(FailureLine(request, "MEDIUM ERROR"),
            "<<< START STOP UNIT        (1B) {10|06} - 1:A:0 <04> [00003] "
            "01 00 00 02 00 00 00 00 00 00 00 00 00 00 00  |00 01 02 = 00 02 70 03 ASC:0C,ASQ:00 MEDIUM ERROR");

  request.SRB_BufLen = 300;
  const std::string line = FailureLine(request, "");
  const auto dataStart = line.find(" |") + 2;
  const std::string shown = line.substr(dataStart, line.find("= ") - dataStart);
  EXPECT_EQ(shown.size(), 257u * 3);
  EXPECT_EQ(shown.substr(shown.size() - 6), "FF 00 ");  // bytes 255 and 256
  EXPECT_NE(line.find("[0012C]"), std::string::npos);
}

}  // namespace
}  // namespace kivo
