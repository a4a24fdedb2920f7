#pragma once

#include "app/Application.h"
#include "components/skin/SkinForm.h"
#include "components/skin/TSkin.h"
#include "support/RecordingSeams.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

namespace korvex::test {

// A whole session as the program makes it, with recording seams, the
// settings file in a temporary folder and the skin file of the build.
struct MainSession
{
    explicit MainSession(const QString &programFolder = QStringLiteral(KORVEX_BINARY_DIR))
    {
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
    void clickSkin(const char *name)
    {
        QWidget *object = skinWidget(name);
        ASSERT_NE(object, nullptr) << name;
        QTest::mouseClick(object, Qt::LeftButton, {}, object->rect().center());
    }

    TestFolder folder;  // first: XDG_CONFIG_HOME must point here before the settings store exists
    RecordingSeams recorder;
    KorvexWindows windows;
};

} // namespace korvex::test
