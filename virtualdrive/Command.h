// What every command handler works with: the drive's state, its faults and data, the clock,
// and the decoded command with the host's buffer.
#pragma once

#include <cstdint>
#include <vector>

#include "virtualdrive/Cdb.h"
#include "virtualdrive/DriveState.h"
#include "virtualdrive/Faults.h"
#include "virtualdrive/SectorStore.h"

namespace kivo::vdrive {

struct DriveContext {
  DriveState& state;
  Faults& faults;
  SectorStore& sectors;  // user data of the loaded medium
  std::int64_t nowMs = 0;
  bool stateChanged = false;   // the state must be saved
  bool faultsChanged = false;  // a fault was used up
  bool sectorsCleared = false; // the medium's data was forgotten (blank, format)
  bool killSender = false;     // a kill fault: the sending process ends once the faults are saved
};

struct Command {
  DecodedCdb cdb;
  const ScsiRequest& request;

  const std::uint8_t* bytes() const { return cdb.bytes.data(); }
  std::uint8_t byte(std::size_t i) const { return cdb.bytes[i]; }
  // Hands reply data to the host, cut to the allocation length.
  ScsiResult Reply(const std::vector<std::uint8_t>& data) const;
  // The parameter data the host sent (data out).
  const std::uint8_t* parameters() const { return request.data; }
};

using Handler = ScsiResult (*)(DriveContext&, const Command&);

// Control and status.
ScsiResult TestUnitReady(DriveContext&, const Command&);
ScsiResult RequestSense(DriveContext&, const Command&);
ScsiResult RezeroUnit(DriveContext&, const Command&);
ScsiResult StartStopUnit(DriveContext&, const Command&);
ScsiResult PreventAllowRemoval(DriveContext&, const Command&);
ScsiResult SetCdSpeed(DriveContext&, const Command&);
ScsiResult SetStreaming(DriveContext&, const Command&);
ScsiResult ReadBufferCapacity(DriveContext&, const Command&);
// Identity and mode pages.
ScsiResult Inquiry(DriveContext&, const Command&);
ScsiResult ModeSense(DriveContext&, const Command&);
ScsiResult ModeSelect(DriveContext&, const Command&);
ScsiResult GetConfiguration(DriveContext&, const Command&);
// Disc readings.
ScsiResult ReadDiscInformation(DriveContext&, const Command&);
ScsiResult ReadTrackInformation(DriveContext&, const Command&);
ScsiResult ReadToc(DriveContext&, const Command&);
ScsiResult ReadCapacity(DriveContext&, const Command&);
ScsiResult ReadFormatCapacities(DriveContext&, const Command&);
// Reading and writing.
ScsiResult Read10(DriveContext&, const Command&);
ScsiResult Write10(DriveContext&, const Command&);
ScsiResult SynchronizeCache(DriveContext&, const Command&);
ScsiResult CloseTrackSession(DriveContext&, const Command&);
ScsiResult ReserveTrack(DriveContext&, const Command&);
ScsiResult SendOpcInformation(DriveContext&, const Command&);
ScsiResult SendDvdStructure(DriveContext&, const Command&);
// Erasing.
ScsiResult Blank(DriveContext&, const Command&);
ScsiResult FormatUnit(DriveContext&, const Command&);

// NOT READY, MEDIUM NOT PRESENT with the tray's position.
ScsiResult NoMedium(const DriveState& state);

}  // namespace kivo::vdrive
