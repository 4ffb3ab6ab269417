#include "virtualdrive/Faults.h"

#include <nlohmann/json.hpp>

#include <algorithm>

#include "virtualdrive/Cdb.h"


namespace kivo::vdrive {
namespace {

const char* KindName(CommandFault::Kind kind) {
  switch (kind) {
    case CommandFault::Kind::Busy: return "busy";
    case CommandFault::Kind::NotReady: return "notready";
    case CommandFault::Kind::Sense: return "sense";
    case CommandFault::Kind::Kill: return "kill";
    case CommandFault::Kind::Ignore: return "ignore";
  }
  return "busy";
}

void Use(int& count) {
  if (count > 0) --count;
}

}  // namespace

std::optional<CommandFault> Faults::TakeCommandFault(std::uint8_t opcode) {
  for (auto it = commands.begin(); it != commands.end(); ++it) {
    if (it->opcode != opcode || it->count == 0) continue;
    if (it->skip > 0) {
      --it->skip;
      return std::nullopt;
    }
    const CommandFault fault = *it;
    Use(it->count);
    if (it->count == 0) commands.erase(it);
    return fault;
  }
  return std::nullopt;
}

std::optional<std::uint32_t> Faults::TakeMediumError(std::uint32_t lba, std::uint32_t count, bool write) {
  for (auto it = mediumErrors.begin(); it != mediumErrors.end(); ++it) {
    if (it->count == 0 || it->lba < lba || it->lba - lba >= count || (write && it->readsOnly)) continue;
    const std::uint32_t bad = it->lba;
    Use(it->count);
    if (it->count == 0) mediumErrors.erase(it);
    return bad;
  }
  return std::nullopt;
}

bool Faults::Corrupt(std::uint32_t lba, std::uint32_t count, std::uint8_t* data) const {
  bool any = false;
  for (const CorruptionFault& c : corruptions) {
    const std::uint64_t from = std::max<std::uint64_t>(lba, c.lba);
    const std::uint64_t to = std::min<std::uint64_t>(std::uint64_t{lba} + count, std::uint64_t{c.lba} + c.count);
    for (std::uint64_t s = from; s < to; ++s) {
      std::uint8_t* sector = data + (s - lba) * kBlockSize;
      for (std::uint32_t i = 0; i < kBlockSize; ++i) sector[i] = static_cast<std::uint8_t>(~sector[i]);
      any = true;
    }
  }
  return any;
}

nlohmann::json FaultsToJson(const Faults& faults) {
  nlohmann::json j = nlohmann::json::object();
  auto& commands = j["commands"] = nlohmann::json::array();
  for (const auto& f : faults.commands) {
    nlohmann::json c{{"opcode", f.opcode}, {"kind", KindName(f.kind)}, {"count", f.count}};
    if (f.skip > 0) c["skip"] = f.skip;
    if (f.kind == CommandFault::Kind::Sense) {
      c["key"] = f.code.key;
      c["asc"] = f.code.asc;
      c["ascq"] = f.code.ascq;
    }
    commands.push_back(c);
  }
  auto& errors = j["mediumErrors"] = nlohmann::json::array();
  for (const auto& m : faults.mediumErrors) {
    errors.push_back({{"lba", m.lba}, {"count", m.count}});
    if (m.readsOnly) errors.back()["readsOnly"] = true;
  }
  if (!faults.corruptions.empty()) {
    auto& corruptions = j["corruptions"] = nlohmann::json::array();
    for (const auto& c : faults.corruptions) corruptions.push_back({{"lba", c.lba}, {"count", c.count}});
  }
  j["noCapabilitiesPage"] = faults.noCapabilitiesPage;
  j["blockDescriptor"] = faults.blockDescriptor;
  j["noGetConfiguration"] = faults.noGetConfiguration;
  if (faults.inquiryVendor) j["inquiryVendor"] = *faults.inquiryVendor;
  if (faults.inquiryProduct) j["inquiryProduct"] = *faults.inquiryProduct;
  return j;
}

bool FaultsFromJson(const nlohmann::json& j, Faults& faults, std::string& error) {
  Faults result;
  try {
    if (!j.is_object()) throw std::runtime_error("not an object");
    for (const auto& c : j.value("commands", nlohmann::json::array())) {
      CommandFault f;
      f.opcode = c.at("opcode").get<std::uint8_t>();
      const std::string kind = c.at("kind").get<std::string>();
      if (kind == "busy") {
        f.kind = CommandFault::Kind::Busy;
      } else if (kind == "notready") {
        f.kind = CommandFault::Kind::NotReady;
      } else if (kind == "kill") {
        f.kind = CommandFault::Kind::Kill;
      } else if (kind == "ignore") {
        f.kind = CommandFault::Kind::Ignore;
      } else if (kind == "sense") {
        f.kind = CommandFault::Kind::Sense;
        f.code = {c.at("key").get<std::uint8_t>(), c.at("asc").get<std::uint8_t>(),
                  c.at("ascq").get<std::uint8_t>()};
      } else {
        throw std::runtime_error("unknown fault kind \"" + kind + "\"");
      }
      f.count = c.value("count", 1);
      f.skip = c.value("skip", 0);
      result.commands.push_back(f);
    }
    for (const auto& m : j.value("mediumErrors", nlohmann::json::array()))
      result.mediumErrors.push_back({m.at("lba").get<std::uint32_t>(), m.value("count", -1), m.value("readsOnly", false)});
    for (const auto& c : j.value("corruptions", nlohmann::json::array()))
      result.corruptions.push_back({c.at("lba").get<std::uint32_t>(), c.value("count", 1u)});
    result.noCapabilitiesPage = j.value("noCapabilitiesPage", false);
    result.blockDescriptor = j.value("blockDescriptor", false);
    result.noGetConfiguration = j.value("noGetConfiguration", false);
    if (j.contains("inquiryVendor")) result.inquiryVendor = j["inquiryVendor"].get<std::string>();
    if (j.contains("inquiryProduct")) result.inquiryProduct = j["inquiryProduct"].get<std::string>();
  } catch (const std::exception& e) {
    error = e.what();
    return false;
  }
  faults = std::move(result);
  return true;
}

}  // namespace kivo::vdrive
