// The folder chooser, from both of its callers: the settings dialog's "..."
// for the output folder and "Add Folder" for a folder of files to add.
#include "DialogLayout.h"
#include "DialogSession.h"
#include "settings/Settings.h"
#include "settings/ui/Tfm_dir.h"
#include "settings/ui/Tfm_set.h"
#include "support/AudioFixtures.h"
#include "support/TextFiles.h"

#include <QAction>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

using namespace korvex;

namespace {

class FolderChooser : public ::testing::Test
{
protected:
    FolderChooser()
    {
        for (const char *name : {"Documents", "Music", "Podcasts", "Recordings"})
            QDir().mkpath(s.home() + QLatin1Char('/') + QLatin1String(name));
    }

    Tfm_dir &chooser() { return *s.windows.fm_dir; }
    Tfm_set &settingsDialog() { return *s.windows.fm_set; }
    Settings &settings() { return s.main().settingsStore().settings(); }
    SettingsFile &file() { return s.main().settingsStore().file(); }
    void click(QWidget *widget) { QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center()); }

    // Opens the chooser from the settings dialog's "..." and runs the action
    // in it; the settings dialog stays open afterwards.
    void fromPathButton(const std::function<void()> &action)
    {
        settingsDialog().show();
        QApplication::processEvents();
        bool opened = false;
        test::insideNextModal([&](QWidget *modal) {
            opened = modal == &chooser();
            action();
        });
        click(settingsDialog().bt_dir);
        EXPECT_TRUE(opened);
    }
    void fromAddFolder(const std::function<void()> &action)
    {
        bool opened = false;
        test::insideNextModal([&](QWidget *modal) {
            opened = modal == &chooser();
            action();
        });
        s.main().menus->item("AddFolder2")->trigger();
        EXPECT_TRUE(opened);
    }
    // Waits until the chooser has listed the folder's sub-folders.
    void waitForListing(const QString &folder)
    {
        QFileSystemModel *model = chooser().folders;
        const QModelIndex index = model->index(folder);
        if (model->canFetchMore(index))
            model->fetchMore(index);
        QSignalSpy loaded(model, &QFileSystemModel::directoryLoaded);
        while (model->rowCount(index) == 0 || model->canFetchMore(index))
            ASSERT_TRUE(loaded.wait(10000)) << qPrintable(folder);
        QApplication::processEvents();
    }

    test::DialogSession s;
};

TEST_F(FolderChooser, OpensOnTheHomeFolderAtTheMainWindowsCornerForEitherCaller)
{
    s.main().move(211, 64);
    QString outputCaption;
    QString addCaption;
    fromPathButton([&] {
        outputCaption = chooser().windowTitle();
        EXPECT_EQ(chooser().frameGeometry().topLeft(), s.main().frameGeometry().topLeft());
        EXPECT_EQ(chooser().selectedFolder(), s.home());
        EXPECT_TRUE(chooser().FolderChooserForOutput);
        click(chooser().btn_cancel);
    });
    settingsDialog().close();
    s.main().move(40, 300);
    fromAddFolder([&] {
        addCaption = chooser().windowTitle();
        EXPECT_EQ(chooser().frameGeometry().topLeft(), s.main().frameGeometry().topLeft());
        EXPECT_FALSE(chooser().FolderChooserForOutput);
        click(chooser().btn_cancel);
    });
    EXPECT_EQ(outputCaption, "Output Directory");
    EXPECT_EQ(addCaption, "Add File Directory");
    EXPECT_EQ(chooser().ChosenFolder, "");
    EXPECT_EQ(s.main().jobList().rowCount(), 0);
}

TEST_F(FolderChooser, HasTheDesignedControlsAndShowsTheFolders)
{
    chooser().setWindowTitle("Output Directory");
    chooser().show();
    waitForListing(s.home());
    waitForListing(QFileInfo(s.home()).path());
    EXPECT_EQ(chooser().size(), QSize(286, 281));
    EXPECT_EQ(chooser().minimumSize(), chooser().maximumSize());
    EXPECT_EQ(chooser().ShellTreeView1->geometry(), QRect(1, 1, 280, 248));
    EXPECT_EQ(chooser().Button1->geometry(), QRect(13, 254, 66, 22));
    EXPECT_EQ(chooser().btn_ok->geometry(), QRect(111, 254, 58, 22));
    EXPECT_EQ(chooser().btn_cancel->geometry(), QRect(198, 254, 58, 22));
    EXPECT_EQ(chooser().Button1->text(), "New Folder");
    EXPECT_EQ(chooser().btn_ok->text(), "Ok");
    EXPECT_EQ(chooser().btn_cancel->text(), "Cancel");
    // folders only, from "/" down
    QFileSystemModel *model = chooser().folders;
    EXPECT_EQ(model->filePath(model->index(0, 0, QModelIndex())), "/");
    ASSERT_TRUE(test::writeTextFile(s.home() + "/notes.txt", "a file, not a folder"));
    const QModelIndex home = model->index(s.home());
    QStringList listed;
    for (int row = 0; row < model->rowCount(home); ++row)
        listed.append(model->index(row, 0, home).data().toString());
    listed.sort();
    EXPECT_EQ(listed, (QStringList{"Documents", "Music", "Podcasts", "Recordings"}));
    EXPECT_TRUE(chooser().ShellTreeView1->isExpanded(home.parent()));
    test::expectTidy(&chooser());

    chooser().ShellTreeView1->expand(home);
    chooser().selectFolder(s.home() + "/Music");
    chooser().ShellTreeView1->scrollTo(chooser().ShellTreeView1->currentIndex(), QAbstractItemView::PositionAtCenter);
    QApplication::processEvents();
    const QPixmap shot = chooser().grab();
    ASSERT_TRUE(shot.save(QStringLiteral(KORVEX_BINARY_DIR "/korvex-folder-chooser.png")));
    test::expectPainted(shot.toImage());
    chooser().close();
}

TEST_F(FolderChooser, OkForTheOutputFolderStoresItAtOnceAndCancelOfTheSettingsLeavesMemoryAlone)
{
    const QString before = settings().OutputFolder;
    const QString chosen = s.home() + "/Podcasts";
    fromPathButton([&] {
        chooser().selectFolder(chosen);
        click(chooser().btn_ok);
    });
    EXPECT_FALSE(chooser().isVisible());
    EXPECT_TRUE(settingsDialog().isVisible());
    EXPECT_EQ(chooser().ChosenFolder, chosen);
    // written at once, without a separator added, and shown in the path field
    EXPECT_EQ(file().readString("Output", "Dir", "none"), chosen);
    EXPECT_EQ(settingsDialog().edt_dir->text(), chosen);
    EXPECT_EQ(settings().OutputFolder, before);

    // "Cancel" of the settings keeps the folder in memory as it was, which
    // the shutdown writes over the chooser's
    click(settingsDialog().Cancel);
    EXPECT_EQ(settings().OutputFolder, before);
    s.main().close();
    EXPECT_EQ(file().readString("Output", "Dir", "none"), before);
}

TEST_F(FolderChooser, OkOfTheOutputFolderThenOkOfTheSettingsUsesIt)
{
    const QString chosen = s.home() + "/Recordings";
    fromPathButton([&] {
        chooser().selectFolder(chosen);
        click(chooser().btn_ok);
    });
    click(settingsDialog().Ok);
    EXPECT_EQ(settings().OutputFolder, chosen + "/");
    EXPECT_EQ(file().readString("Main", "Path", "none"), chosen);
}

TEST_F(FolderChooser, AddFolderGetsThePathBackAndStoresOnlyWhereItAddedFrom)
{
    const QString folder = s.home() + "/Recordings";
    test::writeAudioFile(folder + "/take one.wma", test::sineSpec(44100, 2, 2 * 44100));
    test::writeAudioFile(folder + "/take two.mp3", test::sineSpec(44100, 2, 2 * 44100));
    file().writeInteger("wma", "format", 12);
    settingsDialog().show();
    QApplication::processEvents();
    const QString field = settingsDialog().edt_dir->text();
    settingsDialog().close();
    const QByteArray stored = test::readTextFile(s.settingsFile());

    fromAddFolder([&] {
        chooser().selectFolder(folder);
        click(chooser().btn_ok);
    });
    EXPECT_EQ(chooser().ChosenFolder, folder);
    ASSERT_EQ(s.main().jobList().rowCount(), 1);
    EXPECT_EQ(s.main().jobList().job(0).FileName, folder + "/take one.wma");
    // the settings are as they were; only the folder added from is kept, for
    // the next Add File or Add Folder
    const QByteArray after = test::readTextFile(s.settingsFile());
    EXPECT_TRUE(after.startsWith(stored));
    EXPECT_EQ(after.mid(stored.size()).trimmed(), ("[Add]\nFolder=" + folder).toUtf8());
    EXPECT_EQ(settingsDialog().edt_dir->text(), field);

    // Cancel, Escape and the close box add nothing and hand back nothing
    const QList<std::function<void()>> refusals = {[&] { click(chooser().btn_cancel); },
                                                   [&] { QTest::keyClick(&chooser(), Qt::Key_Escape); },
                                                   [&] { chooser().close(); }};
    for (const auto &refuse : refusals) {
        fromAddFolder([&] {
            chooser().selectFolder(folder);
            refuse();
        });
        EXPECT_FALSE(chooser().isVisible());
        EXPECT_EQ(chooser().ChosenFolder, "");
        EXPECT_EQ(s.main().jobList().rowCount(), 1);
    }
    EXPECT_TRUE(s.messages.errors.isEmpty()) << qPrintable(s.messages.errors.join('\n'));
}

TEST_F(FolderChooser, NewFolderMakesOneFolderUnderTheSelectionAndSaysWhenItCannot)
{
    const QString parent = s.home() + "/Music";
    const QString made = parent + "/New Folder";
    chooser().show();
    chooser().selectFolder(parent);
    click(chooser().Button1);
    EXPECT_TRUE(QFileInfo(made).isDir());
    EXPECT_EQ(chooser().ChosenFolder, made);
    EXPECT_EQ(chooser().selectedFolder(), parent);
    const QModelIndex listed = chooser().folders->index(made);
    ASSERT_TRUE(listed.isValid());
    EXPECT_TRUE(chooser().ShellTreeView1->isExpanded(listed.parent()));
    // a second press changes nothing and tries no other name
    ASSERT_TRUE(test::writeTextFile(made + "/keep.txt", "kept"));
    click(chooser().Button1);
    EXPECT_EQ(QDir(parent).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"New Folder"});
    EXPECT_TRUE(QFileInfo::exists(made + "/keep.txt"));
    EXPECT_TRUE(s.messages.errors.isEmpty());

    // a file of that name is in the way: said, and nothing else changes
    const QString blocked = s.home() + "/Podcasts";
    ASSERT_TRUE(test::writeTextFile(blocked + "/New Folder", "a file"));
    chooser().selectFolder(blocked);
    click(chooser().Button1);
    ASSERT_EQ(s.messages.errors.size(), 1);
    EXPECT_EQ(s.messages.errors.first(),
              "Unable to create the folder " + blocked + "/New Folder: a file of that name is in the way.");
    EXPECT_TRUE(QFileInfo(blocked + "/New Folder").isFile());
    EXPECT_TRUE(chooser().isVisible());

    // with no folder selected it goes into the home folder, and "Ok" has
    // nothing to hand back
    chooser().ShellTreeView1->clearSelection();
    EXPECT_FALSE(chooser().btn_ok->isEnabled());
    click(chooser().Button1);
    EXPECT_TRUE(QFileInfo(s.home() + "/New Folder").isDir());
    chooser().close();
}

} // namespace
