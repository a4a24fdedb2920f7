#pragma once

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

class ISkinObject
{
public:
    virtual ~ISkinObject() = default;
    virtual QString name() const = 0;
    virtual ISkinCommon *commonInterface() = 0;
    virtual ISkinSlider *sliderInterface() { return nullptr; }
    virtual ISkinText *textInterface() { return nullptr; }
};

} // namespace korvex

Q_DECLARE_METATYPE(korvex::ISkinObject *)
