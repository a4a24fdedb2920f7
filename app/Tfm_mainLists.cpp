// The working list kept for after a crash: taken at start-up, offered back
// when a window that crashed left one, followed as the user edits.
#include "app/Tfm_main.h"

#include "joblist/ListAutosave.h"
#include "settings/ui/Tfm_set.h"
#include "tags/ui/Tfm_id3.h"

#include <QFile>
#include <QTimer>

namespace korvex {

void Tfm_main::keepWorkingList()
{
    if (m_workingList)
        return;
    m_workingList = std::make_unique<ListAutosave>(m_core.jobs(), m_core.settings());
    m_workingList->waitWhile([this] { return m_core.run().Converting || m_core.jobs().Adding(); });
    connect(m_workingList.get(), &ListAutosave::saveFailed, this, [this](const QString &text) {
        m_seams.messages->error(
            QStringLiteral("%1\nThe job list is not kept for after a crash until this is put right.").arg(text));
    });
    // Another window keeps its own list: this one keeps none and offers none.
    if (!m_workingList->claim())
        return;
    // The question waits until the window is on the screen.
    QTimer::singleShot(0, this, [this] { offerLeftOverList(); });
}

void Tfm_main::offerLeftOverList()
{
    if (m_workingList->leftOver()) {
        const bool restore = m_seams.messages->question(
            QStringLiteral("Korvex did not close normally last time. Restore the job list it was working on?"));
        if (!restore || !m_core.lists().openListFile(m_workingList->listPath(), false))
            QFile::remove(m_workingList->listPath());
    }
    m_workingList->start();
    // tags and settings change outside the lists' models
    for (QDialog *dialog : {static_cast<QDialog *>(fm_id3), static_cast<QDialog *>(fm_set)}) {
        if (dialog)
            connect(dialog, &QDialog::accepted, m_workingList.get(), &ListAutosave::changed);
    }
    connect(&m_core.lists(), &ListCommands::settingsRestored, m_workingList.get(), &ListAutosave::changed);
    m_workingList->changed();
}

} // namespace korvex
