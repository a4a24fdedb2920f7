#pragma once

#include <QString>

class QIODevice;

namespace korvex {

struct WMAHeaderInfo;

// Reads the header of `device` from its current position without the WMA
// info layer. Sets Found to -1 once the header object is recognised; a
// truncated or inconsistent header ends the walk with what was read so far.
void WalkWMAHeader(QIODevice &device, WMAHeaderInfo &info);

// A UTF-16LE text of `length` characters at the device's position: at most
// 511 characters are kept (up to the first zero character), the rest is
// skipped so that the device ends up after the whole text.
QString ReadHeaderText(QIODevice &device, int length);

} // namespace korvex
