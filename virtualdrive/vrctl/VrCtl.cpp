// kivo-vrctl DIR insert KIND | insert rom:IMAGE | eject | load | status | export FILE |
//            timescale SCALE | fault ...
// The hands of the virtual recorder's user: what a person does with a real drive's tray and
// discs, plus the test helpers (time scale, faults).
#include <cstdio>
#include <iostream>
#include <string>

#include <CLI/CLI.hpp>
#include <fmt/format.h>

#include "virtualdrive/Medium.h"
#include "virtualdrive/Strings.h"
#include "virtualdrive/VirtualRecorder.h"
#include "virtualdrive/vrctl/Status.h"

namespace vd = kivo::vdrive;

namespace {

constexpr std::string_view kRomPrefix = "rom:";
// The blank media a user can put in; pressed discs come from an image.
std::string KindList() {
  std::string list;
  for (const auto& m : vd::AllMedia())
    if (m.model != vd::WriteModel::ReadOnly) list += std::string(m.name) + ", ";
  return list + std::string(kRomPrefix) + "IMAGE";
}

// Numbers as a SCSI person writes them: operation codes and sense bytes in hexadecimal.
bool ParseNumber(const std::string& text, int base, unsigned long max, unsigned long& value, std::string& error) {
  try {
    std::size_t used = 0;
    value = std::stoul(text, &used, base);
    if (used == text.size() && value <= max) return true;
  } catch (const std::exception&) {
  }
  error = fmt::format(fmt::runtime(vd::text::kBadNumber), text);
  return false;
}

int Fail(const std::string& error) {
  std::cerr << error << "\n";
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{std::string(vd::text::kToolDescription)};
  app.require_subcommand(1);
  std::string dir;
  app.add_option("DIR", dir, std::string(vd::text::kHelpDir))->required();

  std::string kind, exportPath, scaleText;
  auto* insert = app.add_subcommand("insert", std::string(vd::text::kHelpInsert));
  insert->add_option("KIND", kind, KindList())->required();
  auto* eject = app.add_subcommand("eject", std::string(vd::text::kHelpEject));
  auto* load = app.add_subcommand("load", std::string(vd::text::kHelpLoad));
  auto* status = app.add_subcommand("status", std::string(vd::text::kHelpStatus));
  auto* exportCmd = app.add_subcommand("export", std::string(vd::text::kHelpExport));
  exportCmd->add_option("FILE", exportPath)->required();
  auto* timescale = app.add_subcommand("timescale", std::string(vd::text::kHelpTimeScale));
  timescale->add_option("SCALE", scaleText)->required();

  auto* fault = app.add_subcommand("fault", std::string(vd::text::kHelpFault));
  fault->require_subcommand(1);
  std::string opcodeText, countText = "1", keyText, ascText, ascqText, lbaText, vendor, product;
  auto* busy = fault->add_subcommand("busy", std::string(vd::text::kHelpBusy));
  auto* notReady = fault->add_subcommand("notready", std::string(vd::text::kHelpNotReady));
  auto* ignore = fault->add_subcommand("ignore", std::string(vd::text::kHelpIgnore));
  for (auto* sub : {busy, notReady, ignore}) {
    sub->add_option("OPCODE", opcodeText)->required();
    sub->add_option("COUNT", countText);
  }
  auto* senseFault = fault->add_subcommand("sense", std::string(vd::text::kHelpSense));
  senseFault->add_option("OPCODE", opcodeText)->required();
  senseFault->add_option("KEY", keyText)->required();
  senseFault->add_option("ASC", ascText)->required();
  senseFault->add_option("ASCQ", ascqText)->required();
  senseFault->add_option("COUNT", countText);
  auto* kill = fault->add_subcommand("kill", std::string(vd::text::kHelpKill));
  kill->add_option("OPCODE", opcodeText)->required();
  std::string afterText = "0";
  for (auto* sub : {busy, notReady, ignore, senseFault, kill}) sub->add_option("--after", afterText, std::string(vd::text::kHelpAfter));
  auto* mediumError = fault->add_subcommand("medium-error", std::string(vd::text::kHelpMediumError));
  mediumError->add_option("LBA", lbaText)->required();
  std::string mediumCount = "-1";
  mediumError->add_option("COUNT", mediumCount);
  bool readsOnly = false;
  mediumError->add_flag("--reads-only", readsOnly, std::string(vd::text::kHelpReadsOnly));
  auto* corrupt = fault->add_subcommand("corrupt", std::string(vd::text::kHelpCorrupt));
  corrupt->add_option("LBA", lbaText)->required();
  std::string corruptCount = "1";
  corrupt->add_option("COUNT", corruptCount);
  auto* noCaps = fault->add_subcommand("no-capabilities-page", std::string(vd::text::kHelpNoCapabilities));
  auto* blockDescriptor = fault->add_subcommand("block-descriptor", std::string(vd::text::kHelpBlockDescriptor));
  auto* noConfig = fault->add_subcommand("no-get-configuration", std::string(vd::text::kHelpNoGetConfiguration));
  auto* identity = fault->add_subcommand("inquiry", std::string(vd::text::kHelpInquiry));
  identity->add_option("VENDOR", vendor)->required();
  identity->add_option("PRODUCT", product)->required();
  auto* clear = fault->add_subcommand("clear", std::string(vd::text::kHelpClear));

  CLI11_PARSE(app, argc, argv);

  vd::VirtualRecorder recorder(dir);
  std::string error;
  if (insert->parsed()) {
    if (kind.rfind(kRomPrefix, 0) == 0) {
      if (!recorder.InsertImage(kind.substr(kRomPrefix.size()), error)) return Fail(error);
      return 0;
    }
    const auto medium = vd::KindFromName(kind);
    if (!medium || vd::Info(*medium).model == vd::WriteModel::ReadOnly)
      return Fail(fmt::format(fmt::runtime(vd::text::kUnknownKind), kind, KindList()));
    return recorder.Insert(*medium, error) ? 0 : Fail(error);
  }
  if (eject->parsed()) return recorder.Eject(error) ? 0 : Fail(error);
  if (load->parsed()) return recorder.CloseTray(error) ? 0 : Fail(error);
  if (status->parsed()) {
    const std::string problem = recorder.Problem();
    std::cout << vd::DescribeDrive(recorder.State(), recorder.CurrentFaults(), recorder.Now());
    if (!problem.empty()) std::cout << fmt::format(fmt::runtime(vd::text::kStatusProblem), problem) << "\n";
    return problem.empty() ? 0 : 1;
  }
  if (exportCmd->parsed()) {
    std::uint32_t blocks = 0;
    if (!recorder.Export(exportPath, blocks, error)) return Fail(error);
    std::cout << fmt::format(fmt::runtime(vd::text::kExported), blocks, exportPath) << "\n";
    return 0;
  }
  if (timescale->parsed()) {
    double scale = -1;
    try {
      std::size_t used = 0;
      scale = std::stod(scaleText, &used);
      if (used != scaleText.size()) scale = -1;
    } catch (const std::exception&) {
    }
    return recorder.SetTimeScale(scale, error) ? 0 : Fail(error);
  }

  // Faults.
  unsigned long opcode = 0, key = 0, asc = 0, ascq = 0, lba = 0;
  const bool commandFault = busy->parsed() || notReady->parsed() || senseFault->parsed() || kill->parsed() || ignore->parsed();
  if (commandFault) {
    long signedCount = 0;
    unsigned long after = 0;
    try {
      signedCount = std::stol(countText);
    } catch (const std::exception&) {
      return Fail(fmt::format(fmt::runtime(vd::text::kBadNumber), countText));
    }
    if (!ParseNumber(afterText, 10, 0x7FFFFFFF, after, error)) return Fail(error);
    if (!ParseNumber(opcodeText, 16, 0xFF, opcode, error)) return Fail(error);
    if (senseFault->parsed() &&
        (!ParseNumber(keyText, 16, 0x0F, key, error) || !ParseNumber(ascText, 16, 0xFF, asc, error) ||
         !ParseNumber(ascqText, 16, 0xFF, ascq, error)))
      return Fail(error);
    vd::CommandFault f;
    f.opcode = static_cast<std::uint8_t>(opcode);
    f.count = static_cast<int>(signedCount);
    f.skip = static_cast<int>(after);
    f.kind = busy->parsed()       ? vd::CommandFault::Kind::Busy
             : notReady->parsed() ? vd::CommandFault::Kind::NotReady
             : kill->parsed()     ? vd::CommandFault::Kind::Kill
             : ignore->parsed()   ? vd::CommandFault::Kind::Ignore
                                  : vd::CommandFault::Kind::Sense;
    f.code = {static_cast<std::uint8_t>(key), static_cast<std::uint8_t>(asc), static_cast<std::uint8_t>(ascq)};
    return recorder.EditFaults([&](vd::Faults& faults) { faults.commands.push_back(f); }, error) ? 0 : Fail(error);
  }
  if (corrupt->parsed()) {
    unsigned long sectors = 0;
    if (!ParseNumber(lbaText, 10, 0xFFFFFFFF, lba, error) || !ParseNumber(corruptCount, 10, 0xFFFFFFFF, sectors, error))
      return Fail(error);
    return recorder.EditFaults(
               [&](vd::Faults& faults) {
                 faults.corruptions.push_back({static_cast<std::uint32_t>(lba), static_cast<std::uint32_t>(sectors)});
               },
               error)
               ? 0
               : Fail(error);
  }
  if (mediumError->parsed()) {
    if (!ParseNumber(lbaText, 10, 0xFFFFFFFF, lba, error)) return Fail(error);
    int times = -1;
    try {
      times = std::stoi(mediumCount);
    } catch (const std::exception&) {
      return Fail(fmt::format(fmt::runtime(vd::text::kBadNumber), mediumCount));
    }
    return recorder.EditFaults(
               [&](vd::Faults& faults) { faults.mediumErrors.push_back({static_cast<std::uint32_t>(lba), times, readsOnly}); },
               error)
               ? 0
               : Fail(error);
  }
  const bool done = recorder.EditFaults(
      [&](vd::Faults& faults) {
        if (noCaps->parsed()) faults.noCapabilitiesPage = true;
        if (blockDescriptor->parsed()) faults.blockDescriptor = true;
        if (noConfig->parsed()) faults.noGetConfiguration = true;
        if (identity->parsed()) {
          faults.inquiryVendor = vendor;
          faults.inquiryProduct = product;
        }
        if (clear->parsed()) faults = {};
      },
      error);
  return done ? 0 : Fail(error);
}
