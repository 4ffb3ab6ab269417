// The process-wide transport that every drive component sends through: the built-in
// pass-through over the system's drive nodes, or an ASPI library loaded at run time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/drive/AspiTransport.h"

namespace kivo {

// Loads a transport: the pass-through first when preferred and it sees a drive, else the ASPI
// library (libraryPath when given, then beside the executable, then by the loader's path), else
// the pass-through. Returns whether a transport is loaded.
bool LoadTransport(bool preferPassThrough, const std::string& libraryPath);
// Unloads and loads again with the remembered preference and no library path; always true.
bool ReloadTransport();
// Frees the ASPI library; false only when the loader refused.
bool UnloadAspiLibrary();
// Unloads whatever is loaded and forgets the pass-through scan (at process exit).
void ShutdownTransport();

// When on, the pass-through closes a drive's handle after every command.
void SetCloseAfterCommand(bool value);
bool CloseAfterCommand();

bool IsTransportLoaded();
// "KVASPI32", "WNASPI32.DLL", or empty when nothing is loaded.
std::string TransportName();

// The loaded transport's entry points. Without a transport a request is left untouched and
// SS_INVALID_CMD is returned; the support info reads SS_NO_ADAPTERS.
std::uint32_t SendAspiRequest(void* srb);
// A command request with its time-out; systemError as AspiTransport::SendRequest gives it.
std::uint32_t SendAspiRequest(void* srb, unsigned timeoutMs, int& systemError);
std::uint32_t AspiSupportInfo();
std::string TransportDriveLabel(std::uint8_t hostAdapter, std::uint8_t target, std::uint8_t lun);
// The loaded transport's claim on a drive (NotPossible without a transport) and its release.
DriveClaim ClaimTransportDrive(std::uint8_t hostAdapter, std::uint8_t target, std::uint8_t lun);
void ReleaseTransportDrive(std::uint8_t hostAdapter, std::uint8_t target, std::uint8_t lun);

// Notes gathered while loading (for example a drive node the user may not open). Each note is
// handed out once, to whoever asks first, so it reaches the log a single time.
std::vector<std::string> TakeTransportNotes();

}  // namespace kivo
