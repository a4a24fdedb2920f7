#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace korvex {

// The three places where the core meets the desktop: message boxes, file and
// folder dialogs, and launching other programs. The application installs
// widget-backed implementations; tests install recording ones. Nothing else in
// Korvex is ever replaced by a double.

class MessageSeam
{
public:
    virtual ~MessageSeam() = default;
    // A modal error box with the text and one OK button.
    virtual void error(const QString &text) = 0;
    // A modal information box with the text and one OK button.
    virtual void information(const QString &text) = 0;
    // A modal question with Yes and No, No the default; true for Yes. Front
    // ends that cannot ask answer No, which leaves everything as it was.
    virtual bool question(const QString &text)
    {
        Q_UNUSED(text);
        return false;
    }
};

// The filter of every open and save dialog that asks for WMA files.
inline QString WmaFileFilter()
{
    return QStringLiteral("WMA Files(*.wma)|*.wma");
}

struct OpenFilesRequest
{
    QString filter;       // "WMA Files(*.wma)|*.wma" style: description|pattern pairs
    bool multiple = true;
    QString startFolder;  // where the dialog opens; empty: wherever it likes
    int filterIndex = 0;  // the description|pattern pair selected at first
};

struct SaveFileRequest
{
    QString startFolder;
    QString filter;
    int filterIndex = 0;  // the index of the selected output format
    QString defaultSuffix;  // added to a name typed without an extension
};

class DialogSeam
{
public:
    virtual ~DialogSeam() = default;
    // The chosen paths in the dialog's order; empty when the user cancels.
    virtual QStringList openFiles(const OpenFilesRequest &request) = 0;
    // The path as typed or chosen; empty when the user cancels. The dialog asks
    // before overwriting an existing file of the name it returns; a name typed
    // without an extension gets request.defaultSuffix.
    virtual QString saveFile(const SaveFileRequest &request) = 0;
    // The folder chooser: the chosen folder, or empty on Cancel or close. It
    // opens at startFolder when that is given, else where it was left.
    virtual QString chooseFolder(const QString &caption, bool forOutputFolder, const QString &startFolder) = 0;
};

class LauncherSeam
{
public:
    // Why the desktop could not open something; called on the window thread,
    // perhaps after open() has returned.
    using Failure = std::function<void(const QString &reason)>;

    virtual ~LauncherSeam() = default;
    // Opens a folder, a file or an address with the desktop's handler; a
    // failure goes to `failed` when one is given.
    virtual void open(const QString &pathOrUrl, const Failure &failed) = 0;
    void open(const QString &pathOrUrl) { open(pathOrUrl, {}); }
};

struct Seams
{
    MessageSeam *messages = nullptr;
    DialogSeam *dialogs = nullptr;
    LauncherSeam *launcher = nullptr;
};

} // namespace korvex
