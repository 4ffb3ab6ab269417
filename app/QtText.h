// The string table's UTF-8 texts as Qt strings, and back, with their fields filled in.
#pragma once

#include <string>
#include <string_view>

#include <QString>

#include <fmt/printf.h>

namespace kivo::app {

inline QString Q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }
inline std::string U(const QString& text) { return text.toStdString(); }

// A text of the string table with its printf-style fields filled in.
template <typename... Args>
QString Text(std::string_view format, const Args&... args) {
  return Q(fmt::sprintf(std::string(format), args...));
}

}  // namespace kivo::app
