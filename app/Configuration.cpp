#include "app/Configuration.h"

#include "engine/iso/TZelvoBurner.h"
#include "engine/platform/Text.h"

namespace kivo::app {

namespace {

KeepPath KeepPathFromText(const std::string& text) {
  const std::string upper = platform::UpperAscii(text);
  if (upper == "GRAYED") return KeepPath::Grayed;
  if (upper == "CHECKED") return KeepPath::Checked;
  return KeepPath::Unchecked;
}

const char* KeepPathText(KeepPath keepPath) {
  switch (keepPath) {
    case KeepPath::Checked: return "Checked";
    case KeepPath::Grayed: return "Grayed";
    case KeepPath::Unchecked: break;
  }
  return "Unchecked";
}

std::string Flag(bool value) { return value ? "1" : "0"; }

}  // namespace

void ReadConfiguration(const platform::PrivateProfile& file, WindowOptions& options, KeepPath& keepPath,
                       TZelvoBurner& burner) {
  const char* s = kOptionsSection;
  options.ArchiveOnly = file.ReadBool(s, "ArhivskeDatoteke", false);
  keepPath = KeepPathFromText(file.ReadString(s, "SavePath", ""));
  burner.FinalizeDisc = file.ReadBool(s, "CloseDisc", burner.FinalizeDisc);
  burner.JolietFileSystem = file.ReadBool(s, "JolietFS", burner.JolietFileSystem);
  burner.TestWrite = file.ReadBool(s, "TestUpis", false);
  burner.PerformOPC = file.ReadBool(s, "POPC", true);
  options.QuickSaveISO = file.ReadBool(s, "BrzoCuvanjeISO", false);
  const int session = file.ReadInt(s, "BrojSesije", burner.ImportSessionNumber);
  options.EjectWhenDone = file.ReadBool(s, "IzbaciDisk", false);
  options.ShowFilesBeforeWrite = file.ReadBool(s, "PokaziDatoteke", false);
  options.ImportPreviousSession = file.ReadBool(s, "UvozSesije", false);
  // The session number keeps its low 8 bits as a signed number, and counts only with the import on.
  options.SessionToImport = options.ImportPreviousSession ? static_cast<std::int8_t>(session & 0xFF) : 0;
  burner.BootImage = file.ReadString(s, "BootImage", burner.BootImage);
  burner.Bootable = file.ReadBool(s, "Bootable", burner.Bootable);
  burner.IdVolume = file.ReadString(s, "NazivDiska", burner.IdVolume);
  burner.SetCacheSize(file.ReadInt(s, "VelicinaKesa", burner.CacheSize()));
  options.VerifyAfterRecording = file.ReadBool(s, "ProveriDisk", false);
}

bool WriteKeepPath(platform::PrivateProfile& file, KeepPath keepPath) {
  return file.WriteString(kOptionsSection, "SavePath", KeepPathText(keepPath));
}

bool WriteConfiguration(platform::PrivateProfile& file, const WindowOptions& options, KeepPath keepPath,
                        const TZelvoBurner& burner) {
  return file.WriteAll(kOptionsSection, {
      {"ArhivskeDatoteke", Flag(options.ArchiveOnly)},
      {"SavePath", KeepPathText(keepPath)},
      {"CloseDisc", Flag(burner.FinalizeDisc)},
      {"IzbaciDisk", Flag(options.EjectWhenDone)},
      {"JolietFS", Flag(burner.JolietFileSystem)},
      {"Bootable", Flag(burner.Bootable)},
      {"TestUpis", Flag(burner.TestWrite)},
      {"BrzoCuvanjeISO", Flag(options.QuickSaveISO)},
      {"PokaziDatoteke", Flag(options.ShowFilesBeforeWrite)},
      {"POPC", Flag(burner.PerformOPC)},
      {"BrojSesije", std::to_string(options.SessionToImport)},
      {"UvozSesije", Flag(options.ImportPreviousSession)},
      {"BootImage", burner.BootImage},
      {"NazivDiska", burner.IdVolume},
      {"VelicinaKesa", std::to_string(burner.CacheSize())},
      {"ProveriDisk", Flag(options.VerifyAfterRecording)},
  });
}

}  // namespace kivo::app
