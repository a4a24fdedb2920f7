#pragma once

#include <QString>

namespace korvex {

// The words of the "Status" column of the segment list, exactly as shown.
// Callers compare them exactly: "OK" and "Ok" are different words.
namespace status_word {
inline const QString Uncertain = QStringLiteral("Uncertain");    // the pending segment
inline const QString OK = QStringLiteral("OK");                  // a confirmed segment
inline const QString Ok = QStringLiteral("Ok");                  // confirmed just now
inline const QString Unconvert = QStringLiteral("Unconvert");    // a planned piece
inline const QString Converting = QStringLiteral("Converting");  // being converted
inline const QString Finish = QStringLiteral("Finish");          // written
inline const QString Stopped = QStringLiteral("Stopped");        // written in part: a stop cut it short
inline const QString Playing = QStringLiteral("Playing");        // being played
} // namespace status_word

} // namespace korvex
