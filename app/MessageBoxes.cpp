#include "app/MessageBoxes.h"

#include <QApplication>
#include <QMessageBox>

namespace korvex {

void MessageBoxes::error(const QString &text)
{
    QMessageBox::critical(m_parent, QApplication::applicationDisplayName(), text);
}

void MessageBoxes::information(const QString &text)
{
    QMessageBox::information(m_parent, QApplication::applicationDisplayName(), text);
}

bool MessageBoxes::question(const QString &text)
{
    return QMessageBox::question(m_parent, QApplication::applicationDisplayName(), text,
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
}

} // namespace korvex
