#pragma once

#include "components/skin/SkinObjectWidget.h"

namespace korvex {

// A push button of the skin: a rounded face with an optional icon and label.
class SkinButton : public SkinObjectWidget
{
    Q_OBJECT
public:
    SkinButton(const SkinObjectSpec &def, const SkinStyle &style, SkinBundle &bundle, QWidget *parent);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    SkinLayout layout() const;
};

} // namespace korvex
