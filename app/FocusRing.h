#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

namespace korvex {

// The ring around the window's own controls (the lists, the format box)
// while one of them has the keyboard focus, in the colour the skin's objects
// wear for theirs. While the instructions memo lies over the lists, the ring
// goes around the memo, which is what shows of them.
class FocusRing : public QWidget
{
    Q_OBJECT
public:
    // `controls` are watched; `cover` is the memo over them (may be null).
    FocusRing(QWidget *window, const QList<QWidget *> &controls, QWidget *cover);

    static const QColor Colour;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void follow(QWidget *focused);
    bool eventFilter(QObject *watched, QEvent *event) override;

    QList<QWidget *> m_controls;
    QPointer<QWidget> m_cover;
};

} // namespace korvex
