#pragma once

#include "components/skin/SkinObjectWidget.h"

namespace korvex {

// A text field of the skin. Labels are texts that take no mouse input: they
// only decorate the form.
class SkinText : public SkinObjectWidget, public ISkinText
{
    Q_OBJECT
public:
    SkinText(const SkinObjectSpec &def, const SkinStyle &style, SkinBundle &bundle, QWidget *parent);

    ISkinText *textInterface() override { return this; }
    void setText(const QString &text) override;
    QString text() const override { return m_text; }
    // A screen reader reads what the field shows.
    QString spokenName() const override;
    // What the field shows, as the skin says it; never the text again.
    QString spokenDescription() const override { return def().tooltip; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QRect textArea() const;
    void refreshToolTip();

    QString m_text;
};

} // namespace korvex
