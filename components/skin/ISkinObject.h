#pragma once

#include <QList>
#include <QMetaType>
#include <QRect>
#include <QString>

namespace korvex {

// The faces a skin object shows to the program. An object always has a name
// and the common interface; the slider and text interfaces exist only on
// objects of that kind, so asking for them may give nullptr, just as asking an
// object for an interface it does not implement would.

class ISkinCommon
{
public:
    virtual ~ISkinCommon() = default;
    // In client pixels of the window the form is applied to.
    virtual QRect rect() const = 0;
    virtual void setRect(const QRect &rect) = 0;
    virtual void redraw() = 0;
};

class ISkinSlider
{
public:
    virtual ~ISkinSlider() = default;
    virtual int rangeEnd() const = 0;
    virtual void setRangeEnd(int value) = 0;
    virtual int thumbSize() const = 0;
    virtual void setThumbSize(int value) = 0;
    virtual int position() const = 0;
    virtual void setPosition(int value) = 0;
    // Positions run from 0 to this value inclusive.
    int maxPosition() const { return rangeEnd() - thumbSize(); }
};

class ISkinText
{
public:
    virtual ~ISkinText() = default;
    virtual void setText(const QString &text) = 0;
    virtual QString text() const = 0;
};

// A picture of the selected file's sound along the play slider. The program
// hands it the overview (levels 0..255 per column, the first `filled` valid),
// the segments as fractions of the file, and the play position as a fraction.
struct SkinWaveBand
{
    double begin = 0;
    double end = 0;
    bool pending = false;  // the segment being marked: outlined, not filled
};

class ISkinWaveform
{
public:
    virtual ~ISkinWaveform() = default;
    virtual void setLevels(const QList<quint8> &peak, const QList<quint8> &rms, int filled) = 0;
    virtual void setBands(const QList<SkinWaveBand> &bands) = 0;
    virtual void setPlayFraction(double fraction) = 0;
};

class ISkinObject
{
public:
    virtual ~ISkinObject() = default;
    virtual QString name() const = 0;
    virtual ISkinCommon *commonInterface() = 0;
    virtual ISkinSlider *sliderInterface() { return nullptr; }
    virtual ISkinText *textInterface() { return nullptr; }
    virtual ISkinWaveform *waveformInterface() { return nullptr; }
};

} // namespace korvex

Q_DECLARE_METATYPE(korvex::ISkinObject *)
