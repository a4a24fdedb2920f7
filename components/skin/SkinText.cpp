#include "components/skin/SkinText.h"

#include <QAccessible>
#include <QPainter>

namespace korvex {

SkinText::SkinText(const SkinObjectSpec &def, const SkinStyle &style, SkinBundle &bundle, QWidget *parent)
    : SkinObjectWidget(def, style, bundle, parent), m_text(def.text)
{
    if (def.kind == SkinKind::Label)
        setAttribute(Qt::WA_TransparentForMouseEvents);
}

void SkinText::setText(const QString &text)
{
    // the program redraws after every change, so no repaint here
    const bool changed = text != m_text;
    m_text = text;
    refreshToolTip();
    if (changed && QAccessible::isActive()) {
        QAccessibleEvent event(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
}

QString SkinText::spokenName() const
{
    if (!m_text.isEmpty())
        return m_text;
    if (!def().placeholder.isEmpty())
        return def().placeholder;
    return SkinObjectWidget::spokenName();
}

void SkinText::resizeEvent(QResizeEvent *)
{
    refreshToolTip();
}

QRect SkinText::textArea() const
{
    const int padding = style().padding;
    return QWidget::rect().adjusted(padding, 0, -padding, 0);
}

void SkinText::refreshToolTip()
{
    // the whole text stays readable when the field is too narrow for it
    const bool elided = fontMetrics().horizontalAdvance(m_text) > textArea().width();
    setToolTip(elided ? m_text : def().tooltip);
}

void SkinText::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // a text field does not light up under the mouse
    const SkinLook &colours = style().normal;
    paintBox(painter, QWidget::rect(), colours);
    const QRect area = textArea();
    QColor pen = colours.text;
    QString shown = m_text;
    if (shown.isEmpty()) {
        shown = def().placeholder;
        pen.setAlphaF(0.45f);
    }
    painter.setPen(pen);
    painter.drawText(area, static_cast<int>(style().align), fontMetrics().elidedText(shown, style().elide, area.width()));
}

} // namespace korvex
