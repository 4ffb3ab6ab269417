// A small ASPI manager for tests, built as libfakeaspi.so. The engine loads it by path like any
// ASPI library; the test links it as well and steers it through these calls.
#pragma once

#include <cstdint>

// The two entry points the engine looks up. MinGW's linker exports every function of a DLL that
// marks none, which is what lets the test call the steering functions below as well.
#ifdef _WIN32
#define FAKE_ASPI_ENTRY
#else
#define FAKE_ASPI_ENTRY __attribute__((visibility("default")))
#endif

extern "C" {

enum FakeAspiCompletion {
  kFakeAspiSynchronous = 0,  // status set before SendASPI32Command returns
  kFakeAspiAsynchronous = 1,  // pending, then completed and signalled from another thread
  kFakeAspiNever = 2,         // pending for ever
};

// Forgets every drive and scripted result, and waits for outstanding completions.
void FakeAspiReset();
// peripheralType 5 is a CD/DVD drive; vendor, product and revision are copied as given (8, 16
// and 4 bytes). labelIndex: the letter offset the disk information reports, -1 for none.
void FakeAspiAddDrive(std::uint8_t hostAdapter, std::uint8_t target, std::uint8_t lun,
                      std::uint8_t peripheralType, const char* identification28, int labelIndex);
void FakeAspiSetCompletion(int completion);
// The outcome of the next commands other than INQUIRY (default: success). sense holds 33 bytes.
void FakeAspiSetResult(std::uint8_t status, std::uint8_t hostAdapterStatus,
                       std::uint8_t targetStatus, const std::uint8_t* sense);
// CDB byte 1 of the last command that reached the library.
std::uint8_t FakeAspiLastCdbByte1();

}  // extern "C"
