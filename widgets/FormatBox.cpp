#include "widgets/FormatBox.h"

#include "settings/OutputFormat.h"

#include <QAbstractItemView>
#include <QFontMetrics>
#include <QStyleOptionComboBox>
#include <QStylePainter>

namespace korvex {

namespace {

// Room around the longest caption in the open list: its margins and a scroll bar.
constexpr int ListMargin = 32;

QString shortCaption(OutputFormat format)
{
    switch (format) {
    case OutputFormat::OggVorbis:
        return QStringLiteral("OGG");
    case OutputFormat::Aac:
        return QStringLiteral("M4A");
    case OutputFormat::Copy:
        return QStringLiteral("Copy");
    default:
        return outputFormatCaption(format);
    }
}

} // namespace

FormatBox::FormatBox(QWidget *parent) : QComboBox(parent)
{
    for (int i = 0; i < OutputFormatCount; ++i) {
        const OutputFormat format = outputFormatAt(i);
        addItem(outputFormatCaption(format), shortCaption(format));
        setItemData(i, outputFormatCaption(format), Qt::ToolTipRole);
    }
}

QString FormatBox::shortText(int index) const
{
    return itemData(index).toString();
}

void FormatBox::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText = shortText(currentIndex());
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

// The list is as wide as its longest caption, however narrow the box. The
// skin draws the captions bold, which the view's own size hint does not know.
void FormatBox::showPopup()
{
    QFont shown = view()->font();
    shown.setBold(true);
    const QFontMetrics metrics(shown);
    int widest = view()->sizeHintForColumn(0);
    for (int i = 0; i < count(); ++i)
        widest = qMax(widest, metrics.horizontalAdvance(itemText(i)));
    view()->setTextElideMode(Qt::ElideNone);
    view()->setMinimumWidth(widest + ListMargin);
    QComboBox::showPopup();
}

} // namespace korvex
