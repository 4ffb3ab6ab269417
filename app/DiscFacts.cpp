#include "app/DiscFacts.h"

#include "engine/drive/DiscInformation.h"
#include "engine/drive/TSCSIDevice.h"
#include "engine/iso/TZelvoBurner.h"

namespace kivo::app {

DiscFacts ReadDiscFacts(TZelvoBurner& burner) {
  DiscFacts facts;
  TDisc disc{};
  // With no disc the record stays cleared, after the drive was given its time.
  burner.GetDiscInfo(disc);
  if (disc.Ready == 0 || !burner.TestUnitReady(kReadyTimeoutMs)) return facts;
  facts.ready = true;
  facts.mediaKind = burner.MediaKind();
  facts.sessions = ReadSessionSummaries(burner);
  facts.freeSectors = burner.FreeSectors();
  facts.discStatus = burner.DiscStatus();
  burner.GetDiscInfo(disc);
  facts.usedSectors = burner.UsedSectors();
  facts.capacity = burner.DiscCapacity();
  return facts;
}

}  // namespace kivo::app
