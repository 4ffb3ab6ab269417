#include "engine/platform/Text.h"

#include <gtest/gtest.h>

namespace kivo::platform {
namespace {

TEST(Utf8ToUtf16, ConvertsAndReplacesEveryInvalidByte) {
  struct Case {
    std::string utf8;
    std::u16string utf16;
  };
  const Case cases[] = {
      {"plain", u"plain"},
      {"\xC5\xA1kola", u"\u0161kola"},                  // two-byte sequence
      {"\xF0\x9F\x98\x80", u"\xD83D\xDE00"},            // outside the BMP: a surrogate pair
      {"a\xFF" "b", u"a\xFFFD" "b"},                    // a byte that never starts a sequence
      {"\xE2\x82" "x", u"\xFFFD\xFFFD" "x"},            // a cut-off sequence: one per byte
      {"\xC0\xAF", u"\xFFFD\xFFFD"},                    // overlong form of "/"
      {"\xED\xA0\x80", u"\xFFFD\xFFFD\xFFFD"},          // an encoded surrogate
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.utf8);
    EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16);
    EXPECT_EQ(Utf16Length(c.utf8), c.utf16.size());
    EXPECT_EQ(IsValidUtf8(c.utf8), c.utf16.find(u'\xFFFD') == std::u16string::npos);
  }
}

TEST(Utf16ToUtf8, PairsSurrogatesAndReplacesLoneOnes) {
  EXPECT_EQ(Utf16ToUtf8(u"\xD83D\xDE00!"), "\xF0\x9F\x98\x80!");
  EXPECT_EQ(Utf16ToUtf8(std::u16string(u"a\xD83D" "b")), "a\xEF\xBF\xBD" "b");
  EXPECT_EQ(Utf16ToUtf8(std::u16string(u"\xDE00\xD83D")), "\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(UpperAscii, ChangesOnlyLatinLetters) {
  EXPECT_EQ(UpperAscii("az\xC5\xA1_{}z.txt"), "AZ\xC5\xA1_{}Z.TXT");
}

}  // namespace
}  // namespace kivo::platform
