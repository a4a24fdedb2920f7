#include "joblist/ListCommands.h"

#include "components/ErrorBoxes.h"
#include "components/KorvexError.h"
#include "joblist/FileAdder.h"
#include "joblist/JobEditor.h"
#include "joblist/JobList.h"
#include "joblist/ListFile.h"
#include "joblist/ListRestore.h"
#include "settings/Settings.h"

#include <QDir>
#include <QFileInfo>

namespace korvex {

ListCommands::ListCommands(JobEditor &editor, FileAdder &adder, SettingsStore &store, const Seams &seams,
                           QObject *parent)
    : QObject(parent), m_editor(editor), m_adder(adder), m_store(store), m_seams(seams),
      m_lastFolder(QDir::homePath())
{
}

void ListCommands::SaveList()
{
    const QString listPath = m_seams.dialogs->saveFile(
        {m_lastFolder, ListFileFilter(), 0, QString::fromLatin1(ListFileSuffix)});
    if (!listPath.isEmpty())
        saveListAs(listPath);
}

void ListCommands::OpenList()
{
    if (m_adder.locked())
        return;
    const QStringList chosen = m_seams.dialogs->openFiles({ListFileFilter(), false, m_lastFolder, 0});
    if (!chosen.isEmpty())
        openListFile(chosen.constFirst());
}

bool ListCommands::saveListAs(const QString &listPath)
{
    if (!ShowingFailure(*m_seams.messages,
                        [&] { WriteListFile(listPath, CaptureList(m_editor.desk().jobs, m_store.settings())); }))
        return false;
    m_lastFolder = QFileInfo(listPath).absolutePath();
    return true;
}

bool ListCommands::openListFile(const QString &listPath, bool askFirst)
{
    if (m_adder.locked())
        return false;
    SavedList list;
    if (!ShowingFailure(*m_seams.messages, [&] { list = ReadListFile(listPath); }))
        return false;
    JobList &jobs = m_editor.desk().jobs;
    const QString name = QFileInfo(listPath).fileName();
    if (askFirst && jobs.rowCount() > 0
        && !m_seams.messages->question(
            QStringLiteral("Replace the %1 file(s) of the job list with the list %2?").arg(jobs.rowCount()).arg(name)))
        return false;
    m_lastFolder = QFileInfo(listPath).absolutePath();

    QStringList missing;
    const QList<ListEntry> present = PresentEntries(list.entries, missing);
    m_editor.ClearJob();
    QStringList report;
    restoreSettings(list.settings, report);
    QStringList paths;
    for (const ListEntry &entry : present)
        paths.append(entry.FileName);
    m_adder.AddFileList(paths);
    report.append(PutEntriesOnRows(jobs, 0, present));
    m_editor.lvClick();
    m_editor.ShowTotalTime();

    if (!missing.isEmpty())
        m_seams.messages->error(QStringLiteral("These files of %1 are no longer where the list says and were left "
                                               "out:\n%2")
                                    .arg(name, missing.join(QLatin1Char('\n'))));
    m_seams.messages->information(QStringLiteral("Opened %1: %2 of its %3 file(s).\n%4")
                                      .arg(name)
                                      .arg(jobs.rowCount())
                                      .arg(list.entries.size())
                                      .arg(report.join(QLatin1Char('\n'))));
    return true;
}

// The list's settings become the window's and are written to Korvex.ini at
// once, so korvex-cli and the next start see what the list set.
void ListCommands::restoreSettings(const ListSettings &list, QStringList &report)
{
    Settings &settings = m_store.settings();
    const ListSettings before = ListSettingsOf(settings);
    ApplyListSettings(list, settings);
    const QStringList changes = ListSettingsChanges(before, ListSettingsOf(settings));
    if (changes.isEmpty())
        report.append(QStringLiteral("The settings were already the list's."));
    else
        report.append(QStringLiteral("The settings are now the list's: %1.").arg(changes.join(QStringLiteral(", "))));
    try {
        m_store.SaveSettings();
        WriteEdgeMs(m_store.file(), settings.EdgeMs);
        WriteOutputFormat(m_store.file(), settings.Format);
    } catch (const KorvexError &error) {
        report.append(error.text() + QStringLiteral(": they hold until Korvex closes."));
    }
    Q_EMIT settingsRestored();
}

} // namespace korvex
