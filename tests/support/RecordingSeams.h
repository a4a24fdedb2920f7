#pragma once

#include "components/Seams.h"

#include <QStringList>

namespace korvex::test {

// Doubles of the three seams: they record what the program asked and answer
// with what the test prepared.
class RecordingMessages : public MessageSeam
{
public:
    void error(const QString &text) override { errors.append(text); }
    void information(const QString &text) override { informations.append(text); }
    bool question(const QString &text) override
    {
        questions.append(text);
        return questionAnswer;
    }
    QStringList errors;
    QStringList informations;
    QStringList questions;
    bool questionAnswer = false;
};

class RecordingDialogs : public DialogSeam
{
public:
    QStringList openFiles(const OpenFilesRequest &request) override
    {
        openRequests.append(request);
        return openAnswer;
    }
    QString saveFile(const SaveFileRequest &request) override
    {
        saveRequests.append(request);
        return saveAnswer;
    }
    QString chooseFolder(const QString &caption, bool forOutputFolder, const QString &startFolder) override
    {
        folderCaptions.append(caption);
        folderForOutput.append(forOutputFolder);
        folderStarts.append(startFolder);
        return folderAnswer;
    }
    QList<OpenFilesRequest> openRequests;
    QList<SaveFileRequest> saveRequests;
    QStringList folderCaptions;
    QList<bool> folderForOutput;
    QStringList folderStarts;
    QStringList openAnswer;
    QString saveAnswer;
    QString folderAnswer;
};

class RecordingLauncher : public LauncherSeam
{
public:
    using LauncherSeam::open;
    void open(const QString &pathOrUrl, const Failure &failed) override
    {
        opened.append(pathOrUrl);
        if (!failWith.isEmpty() && failed)
            failed(failWith);
    }
    QStringList opened;
    QString failWith;  // when set, every open fails with this reason
};

struct RecordingSeams
{
    RecordingMessages messages;
    RecordingDialogs dialogs;
    RecordingLauncher launcher;
    Seams seams() { return Seams{&messages, &dialogs, &launcher}; }
};

} // namespace korvex::test
