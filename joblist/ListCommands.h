#pragma once

#include "components/Seams.h"

#include <QObject>
#include <QString>

namespace korvex {

class FileAdder;
class JobEditor;
class SettingsStore;
struct ListSettings;

// "Save List…" and "Open List…": the job list with its mode and settings
// kept in a ".korvex" file (joblist/ListFile) and taken back from one.
// Opening replaces the list (after a question when it holds entries), adds
// the files again through FileAdder, so they are measured and tagged afresh,
// puts the saved segments and tags on them and makes the list's settings the
// window's, in memory and in Korvex.ini, as the settings dialog's Ok does.
class ListCommands : public QObject
{
    Q_OBJECT
public:
    ListCommands(JobEditor &editor, FileAdder &adder, SettingsStore &store, const Seams &seams,
                 QObject *parent = nullptr);

    void SaveList();
    void OpenList();
    // Saves without a dialog; false (after an error box) when it failed.
    bool saveListAs(const QString &listPath);
    // Opens without a dialog. A damaged list changes nothing; the user is
    // told why. With askFirst, a list that holds entries is replaced only
    // after a Yes. False when nothing was opened.
    bool openListFile(const QString &listPath, bool askFirst = true);

Q_SIGNALS:
    // The in-memory settings are the opened list's now (the format box shows
    // Settings::Format).
    void settingsRestored();

private:
    void restoreSettings(const ListSettings &list, QStringList &report);

    JobEditor &m_editor;
    FileAdder &m_adder;
    SettingsStore &m_store;
    Seams m_seams;
    QString m_lastFolder;  // where the last list was saved or opened
};

} // namespace korvex
