#include <gtest/gtest.h>

#include <array>

#include "engine/drive/ErrorText.h"
#include "engine/drive/Strings.h"

namespace kivo {
namespace {

struct Sense {
  std::uint8_t responseCode = 0, keyByte = 0, additionalLength = 0, asc = 0, ascq = 0;
};

struct ErrorCase {
  std::uint8_t status, hostAdapter, target;
  Sense sense;
  const char* text;
  bool busy = false;
};

constexpr Sense kNoSense{};
constexpr Sense kTrayClosed{0x70, 0x02, 10, 0x3A, 0x01};

class ErrorTextTable : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(ErrorTextTable, DescribesTheFailure) {
  const ErrorCase& c = GetParam();
  std::array<std::uint8_t, kSenseAreaLength> sense{};
  sense[0] = c.sense.responseCode;
  sense[2] = c.sense.keyByte;
  sense[7] = c.sense.additionalLength;
  sense[12] = c.sense.asc;
  sense[13] = c.sense.ascq;
  const ErrorDescription result = DescribeError(c.status, c.hostAdapter, c.target, sense.data());
  EXPECT_EQ(result.text, c.text);
  EXPECT_EQ(result.targetBusy, c.busy);
}

INSTANTIATE_TEST_SUITE_P(
    Statuses, ErrorTextTable,
    ::testing::Values(
        ErrorCase{SS_COMP, 0, 0, kNoSense, ""},
        ErrorCase{SS_ABORTED, 0, 0, kNoSense, "OPERATION ABORTED BY USER"},
        ErrorCase{SS_ABORT_FAIL, 0, 0, kNoSense, "OPERATION ABORTED BY USER"},
        ErrorCase{SS_ERR, 0x00, 0x08, kNoSense, "TARGET BUSY", true},
        ErrorCase{SS_ERR, 0x00, 0x18, kNoSense, "TARGET RESERVATION CONFLICT"},
        ErrorCase{SS_ERR, 0x00, 0x28, kNoSense, "TARGET QUEUE FULL"},
        ErrorCase{SS_ERR, 0x00, 0x30, kNoSense, "UNKNOWN"},
        ErrorCase{SS_ERR, 0x09, 0x02, kTrayClosed, "COMMAND TIMEOUT (MEDIUM NOT PRESENT - TRAY CLOSED)"},
        ErrorCase{SS_ERR, 0x0B, 0, kNoSense, "SRB TIMEOUT"},
        ErrorCase{SS_ERR, 0x0D, 0, kNoSense, "MESSAGE REJECT"},
        ErrorCase{SS_ERR, 0x0E, 0, kNoSense, "BUS RESET"},
        ErrorCase{SS_ERR, 0x0F, 0, kNoSense, "PARITY ERROR"},
        ErrorCase{SS_ERR, 0x10, 0, kNoSense, "REQUEST SENSE FAILED"},
        ErrorCase{SS_ERR, 0x11, 0, kNoSense, "SELECTION TIMEOUT"},
        ErrorCase{SS_ERR, 0x12, 0, kNoSense, "DATA OVERRUN"},
        ErrorCase{SS_ERR, 0x13, 0, kNoSense, "UNEXPECTED BUS FREE"},
        ErrorCase{SS_ERR, 0x14, 0, kNoSense, "UNKNOWN"},
        ErrorCase{SS_INVALID_CMD, 0, 0, kNoSense, "INVALID REQUEST"},
        ErrorCase{SS_INVALID_HA, 0, 0, kNoSense, "INVALID HOST ADAPTER"},
        ErrorCase{SS_NO_DEVICE, 0, 0, kNoSense, "NO DEVICE"},
        ErrorCase{SS_INVALID_SRB, 0, 0, kNoSense, "INVALID SRB"},
        ErrorCase{SS_BUFFER_ALIGN, 0, 0, kNoSense, "BUFFER ALIGNMENT"},
        ErrorCase{SS_ASPI_IS_BUSY, 0, 0, kNoSense, "ASPI IS BUSY"},
        ErrorCase{SS_BUFFER_TO_BIG, 0, 0, kNoSense, "BUFFER TOO BIG"},
        ErrorCase{SS_NO_ADAPTERS, 0, 0, kNoSense, "UNKNOWN"},
        ErrorCase{0x05, 0, 0, kNoSense, "UNKNOWN"}));

// CHECK CONDITION (target status 0 or 2) takes its words from the sense data.
INSTANTIATE_TEST_SUITE_P(
    SenseData, ErrorTextTable,
    ::testing::Values(
        ErrorCase{SS_ERR, 0, 0x02, kTrayClosed, "NOT READY (MEDIUM NOT PRESENT - TRAY CLOSED)"},
        ErrorCase{SS_ERR, 0, 0x00, {0x70, 0x02, 0, 0x3A, 0x01}, "NOT READY"},
        ErrorCase{SS_ERR, 0, 0x02, {0xF1, 0x05, 10, 0x24, 0x00}, "ILLEGAL REQUEST (INVALID FIELD IN CDB)"},
        ErrorCase{SS_ERR, 0, 0x02, {0x70, 0x03, 10, 0x74, 0x00}, "MEDIUM ERROR (116,0)"},
        ErrorCase{SS_ERR, 0, 0x02, {0x70, 0x00, 10, 0x00, 0x00},
                  "NO ADDITIONAL SENSE INFORMATION (NO ADDITIONAL SENSE INFORMATION)"},
        ErrorCase{SS_ERR, 0, 0x02, {0x70, 0xE0, 0, 0, 0}, "FILEMARK"},
        ErrorCase{SS_ERR, 0, 0x02, {0x70, 0x60, 0, 0, 0}, "END OF MEDIA"},
        ErrorCase{SS_ERR, 0, 0x02, {0x70, 0x20, 0, 0, 0}, "ILLEGAL LENGTH"},
        ErrorCase{SS_ERR, 0, 0x02, {0x70, 0x09, 0, 0, 0}, "CHECK CONDITION"},
        ErrorCase{SS_ERR, 0, 0x02, {0x70, 0x0C, 0, 0, 0}, "CHECK CONDITION"},
        ErrorCase{SS_ERR, 0, 0x02, {0x70, 0x0A, 0, 0, 0}, "COPYABORTED"},
        ErrorCase{SS_ERR, 0, 0x02, {0x70, 0x0F, 0, 0, 0}, "RESERVED"},
        ErrorCase{SS_ERR, 0, 0x02, {0x72, 0x02, 10, 0x3A, 0x02}, "UNKNOWN (MEDIUM NOT PRESENT - TRAY OPEN)"},
        ErrorCase{SS_ERR, 0, 0x02, kNoSense, ""}));

// The lookup is a binary search, so an out-of-order row would silently lose its message.
TEST(AdditionalSenseTable, IsStrictlyOrderedAndEndsAtAsc73) {
  const auto table = text::AdditionalSenseTable();
  for (std::size_t i = 1; i < table.size(); ++i) {
    EXPECT_LT((std::pair{table[i - 1].asc, table[i - 1].ascq}), (std::pair{table[i].asc, table[i].ascq}))
        << "row " << i;
  }
  EXPECT_EQ(table.front().text, "NO ADDITIONAL SENSE INFORMATION");
  EXPECT_EQ(AdditionalSenseMessage(0x73, 0x06), "RMA/PMA IS ALMOST FULL");
  EXPECT_EQ(AdditionalSenseMessage(0x5D, 0xFF), "FAILURE PREDICTION THRESHOLD EXCEEDED (FALSE)");
  EXPECT_EQ(AdditionalSenseMessage(0x3B, 0x00), "59,0");
}

}  // namespace
}  // namespace kivo
