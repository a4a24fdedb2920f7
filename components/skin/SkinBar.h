#pragma once

#include "components/skin/SkinText.h"

namespace korvex {

// A progress bar: its rectangle is its value, so the program draws progress
// by changing the right edge. It is a text object for the program, like the
// bar it stands in for, though the program never writes its text.
class SkinBar : public SkinText
{
    Q_OBJECT
public:
    using SkinText::SkinText;

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace korvex
