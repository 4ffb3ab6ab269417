// The configuration file against the option values: what start-up makes of a file's text, and a
// save that reads back as it was written without disturbing what else the file holds.
#include "app/Configuration.h"

#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "engine/iso/TZelvoBurner.h"
#include "engine/platform/PrivateProfile.h"
#include "tests/platform/TempDir.h"

namespace kivo::app {
namespace {

using platform::PrivateProfile;
using platform::testing::TempDir;

// Everything the sixteen keys reach, in one comparable value.
struct Settings {
  bool archiveOnly = false;
  KeepPath keepPath = KeepPath::Unchecked;
  bool finalize = false;
  bool joliet = true;
  bool testWrite = false;
  bool opc = true;
  bool quickSave = false;
  int session = 0;
  bool eject = false;
  bool showFiles = false;
  bool import = false;
  std::string bootImage;
  bool bootable = false;
  std::string volume;
  int cacheSize = 8392704;
  bool verify = false;

  auto Tie() const {
    return std::tie(archiveOnly, keepPath, finalize, joliet, testWrite, opc, quickSave, session, eject, showFiles,
                    import, bootImage, bootable, volume, cacheSize, verify);
  }
  bool operator==(const Settings& other) const { return Tie() == other.Tie(); }
};

std::ostream& operator<<(std::ostream& out, const Settings& s) {
  return out << "archive " << s.archiveOnly << " keep " << static_cast<int>(s.keepPath) << " finalize " << s.finalize
             << " joliet " << s.joliet << " test " << s.testWrite << " opc " << s.opc << " quick " << s.quickSave
             << " session " << s.session << " eject " << s.eject << " show " << s.showFiles << " import " << s.import
             << " boot \"" << s.bootImage << "\" bootable " << s.bootable << " volume \"" << s.volume << "\" cache "
             << s.cacheSize << " verify " << s.verify;
}

// The burner as the main window sets it up before it reads the file.
void DesignValues(TZelvoBurner& burner) {
  burner.FinalizeDisc = false;
  burner.TestWrite = false;
  burner.PerformOPC = true;
  burner.SetCacheSize(8392704);
}

Settings Capture(const WindowOptions& o, KeepPath keepPath, const TZelvoBurner& b) {
  return {o.ArchiveOnly, keepPath,     b.FinalizeDisc, b.JolietFileSystem,      b.TestWrite,
          b.PerformOPC,  o.QuickSaveISO, o.SessionToImport, o.EjectWhenDone, o.ShowFilesBeforeWrite,
          o.ImportPreviousSession, b.BootImage, b.Bootable, b.IdVolume, b.CacheSize(), o.VerifyAfterRecording};
}

void Apply(const Settings& s, WindowOptions& o, TZelvoBurner& b) {
  o = {s.archiveOnly, s.eject, s.showFiles, s.import, static_cast<std::int8_t>(s.session), s.quickSave, s.verify};
  b.FinalizeDisc = s.finalize;
  b.JolietFileSystem = s.joliet;
  b.TestWrite = s.testWrite;
  b.PerformOPC = s.opc;
  b.BootImage = s.bootImage;
  b.Bootable = s.bootable;
  b.IdVolume = s.volume;
  b.SetCacheSize(s.cacheSize);
}

Settings ReadBack(const std::string& path) {
  TZelvoBurner burner;
  DesignValues(burner);
  WindowOptions options;
  KeepPath keepPath = KeepPath::Grayed;
  ReadConfiguration(PrivateProfile(path), options, keepPath, burner);
  return Capture(options, keepPath, burner);
}

struct ReadCase {
  const char* name;
  std::optional<std::string> file;  // none: no file at all
  Settings expected;
};

Settings With(void (*change)(Settings&)) {
  Settings s;
  change(s);
  return s;
}

TEST(Configuration, FileTextGivesTheseOptions) {
  const ReadCase cases[] = {
      {"no file", std::nullopt, {}},
      {"empty section", "[KivoArdelOpcije]\n", {}},
      {"keys of another section", "[Ostalo]\nTestUpis=1\nNazivDiska=X\n[KivoArdelOpcije]\n", {}},
      {"every key set",
       "[KivoArdelOpcije]\nArhivskeDatoteke=1\nSavePath=Checked\nCloseDisc=1\nIzbaciDisk=1\nJolietFS=0\n"
       "Bootable=1\nTestUpis=1\nBrzoCuvanjeISO=1\nPokaziDatoteke=1\nPOPC=0\nBrojSesije=7\nUvozSesije=1\n"
       "BootImage=C:\\boot\\x.img\nNazivDiska=Arhiva, 2026\nVelicinaKesa=16777216\nProveriDisk=1\n",
       With([](Settings& s) {
         s = {true, KeepPath::Checked, true, false, true, false, true, 7, true, true, true, "C:\\boot\\x.img", true,
              "Arhiva, 2026", 16777216, true};
       })},
      {"names in any case", "[kivoardelopcije]\ntestupis=1\nNAZIVDISKA=Mali\npopc=0\n",
       With([](Settings& s) { s.testWrite = true; s.volume = "Mali"; s.opc = false; })},
      {"any whole number but 0 is true", "[KivoArdelOpcije]\nArhivskeDatoteke=-7\nIzbaciDisk=+2\nJolietFS=00\n",
       With([](Settings& s) { s.archiveOnly = true; s.eject = true; s.joliet = false; })},
      {"a value that is no whole number counts as missing",
       "[KivoArdelOpcije]\nPOPC=no\nJolietFS=0x0\nTestUpis=1.0\nVelicinaKesa=16M\nUvozSesije=1\nBrojSesije=abc\n"
       "ProveriDisk=da\n",
       With([](Settings& s) { s.import = true; })},
      {"grayed in any case", "[KivoArdelOpcije]\nSavePath=gRaYeD\n", With([](Settings& s) { s.keepPath = KeepPath::Grayed; })},
      {"checked in any case", "[KivoArdelOpcije]\nSavePath=CHECKED\n", With([](Settings& s) { s.keepPath = KeepPath::Checked; })},
      {"a number for the keep-path box", "[KivoArdelOpcije]\nSavePath=1\n", {}},
      {"session without the import", "[KivoArdelOpcije]\nUvozSesije=0\nBrojSesije=3\n", {}},
      {"last session", "[KivoArdelOpcije]\nUvozSesije=1\nBrojSesije=-1\n",
       With([](Settings& s) { s.import = true; s.session = -1; })},
      {"session keeps its low 8 bits", "[KivoArdelOpcije]\nUvozSesije=1\nBrojSesije=300\n",
       With([](Settings& s) { s.import = true; s.session = 44; })},
      {"cache below the minimum", "[KivoArdelOpcije]\nVelicinaKesa=1000\n", With([](Settings& s) { s.cacheSize = 2097152; })},
      {"cache rounded to whole sectors", "[KivoArdelOpcije]\nVelicinaKesa=3000000\n",
       With([](Settings& s) { s.cacheSize = 2998272; })},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir tmp;
    const std::string path = tmp / "KivoArdel.ini";
    if (c.file) tmp.Write("KivoArdel.ini", *c.file);
    EXPECT_EQ(ReadBack(path), c.expected);
  }
}

// Each value changed alone, so that two keys swapped or one value saved under another's name
// cannot hide behind equal values; then all at once.
TEST(Configuration, EveryValueSavedReadsBack) {
  const Settings everything{true, KeepPath::Grayed, true, false, true, false, true, -1, true, true, true,
                            "/boot/a b,c.img", true, "Novi disk", 4194304, true};
  const std::vector<Settings> cases = {
      With([](Settings& s) { s.archiveOnly = true; }),   With([](Settings& s) { s.keepPath = KeepPath::Checked; }),
      With([](Settings& s) { s.keepPath = KeepPath::Grayed; }), With([](Settings& s) { s.finalize = true; }),
      With([](Settings& s) { s.joliet = false; }),       With([](Settings& s) { s.testWrite = true; }),
      With([](Settings& s) { s.opc = false; }),          With([](Settings& s) { s.quickSave = true; }),
      With([](Settings& s) { s.eject = true; }),         With([](Settings& s) { s.showFiles = true; }),
      With([](Settings& s) { s.import = true; s.session = 5; }), With([](Settings& s) { s.bootImage = "C:\\b.img"; }),
      With([](Settings& s) { s.bootable = true; }),      With([](Settings& s) { s.volume = "Disk"; }),
      With([](Settings& s) { s.cacheSize = 67108864; }), With([](Settings& s) { s.verify = true; }),
      everything,
  };
  for (const Settings& saved : cases) {
    SCOPED_TRACE(::testing::PrintToString(saved));
    TempDir tmp;
    TZelvoBurner burner;
    WindowOptions options;
    Apply(saved, options, burner);
    PrivateProfile file(tmp / "KivoArdel.ini");
    ASSERT_TRUE(WriteConfiguration(file, options, saved.keepPath, burner)) << file.error();
    EXPECT_EQ(ReadBack(file.path()), saved);
  }
}

TEST(Configuration, SaveKeepsTheRestOfTheFile) {
  TempDir tmp;
  const std::string path = tmp.Write("KivoArdel.ini",
                                     "; moja podešavanja\n[Prozor]\nLevo=10\n\n[KivoArdelOpcije]\n; ručno\n"
                                     "NepoznatKljuc=da\nnazivdiska=Staro\n[Kraj]\nX=1\n");
  TZelvoBurner burner;
  burner.IdVolume = "Novi disk";
  WindowOptions options;
  PrivateProfile file(path);
  ASSERT_TRUE(WriteConfiguration(file, options, KeepPath::Checked, burner)) << file.error();

  const std::string text = tmp.Read("KivoArdel.ini");
  for (const char* kept : {"; moja podešavanja\n[Prozor]\nLevo=10\n\n[KivoArdelOpcije]\n; ručno\nNepoznatKljuc=da\n",
                           "[Kraj]\nX=1\n"}) {
    EXPECT_NE(text.find(kept), std::string::npos) << kept << "\n" << text;
  }
  // The key already there keeps its own spelling and place; no second one appears.
  EXPECT_NE(text.find("nazivdiska=Novi disk\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("NazivDiska"), std::string::npos) << text;
  EXPECT_EQ(ReadBack(path).volume, "Novi disk");
}

TEST(Configuration, FirstSaveCreatesTheFileWithTheKeysInTheirOrder) {
  TempDir tmp;
  TZelvoBurner burner;
  DesignValues(burner);
  WindowOptions options;
  PrivateProfile file(tmp / "config/KivoArdel.ini");
  ASSERT_TRUE(WriteConfiguration(file, options, KeepPath::Unchecked, burner)) << file.error();
  EXPECT_EQ(tmp.Read("config/KivoArdel.ini"),
            "[KivoArdelOpcije]\nArhivskeDatoteke=0\nSavePath=Unchecked\nCloseDisc=0\nIzbaciDisk=0\nJolietFS=1\n"
            "Bootable=0\nTestUpis=0\nBrzoCuvanjeISO=0\nPokaziDatoteke=0\nPOPC=1\nBrojSesije=0\nUvozSesije=0\n"
            "BootImage=\nNazivDiska=\nVelicinaKesa=8392704\nProveriDisk=0\n");
}

// One refused value stops the whole save: the file keeps every old setting, not half of the new.
TEST(Configuration, RefusedValueWritesNothing) {
  TempDir tmp;
  const std::string old = "[KivoArdelOpcije]\nTestUpis=0\nNazivDiska=Staro\n";
  const std::string path = tmp.Write("KivoArdel.ini", old);
  TZelvoBurner burner;
  burner.TestWrite = true;
  burner.IdVolume = "Novo";
  burner.BootImage = "/boot/dva\nreda.img";
  WindowOptions options;
  PrivateProfile file(path);
  EXPECT_FALSE(WriteConfiguration(file, options, KeepPath::Checked, burner));
  EXPECT_NE(file.error().find("BootImage"), std::string::npos) << file.error();
  EXPECT_EQ(tmp.Read("KivoArdel.ini"), old);
}

}  // namespace
}  // namespace kivo::app
