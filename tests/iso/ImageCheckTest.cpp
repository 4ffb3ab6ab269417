// The structural checker is the judge of what the external readers let pass, so it must itself
// notice each of those faults: a sound image is passed, every spoiled copy is caught.

#include <gtest/gtest.h>

#include <functional>

#include "engine/iso/IsoFields.h"
#include "tests/iso/ImageFixture.h"

namespace kivo::testing {
namespace {

using ImageCheckTest = ImageTest;

// Writes a 32-bit number at p (the record and sector arithmetic below works on raw pointers).
void PutLe32At(std::uint8_t* p, std::uint32_t v) { PutLe32({p, 4}, 0, v); }
void PutBe32At(std::uint8_t* p, std::uint32_t v) { PutBe32({p, 4}, 0, v); }

TEST_F(ImageCheckTest, CatchesWhatReadersLetPass) {
  AddSource(Root(), "a.txt", 1);
  AddSource(burner.NewDirectory(Root(), "D", 0x10), "f.txt", 1);
  ASSERT_TRUE(Save());
  ASSERT_EQ(CheckImage(image).problems, std::vector<std::string>{});
  const std::uint32_t isoRoot = burner.IsoDirectoryArea;
  const std::uint32_t jolietRoot = burner.JolietDirectoryArea;
  const std::string jolietA("\0a\0.\0t\0x\0t\0;\0" "1", 14);

  struct Spoil {
    const char* what;
    std::function<void(std::vector<std::uint8_t>&)> apply;
  };
  const auto sector = [](std::vector<std::uint8_t>& img, std::uint32_t n) { return img.data() + std::size_t{n} * 2048; };
  const std::vector<Spoil> spoils{
      {"byte orders differ", [&](auto& img) { PutBe32At(RecordIn(sector(img, isoRoot), "A.TXT;1") + 6, 151); }},
      {"byte orders differ", [&](auto& img) { PutBe32At(sector(img, 16) + 84, 153); }},
      {"M path table differs", [&](auto& img) { PutBe32At(sector(img, burner.IsoPathTableM) + 10 + 2, 99); }},
      {"disagrees", [&](auto& img) {
         sector(img, burner.JolietPathTableL)[10 + 6] = 2;
         sector(img, burner.JolietPathTableM)[10 + 7] = 2;
       }},
      {"holds other files in the Joliet tree", [&](auto& img) {
         std::uint8_t* r = RecordIn(sector(img, jolietRoot), jolietA);
         PutLe32At(r + 2, 0);
         PutBe32At(r + 6, 0);
       }},
      {"not in ascending order", [&](auto& img) { RecordIn(sector(img, isoRoot), "A.TXT;1")[33] = 'E'; }},
      {"outside the volume", [&](auto& img) {
         for (std::uint32_t dir : {isoRoot, jolietRoot}) {
           std::uint8_t* r = RecordIn(sector(img, dir), dir == isoRoot ? "A.TXT;1" : jolietA);
           PutLe32At(r + 2, 152);  // the volume ends before sector 152
           PutBe32At(r + 6, 152);
         }
       }},
  };
  for (const Spoil& s : spoils) {
    std::vector<std::uint8_t> copy = image;
    s.apply(copy);
    const ImageCheck check = CheckImage(copy);
    const bool caught = std::any_of(check.problems.begin(), check.problems.end(),
                                    [&](const std::string& p) { return p.find(s.what) != std::string::npos; });
    EXPECT_TRUE(caught) << s.what << ": " << ::testing::PrintToString(check.problems);
  }
}

}  // namespace
}  // namespace kivo::testing
