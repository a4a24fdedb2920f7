#pragma once

#include "components/skin/SkinObjectWidget.h"

namespace korvex {

// A push button of the skin: a rounded face with an optional icon and label.
// Tab reaches it; with the focus, Return, Enter and Space press it.
class SkinButton : public SkinObjectWidget
{
    Q_OBJECT
public:
    SkinButton(const SkinObjectSpec &def, const SkinStyle &style, SkinBundle &bundle, QWidget *parent);

    // Reported as a click, as when the mouse presses and releases it.
    void press();

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool takesKey(const QKeyEvent &event) const override;

private:
    SkinLayout layout() const;
};

} // namespace korvex
