#pragma once

#include <QColor>
#include <QFont>
#include <QHash>
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

#include <optional>

namespace korvex {

// The parsed form of a skin's skin.json (format described in
// resources/SKIN-FORMAT.md). Pure data: nothing here touches widgets.

enum class SkinKind { Button, Slider, Text, Bar, Label, Waveform };

// Colours of one interaction state. fill2, when valid, makes the fill a
// vertical gradient from fill to fill2; for sliders fill is the groove and
// fill2 the played part, border the thumb ring and text the thumb.
struct SkinLook
{
    QColor fill = Qt::transparent;
    QColor fill2;
    QColor border = Qt::transparent;
    QColor text = Qt::black;
    QColor icon;   // invalid: icons take the text colour
};

enum class SkinLayout { IconLeft, IconTop, IconOnly };

struct SkinStyle
{
    QFont font;
    int radius = 0;
    int iconSize = 16;
    int padding = 0;
    int trackHeight = 6;
    int thumbWidth = 14;
    SkinLayout layout = SkinLayout::IconLeft;
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter;
    Qt::TextElideMode elide = Qt::ElideRight;
    SkinLook normal;
    SkinLook hover;
    SkinLook pressed;
    // The ring around the control that has the keyboard focus.
    QColor focus = QColor(0xF5, 0x9E, 0x0B);
};

struct SkinObjectSpec
{
    QString name;
    SkinKind kind = SkinKind::Button;
    QRect rect;
    QString style;
    QString icon;      // picture path inside the skin, may be empty
    QString label;
    QString text;      // initial text of texts and labels
    QString placeholder;  // shown, muted, while a text is empty
    QString tooltip;
    std::optional<SkinLayout> layout;  // overrides the style's layout
};

struct SkinFormSpec
{
    QString name;
    QSize size;
    QString background;  // picture path inside the skin, may be empty
    QList<SkinObjectSpec> objects;
};

struct SkinDescription
{
    QHash<QString, SkinStyle> styles;
    QList<SkinFormSpec> forms;

    const SkinFormSpec *form(const QString &name) const;
    // The named style, or a plain default one when the name is unknown.
    SkinStyle style(const QString &name) const;
    // Every picture the description refers to.
    QStringList pictures() const;
};

// Throws KorvexError with the reason when the text is not a valid
// description.
SkinDescription parseSkinDescription(const QByteArray &json);

} // namespace korvex
