#pragma once

#include <QString>

namespace korvex {

// Whole seconds as h:m:s, each part at least two digits ("%.2d"). Hours are not
// limited to two digits; a negative input gives each part its own sign, as
// division and remainder truncate toward zero (−65 gives "00:-01:-05").
QString TimeText(qint64 seconds);

// The text without * ? | : " / \ < > and control characters, all other
// characters in their order.
QString CleanName(const QString &text);

// A file size as the file list shows it: mebibytes rounded to five significant
// digits, then written with two decimals, the locale's decimal separator and
// "MB" ("3.47MB", "1234.60MB", "123460.00MB").
QString SizeText(qint64 bytes);

// Milliseconds as TimeText shows whole seconds, with ".mmm" after the seconds
// only when there is a fraction: 61000 gives "00:01:01", 61250 "00:01:01.250".
QString MsTimeText(qint64 ms);

// The caption of a row of the segment list from times in milliseconds:
// "00:00:10 - 00:01:00", "00:00:10.500 - 00:01:00".
QString SegmentCaption(qint64 beginMs, qint64 endMs);

} // namespace korvex
