#include "virtualdrive/StateJson.h"

#include <stdexcept>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

namespace kivo::vdrive {
namespace {

constexpr int kFormatVersion = 1;

const char* OperationName(Operation::Kind kind) {
  switch (kind) {
    case Operation::Kind::None: return "none";
    case Operation::Kind::LongWrite: return "long-write";
    case Operation::Kind::Format: return "format";
  }
  return "none";
}

Operation::Kind OperationFromName(const std::string& name) {
  if (name == "none") return Operation::Kind::None;
  if (name == "long-write") return Operation::Kind::LongWrite;
  if (name == "format") return Operation::Kind::Format;
  throw std::runtime_error("unknown operation \"" + name + "\"");
}

std::string ToHex(const WriteParametersPage& page) {
  std::string text;
  for (auto b : page) text += fmt::format("{:02X}", b);
  return text;
}

WriteParametersPage FromHex(const std::string& text) {
  if (text.size() != kWriteParametersLength * 2) throw std::runtime_error("bad write parameters page");
  WriteParametersPage page{};
  for (std::size_t i = 0; i < page.size(); ++i)
    page[i] = static_cast<std::uint8_t>(std::stoul(text.substr(i * 2, 2), nullptr, 16));
  return page;
}

nlohmann::json DiscToJson(const Disc& d) {
  nlohmann::json tracks = nlohmann::json::array();
  for (const auto& t : d.tracks)
    tracks.push_back({{"number", t.number},
                      {"session", t.session},
                      {"start", t.start},
                      {"reserved", t.reserved},
                      {"written", t.written},
                      {"closed", t.closed},
                      {"trackMode", t.trackMode}});
  return {{"kind", Info(d.kind).name},
          {"romImage", d.romImage},
          {"romBlocks", d.romBlocks},
          {"closedSessions", d.closedSessions},
          {"finalized", d.finalized},
          {"openSessionStart", d.openSessionStart},
          {"tracks", tracks},
          {"formatted", d.formatted},
          {"formattedBlocks", d.formattedBlocks},
          {"intermediate", d.intermediate},
          {"recordedEnd", d.recordedEnd}};
}

Disc DiscFromJson(const nlohmann::json& j) {
  Disc d;
  const auto kind = KindFromName(j.at("kind").get<std::string>());
  if (!kind) throw std::runtime_error("unknown medium \"" + j.at("kind").get<std::string>() + "\"");
  d.kind = *kind;
  d.romImage = j.at("romImage").get<std::string>();
  d.romBlocks = j.at("romBlocks").get<std::uint32_t>();
  d.closedSessions = j.at("closedSessions").get<std::uint32_t>();
  d.finalized = j.at("finalized").get<bool>();
  d.openSessionStart = j.at("openSessionStart").get<std::uint32_t>();
  for (const auto& t : j.at("tracks")) {
    Track track;
    track.number = t.at("number").get<std::uint32_t>();
    track.session = t.at("session").get<std::uint32_t>();
    track.start = t.at("start").get<std::uint32_t>();
    track.reserved = t.at("reserved").get<std::uint32_t>();
    track.written = t.at("written").get<std::uint32_t>();
    track.closed = t.at("closed").get<bool>();
    track.trackMode = t.at("trackMode").get<std::uint8_t>();
    d.tracks.push_back(track);
  }
  d.formatted = j.at("formatted").get<bool>();
  d.formattedBlocks = j.at("formattedBlocks").get<std::uint32_t>();
  d.intermediate = j.at("intermediate").get<bool>();
  d.recordedEnd = j.at("recordedEnd").get<std::uint32_t>();
  return d;
}

// A state file can be edited by hand; reject what would let the model address blocks outside
// the medium or break its track bookkeeping.
void CheckDisc(const Disc& d) {
  const std::uint32_t capacity =
      Info(d.kind).model == WriteModel::ReadOnly ? d.romBlocks : Info(d.kind).capacity;
  if (d.recordedEnd > capacity || d.formattedBlocks > capacity || d.openSessionStart > capacity)
    throw std::runtime_error("addresses beyond the medium's capacity");
  std::uint32_t previous = 0;
  for (const auto& t : d.tracks) {
    const std::uint64_t end = std::uint64_t{t.start} + std::max(t.written, t.reserved);
    if (end > capacity || t.written > std::max(t.written, t.reserved) ||
        (t.reserved && t.written > t.reserved))
      throw std::runtime_error(fmt::format("track {} lies outside the medium", t.number));
    if (t.number <= previous || t.session == 0 || t.session > d.closedSessions + 1)
      throw std::runtime_error(fmt::format("track {} is out of order", t.number));
    previous = t.number;
  }
}

}  // namespace

nlohmann::json StateToJson(const DriveState& s) {
  return {{"version", kFormatVersion},
          {"trayOpen", s.trayOpen},
          {"disc", s.disc ? DiscToJson(*s.disc) : nlohmann::json(nullptr)},
          {"preventRemoval", s.preventRemoval},
          {"writeParameters", ToHex(s.writeParameters)},
          {"readSpeed", s.readSpeed},
          {"writeSpeed", s.writeSpeed},
          {"timeScale", s.timeScale},
          {"operation",
           {{"kind", OperationName(s.operation.kind)},
            {"startMs", s.operation.startMs},
            {"endMs", s.operation.endMs}}},
          {"bufferFill", s.bufferFill},
          {"bufferAtMs", s.bufferAtMs},
          {"simulatedBlocks", s.simulatedBlocks}};
}

bool StateFromJson(const nlohmann::json& j, DriveState& state, std::string& error) {
  try {
    if (!j.is_object()) throw std::runtime_error("not a JSON object");
    if (j.at("version").get<int>() != kFormatVersion) throw std::runtime_error("unknown format version");
    DriveState s;
    s.trayOpen = j.at("trayOpen").get<bool>();
    if (!j.at("disc").is_null()) {
      s.disc = DiscFromJson(j.at("disc"));
      CheckDisc(*s.disc);
    }
    s.preventRemoval = j.at("preventRemoval").get<bool>();
    s.writeParameters = FromHex(j.at("writeParameters").get<std::string>());
    s.readSpeed = j.at("readSpeed").get<std::uint16_t>();
    s.writeSpeed = j.at("writeSpeed").get<std::uint16_t>();
    s.timeScale = j.at("timeScale").get<double>();
    if (!(s.timeScale >= 0 && s.timeScale <= 1000)) throw std::runtime_error("time scale out of range");
    const auto& op = j.at("operation");
    s.operation.kind = OperationFromName(op.at("kind").get<std::string>());
    s.operation.startMs = op.at("startMs").get<std::int64_t>();
    s.operation.endMs = op.at("endMs").get<std::int64_t>();
    s.bufferFill = j.at("bufferFill").get<std::uint64_t>();
    s.bufferAtMs = j.at("bufferAtMs").get<std::int64_t>();
    s.simulatedBlocks = j.at("simulatedBlocks").get<std::uint32_t>();
    state = std::move(s);
    return true;
  } catch (const std::exception& e) {
    error = e.what();
    return false;
  }
}

}  // namespace kivo::vdrive
