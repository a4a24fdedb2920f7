// The settings dialog driven as a user drives it: clicks and keys on the
// real dialog, offscreen, with only the message boxes recorded.
#include "DialogLayout.h"
#include "DialogSession.h"
#include "components/KorvexError.h"
#include "components/skin/SkinForm.h"
#include "components/skin/TSkin.h"
#include "joblist/ListText.h"
#include "settings/Settings.h"
#include "settings/ui/Tfm_set.h"
#include "support/AudioFixtures.h"
#include "support/ExternalTools.h"
#include "support/TextFiles.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace korvex;

namespace {

class SettingsDialog : public ::testing::Test
{
protected:
    Tfm_set &dialog() { return *s.windows.fm_set; }
    Settings &settings() { return s.main().settingsStore().settings(); }
    SettingsFile &file() { return s.main().settingsStore().file(); }

    // Shows the dialog as "Settings" does, but without a modal loop of its
    // own, so the test goes on clicking.
    void open()
    {
        dialog().show();
        QApplication::processEvents();
        ASSERT_TRUE(dialog().isVisible());
    }
    void click(QWidget *widget) { QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center()); }
    void selectPage(int node)
    {
        QTreeWidgetItem *item = dialog().TreeView1->topLevelItem(node);
        ASSERT_NE(item, nullptr);
        const QRect place = dialog().TreeView1->visualItemRect(item);
        QTest::mouseClick(dialog().TreeView1->viewport(), Qt::LeftButton, {}, place.center());
    }
    // Puts the keyboard focus into a field, as a click into it does.
    void enter(QLineEdit *field)
    {
        field->setFocus(Qt::MouseFocusReason);
        QApplication::processEvents();
        ASSERT_TRUE(field->hasFocus());
    }
    // Leaves whatever field has the focus by tabbing on.
    void tabOn()
    {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QApplication::processEvents();
    }
    void saveShot(const char *name)
    {
        QApplication::processEvents();
        const QPixmap shot = dialog().grab();
        ASSERT_TRUE(shot.save(QStringLiteral(KORVEX_BINARY_DIR "/") + QLatin1String(name)));
        test::expectPainted(shot.toImage());
    }

    test::DialogSession s;
};

TEST_F(SettingsDialog, HasTheDesignedControlsUnclippedOnBothPages)
{
    settings().OutputFolder = s.folder.file("Music/Pieces/");
    open();
    EXPECT_EQ(dialog().windowTitle(), "Settings");
    EXPECT_EQ(dialog().size(), QSize(384, 311));
    EXPECT_EQ(dialog().minimumSize(), dialog().maximumSize());
    EXPECT_FALSE(dialog().windowFlags() & Qt::WindowMaximizeButtonHint);
    ASSERT_EQ(dialog().TreeView1->topLevelItemCount(), 4);
    EXPECT_EQ(dialog().TreeView1->topLevelItem(0)->text(0), "General");
    EXPECT_EQ(dialog().TreeView1->topLevelItem(1)->text(0), "WMA");
    EXPECT_EQ(dialog().TreeView1->topLevelItem(2)->text(0), "Silence");
    EXPECT_EQ(dialog().TreeView1->topLevelItem(3)->text(0), "Encoding");
    EXPECT_EQ(dialog().TreeView1->geometry(), QRect(8, 9, 129, 263));
    EXPECT_EQ(dialog().gb_cdgeneral->geometry(), QRect(137, 37, 244, 235));
    EXPECT_EQ(dialog().gb_wma->geometry(), QRect(137, 37, 244, 235));
    EXPECT_EQ(dialog().Ok->geometry(), QRect(25, 281, 75, 25));
    EXPECT_EQ(dialog().Button2->geometry(), QRect(154, 281, 75, 25));
    EXPECT_EQ(dialog().Cancel->geometry(), QRect(282, 281, 75, 25));
    EXPECT_EQ(dialog().Ok->text(), "Ok");
    EXPECT_EQ(dialog().Button2->text(), "Default");
    EXPECT_EQ(dialog().Cancel->text(), "Cancel");
    EXPECT_TRUE(dialog().lab->font().bold());

    // the General page
    EXPECT_EQ(dialog().lab->text(), "Set General");
    EXPECT_TRUE(dialog().gb_cdgeneral->isVisible());
    EXPECT_FALSE(dialog().gb_wma->isVisible());
    const QList<std::pair<QAbstractButton *, const char *>> captions = {
        {dialog().rb_custom, "Custom"},          {dialog().rb_unification, "Unification"},
        {dialog().rb_count, "Averagely split into"}, {dialog().rb_time, "Split every copy into "},
        {dialog().cb_fadein, "IN "},             {dialog().cb_fadeout, "Out "},
        {dialog().bt_dir, "..."}};
    for (const auto &[button, caption] : captions)
        EXPECT_EQ(button->text(), caption);
    EXPECT_EQ(dialog().lbl_copy->text(), "copy. ");
    EXPECT_EQ(dialog().lbl_second->text(), "Second");
    EXPECT_EQ(dialog().gb_function->title(), "Function Choice");
    EXPECT_EQ(dialog().gb_function->geometry(), QRect(6, 10, 229, 98));
    EXPECT_EQ(dialog().gb_fade->title(), "Fade Settings");
    EXPECT_EQ(dialog().gb_fade->geometry(), QRect(5, 112, 232, 53));
    EXPECT_EQ(dialog().gb_output->title(), "Output Path:");
    EXPECT_EQ(dialog().gb_output->geometry(), QRect(5, 170, 231, 57));
    EXPECT_EQ(dialog().edt_dir->width(), 190);
    EXPECT_EQ(dialog().bt_dir->size(), QSize(23, 22));
    for (QComboBox *lengths : {dialog().cb_fadeintime, dialog().cb_fadeouttime}) {
        ASSERT_EQ(lengths->count(), 20);
        EXPECT_EQ(lengths->itemText(0), "1s");
        EXPECT_EQ(lengths->itemText(19), "20s");
        EXPECT_FALSE(lengths->isEditable());
    }
    test::expectTidy(&dialog());
    saveShot("korvex-settings-general.png");

    // the WMA page
    selectPage(1);
    EXPECT_EQ(dialog().lab->text(), "Set WMA Format");
    EXPECT_TRUE(dialog().gb_wma->isVisible());
    EXPECT_FALSE(dialog().gb_cdgeneral->isVisible());
    EXPECT_EQ(dialog().gb_wmaformat->title(), "WMA Format");
    EXPECT_EQ(dialog().gb_wmaformat->geometry(), QRect(5, 75, 233, 95));
    EXPECT_EQ(dialog().cb_wma->width(), 221);
    EXPECT_TRUE(dialog().cb_wma->isEditable());
    ASSERT_EQ(dialog().cb_wma->count(), 47);
    EXPECT_EQ(dialog().cb_wma->itemText(9), "WMA9 44KHz, 128Kbps, Stereo, CBR");
    EXPECT_EQ(dialog().cb_wma->itemText(34), "WMA9 8KHz,  12Kbps, Stereo, CBR");
    EXPECT_EQ(dialog().cb_wma->itemText(20), dialog().cb_wma->itemText(22));
    EXPECT_EQ(dialog().cb_wma->itemText(46), "WMA9 44KHz, Stereo, Lossless");
    EXPECT_EQ(dialog().lbl_encoding->text(), "Encoded at 44.1 kHz, stereo, 128 kbps.");
    // the longest profile text shows whole
    dialog().cb_wma->setCurrentIndex(38);
    EXPECT_LE(dialog().cb_wma->sizeHint().width(), dialog().cb_wma->width());
    dialog().cb_wma->setCurrentIndex(9);
    test::expectTidy(&dialog());
    saveShot("korvex-settings-wma.png");

    // the page chosen last is the page of the next showing
    click(dialog().Cancel);
    EXPECT_FALSE(dialog().isVisible());
    open();
    EXPECT_EQ(dialog().lab->text(), "Set WMA Format");
    EXPECT_TRUE(s.messages.errors.isEmpty()) << qPrintable(s.messages.errors.join('\n'));
}

TEST_F(SettingsDialog, ShowsTheSettingsInMemoryAndTheStoredProfileAtTheMainWindowsCorner)
{
    s.main().move(143, 87);
    settings().SplitMode = split_mode::Count;
    settings().OutputFolder = QStringLiteral("/srv/pieces/");
    settings().SplitSeconds = 42;
    settings().SplitCount = 7;
    settings().FadeIn = true;
    settings().FadeOut = false;
    settings().FadeInSeconds = 20;
    settings().FadeOutSeconds = 1;
    file().writeInteger("wma", "format", 15);
    open();
    EXPECT_EQ(dialog().frameGeometry().topLeft(), s.main().frameGeometry().topLeft());
    EXPECT_TRUE(dialog().rb_count->isChecked());
    EXPECT_FALSE(dialog().rb_custom->isChecked() || dialog().rb_time->isChecked()
                 || dialog().rb_unification->isChecked());
    EXPECT_EQ(dialog().edt_dir->text(), "/srv/pieces/");
    EXPECT_EQ(dialog().edt_time->text(), "42");
    EXPECT_EQ(dialog().edt_count->text(), "7");
    EXPECT_TRUE(dialog().cb_fadein->isChecked());
    EXPECT_FALSE(dialog().cb_fadeout->isChecked());
    EXPECT_EQ(dialog().cb_fadeintime->currentText(), "20s");
    EXPECT_EQ(dialog().cb_fadeouttime->currentText(), "1s");
    EXPECT_EQ(dialog().cb_wma->currentIndex(), 15);
    EXPECT_EQ(dialog().cb_wma->currentText(), "WMA9 44KHz, 48Kbps, Mono, CBR");
    click(dialog().Cancel);

    // what a hand-edited file can hold: a mode of no button, a profile index
    // and fade lengths outside their lists show nothing selected
    settings().SplitMode = 9;
    settings().FadeInSeconds = 0;
    settings().FadeOutSeconds = 21;
    file().writeInteger("wma", "format", 47);
    open();
    for (QRadioButton *button : {dialog().rb_custom, dialog().rb_time, dialog().rb_count, dialog().rb_unification})
        EXPECT_FALSE(button->isChecked()) << qPrintable(button->objectName());
    EXPECT_EQ(dialog().cb_fadeintime->currentIndex(), -1);
    EXPECT_EQ(dialog().cb_fadeouttime->currentIndex(), -1);
    EXPECT_EQ(dialog().cb_wma->currentIndex(), -1);
    EXPECT_EQ(dialog().cb_wma->currentText(), "");
    EXPECT_TRUE(dialog().lbl_encoding->text().startsWith("Not a profile of the list"));
    // "Ok" then stores no profile and no fade length
    click(dialog().Ok);
    EXPECT_FALSE(dialog().isVisible());
    EXPECT_EQ(settings().SplitMode, 9);
    EXPECT_EQ(settings().FadeInSeconds, 0);
    EXPECT_EQ(settings().FadeOutSeconds, 0);
    EXPECT_EQ(file().readInteger("wma", "format", 99), -1);
}

TEST_F(SettingsDialog, RadioButtonsSetTheModeAtTheirClickAndNothingUndoesIt)
{
    open();
    EXPECT_TRUE(dialog().rb_custom->isChecked());
    const QList<std::pair<QRadioButton *, int>> buttons = {{dialog().rb_time, split_mode::Time},
                                                           {dialog().rb_count, split_mode::Count},
                                                           {dialog().rb_custom, split_mode::Custom},
                                                           {dialog().rb_unification, split_mode::Unification}};
    for (const auto &[button, mode] : buttons) {
        click(button);
        EXPECT_EQ(settings().SplitMode, mode) << qPrintable(button->objectName());
    }
    click(dialog().Cancel);
    EXPECT_FALSE(dialog().isVisible());
    EXPECT_EQ(settings().SplitMode, split_mode::Unification);

    // the close box is "Cancel" as well: it closes and keeps the click
    open();
    EXPECT_TRUE(dialog().rb_unification->isChecked());
    click(dialog().rb_time);
    dialog().close();
    EXPECT_FALSE(dialog().isVisible());
    EXPECT_EQ(settings().SplitMode, split_mode::Time);
    // the mode is in the file at once, where korvex-cli reads it; nothing
    // else was stored by either
    SettingsStore reader(s.settingsFile());
    reader.LoadSettings();
    EXPECT_EQ(reader.settings().SplitMode, split_mode::Time);
    EXPECT_EQ(file().readString("Choice", "time", "none"), "none");
    EXPECT_EQ(file().readString("Main", "Path", "none"), "none");
}

TEST_F(SettingsDialog, NumberFieldsTakeDigitsOnlyAndAreNeverLeftEmptyOrBelowOne)
{
    open();
    // a digit, a letter (which acts as Backspace) and a zero leave "0",
    // which leaving the field turns into 60
    enter(dialog().edt_time);
    dialog().edt_time->clear();
    QTest::keyClicks(dialog().edt_time, "5a0");
    EXPECT_EQ(dialog().edt_time->text(), "0");
    tabOn();
    EXPECT_EQ(dialog().edt_time->text(), "60");

    // an emptied count becomes 1, not the stored default 6
    enter(dialog().edt_count);
    dialog().edt_count->selectAll();
    QTest::keyClick(dialog().edt_count, Qt::Key_Backspace);
    EXPECT_EQ(dialog().edt_count->text(), "");
    tabOn();
    EXPECT_EQ(dialog().edt_count->text(), "1");

    // a blank, Enter and the clipboard keys act as Backspace too
    enter(dialog().edt_count);
    dialog().edt_count->setText("12345");
    dialog().edt_count->end(false);
    QTest::keyClick(dialog().edt_count, Qt::Key_Space);
    QTest::keyClick(dialog().edt_count, Qt::Key_Return);
    QTest::keyClick(dialog().edt_count, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(dialog().edt_count->text(), "12");
    EXPECT_TRUE(dialog().isVisible());  // Enter did not press "Ok"
    // a selection goes as one
    dialog().edt_count->selectAll();
    QTest::keyClick(dialog().edt_count, Qt::Key_X);
    EXPECT_EQ(dialog().edt_count->text(), "");
    QTest::keyClicks(dialog().edt_count, "8");
    tabOn();
    EXPECT_EQ(dialog().edt_count->text(), "8");
    EXPECT_TRUE(s.messages.errors.isEmpty());

    // pasted text or a number beyond 32 bits is refused on leaving, and kept
    for (const char *text : {"12x", "99999999999"}) {
        enter(dialog().edt_time);
        dialog().edt_time->setText(QString::fromLatin1(text));
        tabOn();
        EXPECT_EQ(dialog().edt_time->text(), text);
        ASSERT_FALSE(s.messages.errors.isEmpty());
        EXPECT_EQ(s.messages.errors.takeLast(), QStringLiteral("'%1' is not a valid integer value").arg(text));
    }
}

TEST_F(SettingsDialog, OkStoresEveryControlAndTheSegmentListFollows)
{
    const QString path = s.folder.file("ten seconds.wav");
    test::writeAudioFile(path, test::sineSpec(44100, 2, 10 * 44100));
    listrecord record = newListRecord(path, 10000, 10 * 44100, FileSeekRangeMinimum);
    s.main().jobList().appendEntry(FileRow{"ten seconds.wav", "00:00:10", QString()}, record);
    s.main().jobList().selectFileRow(0);
    s.main().jobEditor().lvClick();
    ASSERT_EQ(s.main().jobList().segmentModel()->rowCount(), 1);

    open();
    click(dialog().rb_time);
    dialog().edt_dir->setText(s.folder.file("typed"));
    dialog().edt_time->setText("4");
    dialog().edt_count->setText("3");
    click(dialog().cb_fadein);
    dialog().cb_fadeintime->setCurrentIndex(2);
    dialog().cb_fadeouttime->setCurrentIndex(19);
    selectPage(1);
    dialog().cb_wma->setCurrentIndex(40);
    click(dialog().Ok);

    EXPECT_FALSE(dialog().isVisible());
    EXPECT_EQ(settings().OutputFolder, s.folder.file("typed/"));
    EXPECT_EQ(settings().SplitSeconds, 4);
    EXPECT_EQ(settings().SplitCount, 3);
    EXPECT_TRUE(settings().FadeIn);
    EXPECT_FALSE(settings().FadeOut);
    EXPECT_EQ(settings().FadeInSeconds, 3);
    EXPECT_EQ(settings().FadeOutSeconds, 20);
    // the path as typed, without the separator the setting got
    EXPECT_EQ(file().readString("Main", "Path", "none"), s.folder.file("typed"));
    EXPECT_EQ(file().readInteger("wma", "format", 9), 40);
    // the folder typed is not made until the next start
    EXPECT_FALSE(QFileInfo::exists(s.folder.file("typed")));
    // korvex-cli, started now, reads what the window uses
    SettingsStore cli(s.settingsFile());
    cli.LoadSettings();
    EXPECT_EQ(cli.settings().SplitMode, split_mode::Time);
    EXPECT_EQ(cli.settings().SplitSeconds, 4);
    EXPECT_EQ(cli.settings().SplitCount, 3);
    EXPECT_TRUE(cli.settings().FadeIn);
    EXPECT_EQ(cli.settings().FadeInSeconds, 3);
    EXPECT_EQ(cli.settings().FadeOutSeconds, 20);
    EXPECT_EQ(cli.settings().OutputFolder, s.folder.file("typed/"));
    EXPECT_EQ(cli.wmaProfileIndex(), 40);
    // the mode and numbers reach the selected file's pieces at once
    EXPECT_EQ(s.main().jobList().segmentModel()->rowCount(), 3);
    EXPECT_TRUE(s.messages.errors.isEmpty()) << qPrintable(s.messages.errors.join('\n'));
}

TEST_F(SettingsDialog, TheNextSplitFollowsWhatOkStored)
{
    const QString path = s.folder.file("six seconds.wav");
    test::writeAudioFile(path, test::sineSpec(44100, 2, 6 * 44100));
    s.main().jobList().appendEntry(FileRow{"Field take", "00:00:06", QString()},
                                   newListRecord(path, 6000, 6 * 44100, FileSeekRangeMinimum));
    const QString out = s.folder.file("pieces");
    QDir().mkpath(out);

    open();
    click(dialog().rb_count);
    dialog().edt_dir->setText(out);
    dialog().edt_count->setText("2");
    selectPage(1);
    dialog().cb_wma->setCurrentIndex(15);  // "WMA9 44KHz, 48Kbps, Mono, CBR"
    click(dialog().Ok);
    QWidget *split = s.main().Skin1->form(&s.main())->findChild<QWidget *>(QStringLiteral("Split"));
    ASSERT_NE(split, nullptr);
    click(split);

    EXPECT_EQ(QDir(out).entryList(QDir::Files, QDir::Name), (QStringList{"Field take_1.wma", "Field take_2.wma"}));
    const test::ToolResult probe =
        test::RunTool("ffprobe", {"-v", "error", "-show_entries", "stream=channels,bit_rate", "-of", "csv=p=0",
                                  out + "/Field take_2.wma"});
    EXPECT_EQ(probe.output.trimmed(), "1,48000");
    // within the encoder's frame padding
    EXPECT_NEAR(test::decodeFile(out + "/Field take_2.wma").frames(), 3 * 44100, 4096);
    EXPECT_TRUE(s.messages.errors.isEmpty()) << qPrintable(s.messages.errors.join('\n'));
}

// The dialog opened while a split converts: what its Ok stored is used from
// the run's next piece on; the piece being written keeps its folder.
TEST_F(SettingsDialog, OkDuringARunReachesTheRunsNextPiece)
{
    const QString path = s.folder.file("six seconds.wav");
    test::writeAudioFile(path, test::sineSpec(44100, 2, 6 * 44100));
    s.main().jobList().appendEntry(FileRow{"Field take", "00:00:06", QString()},
                                   newListRecord(path, 6000, 6 * 44100, FileSeekRangeMinimum));
    const QString first = s.folder.file("first");
    const QString later = s.folder.file("later");
    QDir().mkpath(first);
    QDir().mkpath(later);
    settings().OutputFolder = first + QLatin1Char('/');
    settings().SplitMode = split_mode::Time;
    settings().SplitSeconds = 2;
    QWidget *form = s.main().Skin1->form(&s.main());
    QWidget *button = form->findChild<QWidget *>(QStringLiteral("Settings"));
    ASSERT_NE(button, nullptr);
    bool changed = false;
    // in the first piece, once it has a block written
    s.main().core().setRunCheckpoint([&](RunJob &, const JobPosition &at) {
        if (changed || at.pieceRow != 0 || at.progress <= 0)
            return;
        changed = true;
        test::insideNextModal([&](QWidget *) {
            dialog().edt_dir->setText(later);
            click(dialog().Ok);
        });
        click(button);
    });
    QWidget *split = form->findChild<QWidget *>(QStringLiteral("Split"));
    ASSERT_NE(split, nullptr);
    click(split);
    s.main().core().setRunCheckpoint({});

    ASSERT_TRUE(changed);
    EXPECT_TRUE(s.messages.errors.isEmpty()) << qPrintable(s.messages.errors.join('\n'));
    EXPECT_EQ(QDir(first).entryList(QDir::Files, QDir::Name), QStringList{"Field take_1.wma"});
    // the second and third pieces, named afresh in their folder
    EXPECT_EQ(QDir(later).entryList(QDir::Files, QDir::Name), (QStringList{"Field take_1.wma", "Field take_2.wma"}));
}

TEST_F(SettingsDialog, OkWithANumberThatIsNoneSaysSoAndStaysOpen)
{
    settings().OutputFolder = s.folder.file("before/");
    open();
    dialog().edt_dir->setText(s.folder.file("after/"));
    dialog().edt_count->setText("3x");
    selectPage(1);
    dialog().cb_wma->setCurrentIndex(3);
    dialog().Ok->click();  // the button alone: the field is not left first
    ASSERT_EQ(s.messages.errors.size(), 1);
    EXPECT_EQ(s.messages.errors.first(), "'3x' is not a valid integer value");
    EXPECT_TRUE(dialog().isVisible());
    // the steps before the failing one are done, the ones after it are not
    EXPECT_EQ(settings().OutputFolder, s.folder.file("after/"));
    EXPECT_EQ(file().readInteger("wma", "format", 9), 9);

    dialog().edt_count->setText("3");
    dialog().Ok->click();
    EXPECT_FALSE(dialog().isVisible());
    EXPECT_EQ(settings().SplitCount, 3);
    EXPECT_EQ(file().readInteger("wma", "format", 9), 3);
}

TEST_F(SettingsDialog, AnEmptyPathKeepsTheFolderSetAndSaysSo)
{
    const QString kept = s.folder.file("kept/");
    settings().OutputFolder = kept;
    open();
    dialog().edt_dir->clear();
    dialog().edt_time->setText("30");
    click(dialog().Ok);
    EXPECT_FALSE(dialog().isVisible());
    EXPECT_EQ(settings().OutputFolder, kept);
    EXPECT_EQ(settings().SplitSeconds, 30);
    ASSERT_EQ(s.messages.informations.size(), 1);
    EXPECT_EQ(s.messages.informations.first(), "The output folder cannot be empty. Korvex keeps writing to " + kept);
    EXPECT_EQ(file().readString("Main", "Path", "absent"), "absent");
}

TEST_F(SettingsDialog, ProfileComesFromTheListATypedTextOrDefault)
{
    file().writeInteger("wma", "format", 30);
    const QByteArray stored = test::readTextFile(s.settingsFile());
    open();
    selectPage(1);
    // "Default" picks profile 9 but stores nothing until "Ok"
    click(dialog().Button2);
    EXPECT_EQ(dialog().cb_wma->currentIndex(), 9);
    EXPECT_EQ(dialog().cb_wma->currentText(), "WMA9 44KHz, 128Kbps, Stereo, CBR");
    click(dialog().Cancel);
    EXPECT_EQ(test::readTextFile(s.settingsFile()), stored);

    // a text of the user's own is no profile: -1 is stored
    open();
    EXPECT_EQ(dialog().cb_wma->currentIndex(), 30);
    dialog().cb_wma->lineEdit()->selectAll();
    QTest::keyClicks(dialog().cb_wma->lineEdit(), "My own 99 kbps");
    EXPECT_EQ(dialog().cb_wma->currentText(), "My own 99 kbps");
    EXPECT_TRUE(dialog().lbl_encoding->text().startsWith("Not a profile of the list: outputs get profile 10"));
    click(dialog().Ok);
    EXPECT_EQ(file().readInteger("wma", "format", 9), -1);

    // a typed text that is a profile's is that profile, the first of two alike
    open();
    dialog().cb_wma->setEditText("WMA9 32KHz, 32Kbps, Stereo, CBR");
    EXPECT_EQ(dialog().lbl_encoding->text(), "Encoded at 32 kHz, stereo, 32 kbps.");
    click(dialog().Ok);
    EXPECT_EQ(file().readInteger("wma", "format", 9), 20);
    open();
    dialog().cb_wma->setCurrentIndex(22);
    EXPECT_EQ(dialog().cb_wma->currentText(), "WMA9 32KHz, 32Kbps, Stereo, CBR");
    click(dialog().Ok);
    EXPECT_EQ(file().readInteger("wma", "format", 9), 22);
    EXPECT_TRUE(s.messages.errors.isEmpty()) << qPrintable(s.messages.errors.join('\n'));
}

TEST_F(SettingsDialog, APageAddedLaterGetsANodeATitleAndItsShareOfShowAndOk)
{
    auto *page = new QGroupBox;
    page->setObjectName("gb_extra");
    int shown = 0;
    QString refusal;
    int stored = 0;
    dialog().addPage({"Extra", "Set Extra", page, [&] { ++shown; }, [&] {
                          if (!refusal.isEmpty())
                              throw KorvexError(refusal);
                          ++stored;
                      }});
    open();
    EXPECT_EQ(shown, 1);
    ASSERT_EQ(dialog().TreeView1->topLevelItemCount(), 5);
    EXPECT_EQ(dialog().TreeView1->topLevelItem(4)->text(0), "Extra");
    EXPECT_EQ(page->parentWidget(), &dialog());
    EXPECT_EQ(page->geometry(), Tfm_set::pageArea());
    EXPECT_FALSE(page->isVisible());
    selectPage(4);
    EXPECT_EQ(dialog().lab->text(), "Set Extra");
    EXPECT_TRUE(page->isVisible());
    EXPECT_FALSE(dialog().gb_cdgeneral->isVisible());
    EXPECT_FALSE(dialog().gb_wma->isVisible());

    // its refusal keeps the dialog open; the pages before it have stored
    refusal = "Extra is not right";
    dialog().edt_time->setText("33");
    click(dialog().Ok);
    EXPECT_TRUE(dialog().isVisible());
    EXPECT_EQ(s.messages.errors, QStringList{"Extra is not right"});
    EXPECT_EQ(settings().SplitSeconds, 33);
    refusal.clear();
    click(dialog().Ok);
    EXPECT_FALSE(dialog().isVisible());
    EXPECT_EQ(stored, 1);
}

TEST_F(SettingsDialog, OpensModallyFromBothCommandsAlsoDuringARun)
{
    s.main().runState().Converting = true;
    for (const char *command : {"Settings", "Set"}) {
        bool shown = false;
        test::insideNextModal([&](QWidget *modal) {
            shown = modal == &dialog();
            click(dialog().rb_count);
            click(dialog().Cancel);
        });
        QWidget *button = s.main().Skin1->form(&s.main())->findChild<QWidget *>(QString::fromLatin1(command));
        ASSERT_NE(button, nullptr) << command;
        click(button);
        EXPECT_TRUE(shown) << command;
        EXPECT_FALSE(dialog().isVisible());
    }
    EXPECT_EQ(settings().SplitMode, split_mode::Count);
    s.main().runState().Converting = false;
}

} // namespace
