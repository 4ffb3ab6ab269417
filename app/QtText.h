// The string table's UTF-8 texts as Qt strings, and back.
#pragma once

#include <string>
#include <string_view>

#include <QString>

namespace kivo::app {

inline QString Q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }
inline std::string U(const QString& text) { return text.toStdString(); }

}  // namespace kivo::app
