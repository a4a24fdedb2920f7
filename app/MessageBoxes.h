#pragma once

#include "components/Seams.h"

#include <QPointer>
#include <QWidget>

namespace korvex {

// Modal message boxes over the given window: one OK button, or Yes and No.
class MessageBoxes : public MessageSeam
{
public:
    explicit MessageBoxes(QWidget *parent) : m_parent(parent) {}
    void error(const QString &text) override;
    void information(const QString &text) override;
    bool question(const QString &text) override;

private:
    QPointer<QWidget> m_parent;
};

} // namespace korvex
