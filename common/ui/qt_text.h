#pragma once
// The program's texts are byte strings in Latin-1 (as the data files store them); Qt works in
// Unicode. Every conversion between the two in the window code goes through this pair, so a
// character outside Latin-1 typed by the user becomes "?" in one place only.

#include <QByteArray>
#include <QString>

#include <string>
#include <string_view>

namespace tf::common::ui {

inline QString ToQString(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string FromQString(const QString& text) {
  const QByteArray bytes = text.toLatin1();
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace tf::common::ui
