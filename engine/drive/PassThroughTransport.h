// The built-in transport: ASPI requests answered over the system's SCSI pass-through, one
// table entry per drive node that answered INQUIRY when the nodes were probed.
#pragma once

#include <array>
#include <map>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "engine/drive/AspiTransport.h"

namespace kivo {

class PassThroughTransport final : public AspiTransport {
 public:
  ~PassThroughTransport() override;

  // Probes every drive node once and returns how many answered; 0 when it already ran. Nodes
  // the user may not open are described in notes.
  int Scan(std::vector<std::string>& notes);
  // Closes every handle and forgets the probe, so the next Scan probes again.
  void Shutdown();
  int PresentCount();

  std::uint32_t SendASPI32Command(void* srb) override;
  std::uint32_t SendRequest(void* srb, unsigned timeoutMs, int& systemError) override;
  std::uint32_t GetASPI32SupportInfo() override;
  std::string DriveLabel(std::uint8_t hostAdapter, std::uint8_t target, std::uint8_t lun) override;
  DriveClaim ClaimDrive(std::uint8_t hostAdapter, std::uint8_t target, std::uint8_t lun) override;
  void ReleaseDrive(std::uint8_t hostAdapter, std::uint8_t target, std::uint8_t lun) override;

 private:
  struct Entry {
    std::uint8_t hostAdapter = 0;
    std::uint8_t target = 0;
    std::uint8_t lun = 0;
    bool virtualAddress = false;
    std::string path;
    std::string label;
    int handle = -1;
    std::array<std::uint8_t, 40> inquiry{};
  };

  Entry* Find(std::uint8_t hostAdapter, std::uint8_t target, std::uint8_t lun);
  void AssignAddresses(const std::vector<int>& hosts);
  std::uint8_t InquireAdapter(void* srb);
  std::uint8_t Execute(void* srb, unsigned timeoutMs, int& systemError);

  std::mutex mutex_;  // one command at a time; the table changes only under it
  std::vector<Entry> entries_;
  // Claim handles by node path. They outlive Shutdown: the erase reloads the transport while
  // its claim must go on.
  std::map<std::string, int> claims_;
  int adapterCount_ = 0;
  bool scanned_ = false;
};

}  // namespace kivo
