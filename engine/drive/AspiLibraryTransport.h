// An ASPI manager loaded at run time: a shared library exporting SendASPI32Command and
// GetASPI32SupportInfo.
#pragma once

#include <string>

#include "engine/drive/AspiTransport.h"
#include "engine/platform/Aspi.h"
#include "engine/platform/SharedLibrary.h"

namespace kivo {

class AspiLibraryTransport final : public AspiTransport {
 public:
  // Tries the candidates in order; true when one loaded with both entry points.
  bool Load(const std::string& libraryPath);
  // One candidate: a path, or a name the loader searches for.
  bool LoadFrom(const std::string& nameOrPath);
  bool Unload();  // false when the loader refused
  bool IsLoaded() const { return library_.IsLoaded(); }

  std::uint32_t SendASPI32Command(void* srb) override;
  std::uint32_t GetASPI32SupportInfo() override;
  // A drive node whose kernel address matches, else the library's own answer.
  std::string DriveLabel(std::uint8_t hostAdapter, std::uint8_t target, std::uint8_t lun) override;

 private:
  platform::SharedLibrary library_;
  SendASPI32CommandFn send_ = nullptr;
  GetASPI32SupportInfoFn supportInfo_ = nullptr;
};

}  // namespace kivo
