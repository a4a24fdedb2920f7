#include "app/MessageBoxes.h"

#include <QApplication>
#include <QMessageBox>

namespace korvex {

void MessageBoxes::error(const QString &text)
{
    m_hold.around([&] { QMessageBox::critical(m_parent, QApplication::applicationDisplayName(), text); });
}

void MessageBoxes::information(const QString &text)
{
    m_hold.around([&] { QMessageBox::information(m_parent, QApplication::applicationDisplayName(), text); });
}

bool MessageBoxes::question(const QString &text)
{
    return m_hold.around([&] {
        return QMessageBox::question(m_parent, QApplication::applicationDisplayName(), text,
                                     QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    }) == QMessageBox::Yes;
}

} // namespace korvex
