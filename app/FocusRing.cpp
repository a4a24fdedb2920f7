#include "app/FocusRing.h"

#include <QApplication>
#include <QFocusEvent>
#include <QPainter>

namespace korvex {

const QColor FocusRing::Colour(0xF5, 0x9E, 0x0B);

FocusRing::FocusRing(QWidget *window, const QList<QWidget *> &controls, QWidget *cover)
    : QWidget(window), m_controls(controls), m_cover(cover)
{
    setObjectName(QStringLiteral("focusRing"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    hide();
    for (QWidget *control : m_controls)
        control->installEventFilter(this);
    // the memo comes and goes while a list keeps the focus
    if (m_cover)
        m_cover->installEventFilter(this);
}

// Only focus that came by Tab is marked, as on the skin's objects, which
// only Tab reaches: a click on a list shows where it went by itself.
bool FocusRing::eventFilter(QObject *watched, QEvent *event)
{
    auto *control = qobject_cast<QWidget *>(watched);
    if (control && m_controls.contains(control)) {
        if (event->type() == QEvent::FocusIn) {
            const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
            if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason)
                follow(control);
            else
                hide();
        } else if (event->type() == QEvent::FocusOut) {
            hide();
        }
    } else if (watched == m_cover && isVisible()
               && (event->type() == QEvent::Show || event->type() == QEvent::Hide)) {
        follow(QApplication::focusWidget());
    }
    return QWidget::eventFilter(watched, event);
}

void FocusRing::follow(QWidget *focused)
{
    if (!focused || !m_controls.contains(focused)) {
        hide();
        return;
    }
    QWidget *shown = focused;
    if (m_cover && m_cover->isVisible() && m_cover->geometry().intersects(focused->geometry()))
        shown = m_cover;
    setGeometry(shown->geometry().adjusted(-2, -2, 2, 2));
    raise();
    show();
    update();
}

void FocusRing::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Colour, 2));
    painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 4, 4);
}

} // namespace korvex
