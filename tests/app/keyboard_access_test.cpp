// The main window from the keyboard alone: the Tab order over every control,
// the keys of the commands, the menus, and the names the settings dialog
// gives its fields for screen readers.
#include "MainSession.h"
#include "SkinnedWindow.h"
#include "app/KeyboardShortcuts.h"
#include "settings/ui/Tfm_set.h"
#include "support/AudioFixtures.h"

#include <QAccessible>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSet>
#include <QTableView>
#include <gtest/gtest.h>

using namespace korvex;
using namespace korvex::test;

namespace {

class KeyboardAccess : public ::testing::Test
{
protected:
    void SetUp() override
    {
        main().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&main()));
    }
    Tfm_main &main() { return s.main(); }
    QWidget *focused() { return QApplication::focusWidget(); }
    QString focusedName() { return focused() ? focused()->objectName() : QString(); }
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(focused() ? focused() : &main(), key, modifiers);
    }
    // Replaces the commands by recorders of their names.
    void record(CommandTable::Source source, const QStringList &names)
    {
        for (const QString &name : names)
            main().commands().add(source, name, [this, name] { given.append(name); });
    }
    // Tab (or Shift+Tab) until the focus is back where it started.
    QStringList walk(Qt::KeyboardModifiers modifiers)
    {
        const QWidget *start = focused();
        QStringList visited;
        for (int step = 0; step < 60; ++step) {
            press(Qt::Key_Tab, modifiers);
            if (focused() == start)
                break;
            visited.append(focusedName());
        }
        return visited;
    }

    MainSession s;
    QStringList given;
};

} // namespace

TEST_F(KeyboardAccess, TabReachesEveryControlOnceInReadingOrderAndShiftTabWalksBack)
{
    // the file list has the focus after start-up, so the keys of the window work at once
    ASSERT_EQ(focused(), main().lv);
    const QStringList forward = walk(Qt::NoModifier);
    // every acting object of the skin, the format box and the second list
    QSet<QString> expected = {"lv_time", "cb_format"};
    for (const QString &name : s.form()->objectNames()) {
        const QAccessible::Role role = QAccessible::queryAccessibleInterface(s.skinWidget(qPrintable(name)))->role();
        if (role == QAccessible::Button || role == QAccessible::Slider)
            expected.insert(name);
    }
    EXPECT_EQ(forward.size(), expected.size()) << qPrintable(forward.join(' '));
    EXPECT_EQ(QSet<QString>(forward.begin(), forward.end()), expected);
    // the lists let Tab go on: from the segments to the run buttons
    ASSERT_GE(forward.size(), 3);
    EXPECT_EQ(forward.mid(0, 3), (QStringList{"lv_time", "Split", "Join"}));
    // the player's row in its order, then round to the menu row
    const qsizetype play = forward.indexOf("play");
    EXPECT_EQ(forward.mid(play - 2, 8), (QStringList{"pb", "hou", "play", "stop", "qian", "Begin", "End", "Ok"}));
    EXPECT_EQ(forward.at(play + 6), "file");

    ASSERT_EQ(focused(), main().lv);
    QStringList backward = walk(Qt::ShiftModifier);
    std::reverse(backward.begin(), backward.end());
    EXPECT_EQ(backward, forward);
}

TEST_F(KeyboardAccess, ReturnAndSpacePressTheFocusedButtonWhileTheListsKeepTheirMeaning)
{
    record(CommandTable::Source::Skin, {"play", "stop", "Ok", "Begin", "Join"});
    s.skinWidget("Begin")->setFocus(Qt::TabFocusReason);
    press(Qt::Key_Return);
    press(Qt::Key_Space);
    s.skinWidget("Join")->setFocus(Qt::TabFocusReason);
    press(Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(given, (QStringList{"Begin", "Begin", "Join"}));

    given.clear();
    for (QTableView *list : {main().lv, main().lv_time}) {
        list->setFocus(Qt::TabFocusReason);
        press(Qt::Key_Return);
        press(Qt::Key_Space);
    }
    EXPECT_EQ(given, (QStringList{"Ok", "play", "Ok", "play"}));
}

TEST_F(KeyboardAccess, EveryCommandWithoutAKeyOfItsOwnBeforeHasOneNow)
{
    record(CommandTable::Source::Skin,
           {"Split", "Join", "Stop", "Settings", "Set", "Up", "Down", "Clear", "file", "Action", "Help"});
    record(CommandTable::Source::Menu, {"ID31"});
    main().lv->setFocus();
    press(Qt::Key_F5);
    press(Qt::Key_F6);
    press(Qt::Key_Escape);
    press(Qt::Key_Comma, Qt::ControlModifier);
    press(Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    press(Qt::Key_Up, Qt::AltModifier);
    press(Qt::Key_Down, Qt::AltModifier);
    press(Qt::Key_Delete, Qt::ControlModifier | Qt::ShiftModifier);
    press(Qt::Key_F, Qt::AltModifier);
    press(Qt::Key_F10);
    press(Qt::Key_A, Qt::AltModifier);
    press(Qt::Key_H, Qt::AltModifier);
    press(Qt::Key_I, Qt::ControlModifier);
    EXPECT_EQ(given, (QStringList{"Split", "Join", "Stop", "Settings", "Set", "Up", "Down", "Clear", "file", "file",
                                  "Action", "Help", "ID31"}));
    // the tooltips say so
    EXPECT_TRUE(s.skinWidget("Split")->toolTip().endsWith("(F5)"));
    EXPECT_TRUE(s.skinWidget("file")->toolTip().endsWith("(Alt+F, F10)"));
    EXPECT_TRUE(s.skinWidget("Clear")->toolTip().endsWith("(Ctrl+Shift+Del)"));
}

TEST_F(KeyboardAccess, NoTwoCommandsShareAKeyAndSavingAndOpeningListsKeepTheirs)
{
    QHash<QKeySequence, QString> owner;
    for (const KeyboardShortcuts::Key &key : KeyboardShortcuts::keys()) {
        // play and stop are one key on purpose: it plays or stops
        const QString command = key.command == "stop" ? QStringLiteral("play") : key.command;
        if (owner.contains(key.keys)) {
            EXPECT_EQ(owner.value(key.keys), command) << qPrintable(key.keys.toString());
        }
        owner.insert(key.keys, command);
    }
    EXPECT_EQ(owner.value(QKeySequence(Qt::CTRL | Qt::Key_S)), QStringLiteral("SaveList1"));
    EXPECT_EQ(owner.value(QKeySequence(Qt::CTRL | Qt::Key_L)), QStringLiteral("OpenList1"));
    // every skin button is reached by Tab, and every command that has one names its key
    for (const QString &name : s.form()->objectNames()) {
        QWidget *object = s.skinWidget(qPrintable(name));
        if (QAccessible::queryAccessibleInterface(object)->role() == QAccessible::Button) {
            EXPECT_TRUE(object->focusPolicy() & Qt::TabFocus) << qPrintable(name);
        }
    }
}

TEST_F(KeyboardAccess, MenuKeysOpenTheMenusWithTheButtonsGuards)
{
    main().lv->setFocus();
    press(Qt::Key_F, Qt::AltModifier);
    EXPECT_TRUE(main().menus->p_file->isVisible());
    main().menus->p_file->close();

    main().runState().Converting = true;
    main().lv->setFocus();
    press(Qt::Key_A, Qt::AltModifier);
    EXPECT_FALSE(main().menus->p_action->isVisible());
    // Help has no guard
    press(Qt::Key_H, Qt::AltModifier);
    EXPECT_TRUE(main().menus->p_help->isVisible());
    main().menus->p_help->close();
    main().runState().Converting = false;

    // the lists' own menu comes with Shift+F10 too, not only with the menu key
    main().lv_time->setFocus();
    press(Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_TRUE(main().menus->p_lv->isVisible());
    main().menus->p_lv->close();
}

TEST_F(KeyboardAccess, SliderKeysSeekTheSelectedFileAsADragDoes)
{
    AudioSpec audio;
    audio.frames = 3 * 44100;
    const QString path = s.folder.file("three.wav");
    writeAudioFile(path, audio);
    s.recorder.dialogs.openAnswer = {path};
    main().menuItemClick("AddFile2");
    ASSERT_EQ(main().jobList().rowCount(), 1);
    QTest::mouseClick(main().lv->viewport(), Qt::LeftButton, {},
                      main().lv->visualRect(main().lv->model()->index(0, 0)).center());
    s.skinWidget("pb")->setFocus(Qt::TabFocusReason);
    press(Qt::Key_End);
    EXPECT_EQ(s.skinText("timecaption"), "00:00:03");
    press(Qt::Key_Home);
    EXPECT_EQ(s.skinText("timecaption"), "00:00:00");
    EXPECT_FALSE(main().playerState().SeekDragging);
}

TEST(SettingsDialogNames, FieldsAreNamedForWhatTheyHoldNotForTheirGroupOrValue)
{
    MainSession s;
    Tfm_set &dialog = *s.windows.fm_set;
    dialog.show();
    QApplication::processEvents();
    auto spoken = [](QWidget *field) {
        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(field);
        // a combo box is read by its value and labelled through its labels
        if (qobject_cast<QComboBox *>(field)) {
            const auto labels = face->relations(QAccessible::Label);
            return labels.isEmpty() ? QString() : labels.first().first->text(QAccessible::Name);
        }
        return face->text(QAccessible::Name);
    };
    EXPECT_EQ(spoken(dialog.edt_count), "Number of pieces");
    EXPECT_EQ(spoken(dialog.edt_time), "Seconds per piece");
    EXPECT_EQ(spoken(dialog.cb_fadeintime), "Fade-in length");
    EXPECT_EQ(spoken(dialog.cb_fadeouttime), "Fade-out length");
    EXPECT_EQ(spoken(dialog.edt_dir), "Output folder");
    // and the hidden labels change nothing the user sees
    EXPECT_EQ(dialog.cb_fadeintime->currentText(), "5s");
    dialog.close();
}

TEST_F(KeyboardAccess, FocusRingShowsOnTheWindowsFaceWhereTabLeftTheFocus)
{
    const QColor ring(0xF5, 0x9E, 0x0B);
    auto ringPixelsAround = [this, ring](const char *name) {
        return PixelsOfColour(main().grab().toImage(), ring, s.skinWidget(name)->geometry().adjusted(-1, -1, 1, 1));
    };
    const int before = ringPixelsAround("Split");
    press(Qt::Key_Tab);
    press(Qt::Key_Tab);
    ASSERT_EQ(focusedName(), "Split");
    QApplication::processEvents();
    const QWidget *split = s.skinWidget("Split");
    EXPECT_GE(ringPixelsAround("Split") - before, split->width() + split->height());
    // for a look by eye
    main().grab().save(QStringLiteral(KORVEX_BINARY_DIR "/korvex-focus.png"));
}

TEST_F(KeyboardAccess, ListsFocusedByTabAreRingedOrTheMemoOverThemIs)
{
    auto *ring = main().findChild<QWidget *>("focusRing");
    ASSERT_NE(ring, nullptr);
    // the focus of the start and of a click is not marked
    EXPECT_FALSE(ring->isVisible());
    // the memo lies over both lists while the job is empty: the ring goes round it
    ASSERT_TRUE(main().sm->isVisible());
    press(Qt::Key_Tab);
    ASSERT_EQ(focused(), main().lv_time);
    EXPECT_TRUE(ring->isVisible());
    EXPECT_TRUE(ring->geometry().contains(main().sm->geometry()));
    // with files the memo goes, and the ring goes round the list itself
    AudioSpec audio;
    const QString path = s.folder.file("one.wav");
    writeAudioFile(path, audio);
    s.recorder.dialogs.openAnswer = {path};
    main().menuItemClick("AddFile2");
    ASSERT_FALSE(main().sm->isVisible());
    main().lv_time->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(ring->isVisible());
    EXPECT_TRUE(ring->geometry().contains(main().lv_time->geometry()));
    EXPECT_FALSE(ring->geometry().contains(main().lv->geometry()));
    // the next Tab leaves for a skin button, which draws its own
    press(Qt::Key_Tab);
    EXPECT_EQ(focusedName(), "Split");
    EXPECT_FALSE(ring->isVisible());
    main().lv->setFocus(Qt::MouseFocusReason);
    EXPECT_FALSE(ring->isVisible());
}
