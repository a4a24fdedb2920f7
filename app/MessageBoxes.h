#pragma once

#include "app/ModalHold.h"
#include "components/Seams.h"

#include <QPointer>
#include <QWidget>

namespace korvex {

// Modal message boxes over the given window: one OK button, or Yes and No.
// Each box holds what `hold` gives while it is open.
class MessageBoxes : public MessageSeam
{
public:
    MessageBoxes(QWidget *parent, const ModalHold &hold) : m_parent(parent), m_hold(hold) {}
    void error(const QString &text) override;
    void information(const QString &text) override;
    bool question(const QString &text) override;

private:
    QPointer<QWidget> m_parent;
    const ModalHold &m_hold;
};

} // namespace korvex
