#pragma once

#include "app/Application.h"
#include "components/skin/SkinForm.h"
#include "components/skin/TSkin.h"
#include "support/RecordingSeams.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <functional>
#include <gtest/gtest.h>

namespace korvex::test {

// A whole session as the program makes it, with recording seams, the
// settings file in a temporary folder and the skin file of the build.
struct MainSession
{
    explicit MainSession(const QString &programFolder = QStringLiteral(KORVEX_BINARY_DIR))
        : MainSession([](MainSession &) {}, programFolder)
    {
    }
    // `before` runs once the folder and the recorder exist and before the
    // windows do: files a start finds, answers prepared for its questions.
    explicit MainSession(const std::function<void(MainSession &)> &before,
                         const QString &programFolder = QStringLiteral(KORVEX_BINARY_DIR))
    {
        before(*this);
        MainWindowOptions options;
        options.programFolder = programFolder;
        options.seams = recorder.seams();
        windows = CreateWindows(options);
        main().show();
        QApplication::processEvents();
    }
    Tfm_main &main() { return *windows.fm_main; }
    SkinForm *form() { return main().Skin1->form(&main()); }
    QWidget *skinWidget(const char *name) { return form()->findChild<QWidget *>(QString::fromLatin1(name)); }
    // What the user sees in a text object of the skin.
    QString skinText(const char *name)
    {
        return form()->findObject(QString::fromLatin1(name))->textInterface()->text();
    }
    // The status words of lv_time, in row order.
    QStringList statuses()
    {
        SegmentListModel &rows = *main().jobList().segmentModel();
        QStringList words;
        for (int row = 0; row < rows.rowCount(); ++row)
            words.append(rows.status(row));
        return words;
    }
    void clickSkin(const char *name)
    {
        QWidget *object = skinWidget(name);
        ASSERT_NE(object, nullptr) << name;
        QTest::mouseClick(object, Qt::LeftButton, {}, object->rect().center());
    }
    // Waits until the split, join or Find Silences going on has ended (its outcome applied);
    // at once when none goes on. Not from inside a run's own event handling.
    void waitForRunEnd()
    {
        Core &core = main().core();
        if (!core.runGoing())
            return;
        QSignalSpy ended(&core, &Core::runEnded);
        EXPECT_TRUE(ended.wait()) << "the run never ended";
    }
    // A click on a run command of the skin, followed to the end of the run
    // it starts.
    void clickRun(const char *name)
    {
        clickSkin(name);
        waitForRunEnd();
    }
    // The same for a run command of the menus.
    void triggerRun(const char *item)
    {
        main().menus->item(QString::fromLatin1(item))->trigger();
        waitForRunEnd();
    }

    // Runs the action once, at the run's next pump after "pbpos" first shows
    // at least minPercent: from inside a running conversion, as a user's
    // click would arrive. True once the action has been posted.
    bool actionArmed() const { return m_armed; }
    void atProgress(int minPercent, std::function<void()> action)
    {
        m_armed = false;
        QObject::disconnect(m_progressWatch);
        m_progressWatch = QObject::connect(&main().skinFace(), &SkinFace::redrawRequested, &m_context,
                         [this, minPercent, action](const QString &name) {
                             const QString percent = skinText("pbpos");
                             if (m_armed || name != "pbpos" || percent.isEmpty()
                                 || percent.chopped(1).toInt() < minPercent)
                                 return;
                             m_armed = true;
                             QTimer::singleShot(0, &m_context, action);
                         });
    }

    TestFolder folder;  // first: XDG_CONFIG_HOME must point here before the settings store exists
    RecordingSeams recorder;
    KorvexWindows windows;

private:
    QObject m_context;  // ends the connections of atProgress with the session
    bool m_armed = false;
    QMetaObject::Connection m_progressWatch;  // of the latest atProgress; it replaces earlier ones
};

} // namespace korvex::test
