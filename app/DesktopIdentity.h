#pragma once

#include <QString>

namespace korvex {

// The name Korvex goes by on the desktop: its desktop entry, its icon and
// its AppStream id (resources/desktop/).
inline const QString DesktopEntryName = QStringLiteral("org.example.korvex");

} // namespace korvex
