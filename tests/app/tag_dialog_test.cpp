// The tag dialog as the user works it: the real window and dialog offscreen,
// typing, clicks and focus changes on its own controls.
#include "MainSession.h"
#include "joblist/ListText.h"
#include "support/ExternalTools.h"
#include "support/VceditModule.h"
#include "tags/GenreNames.h"
#include "tags/ui/Tfm_id3.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QImage>
#include <QPixmap>
#include <QSet>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

using namespace korvex;
using Session = test::MainSession;

namespace {

class TagDialog : public ::testing::Test
{
protected:
    Tfm_id3 &dialog() { return *s.windows.fm_id3; }
    JobList &jobs() { return s.main().jobList(); }
    QString caption(int row) { return jobs().fileModel()->row(row).caption; }
    QString dialogCaption(int row) { return dialog().lv_id3->model()->index(row, 0).data().toString(); }

    // Entries as adding files leaves them: the caption is the tag title, or
    // the file name where there is none.
    void addEntry(const QString &caption, const AudioFileinfo &tags)
    {
        jobs().appendEntry({caption, TimeText(60), QStringLiteral("1.00MB")},
                           newListRecord(QStringLiteral("/music/") + caption, 60000, 60 * 44100, 1084), tags);
    }
    void addEntries(int count)
    {
        for (int i = 0; i < count; ++i)
            addEntry(QStringLiteral("track %1.mp3").arg(i + 1), {});
    }

    void open()
    {
        dialog().show();
        // the offscreen platform leaves the main window active; focus moves
        // (and leaving a box) need the dialog to be the active window
        QApplication::setActiveWindow(&dialog());
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog()));
    }
    void click(QWidget *button) { QTest::mouseClick(button, Qt::LeftButton); }
    void clickRow(int row)
    {
        QTableView *list = dialog().lv_id3;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(row, 0)).center());
    }
    // Replaces the text of a box as typing does, with the box holding focus.
    void type(QWidget *box, const QString &text)
    {
        box->setFocus();
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Delete);
        for (QChar c : text) {
            if (c == QLatin1Char('\n')) {
                QTest::keyClick(box, Qt::Key_Return);
                continue;
            }
            // letters beyond ASCII arrive as the text of an unnamed key
            QTest::sendKeyEvent(QTest::Press, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Release, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
    QString genreText() { return dialog().edt_genre->currentText(); }

    Session s;
};


// The dialog opened while a split converts: its Ok reaches the run at once.
// The piece being written keeps the name it was created under and gets the
// new tags when it is finished; the next pieces are named after the new title.
TEST_F(TagDialog, OkDuringARunReachesTheRunsNextPiece)
{
    const QString outputs = s.folder.file("out") + QLatin1Char('/');
    QDir().mkpath(outputs);
    Settings &settings = s.main().settingsStore().settings();
    settings.OutputFolder = outputs;
    settings.SplitMode = split_mode::Time;
    settings.SplitSeconds = 2;
    const QString wav = s.folder.file("take.wav");
    ASSERT_TRUE(test::MakeToneWithFfmpeg(wav, 6.0));
    s.recorder.dialogs.openAnswer = {wav};
    s.clickSkin("addfile");
    ASSERT_EQ(jobs().rowCount(), 1);
    jobs().tags(0).Title = QStringLiteral("Old Title");

    bool changed = false;
    // in the first piece, once it has a block written
    s.main().core().setRunCheckpoint([&](RunJob &, const JobPosition &at) {
        if (changed || at.pieceRow != 0 || at.progress <= 0)
            return;
        changed = true;
        QTimer::singleShot(0, &dialog(), [&] {
            type(dialog().edt_tatal, "New Title");
            click(dialog().btn_ok);
        });
        s.main().menus->item("ID31")->trigger();
    });
    s.clickRun("Split");
    s.main().core().setRunCheckpoint({});
    ASSERT_TRUE(changed);
    ASSERT_TRUE(s.recorder.messages.errors.isEmpty()) << qPrintable(s.recorder.messages.errors.join('\n'));
    const QString report = test::RunMutagen(R"(import glob, os, sys
from mutagen.asf import ASF
for path in sorted(glob.glob(os.path.join(sys.argv[1], '*.wma'))):
    print(os.path.basename(path), ASF(path)['Title'][0], sep='|')
)",
                                            outputs);
    // the second and third pieces take the new name's first free numbers
    EXPECT_EQ(report, QString::fromUtf8("New Title_1.wma|New Title\n"
                                        "New Title_2.wma|New Title\n"
                                        "take_1.wma|New Title\n"))
        << report.toStdString();
}

} // namespace

TEST_F(TagDialog, IsDesignedAsTheTagEditorOfTheJobList)
{
    addEntries(2);
    open();
    Tfm_id3 &d = dialog();
    EXPECT_EQ(d.windowTitle(), "ID3 Edit");
    EXPECT_EQ(d.size(), QSize(419, 288));
    EXPECT_EQ(d.minimumSize(), d.maximumSize());
    EXPECT_TRUE(d.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(d.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(d.windowFlags() & Qt::WindowSystemMenuHint);
    EXPECT_EQ(d.frameGeometry().topLeft(), s.main().frameGeometry().topLeft());

    EXPECT_EQ(d.lv_id3->model()->headerData(0, Qt::Horizontal).toString(), "File Name");
    EXPECT_EQ(d.lv_id3->model()->columnCount(), 1);
    EXPECT_EQ(d.lv_id3->columnWidth(0), 143);
    EXPECT_EQ(d.lv_id3->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(d.lv_id3->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(d.lv_id3->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_FALSE(d.lv_id3->horizontalHeader()->sectionsClickable());
    EXPECT_TRUE(d.lv_id3->showGrid());

    const QList<QLabel *> labels = {d.Label1, d.Label2, d.Label3, d.Label4, d.Label5, d.Label6};
    QStringList captions;
    for (QLabel *label : labels)
        captions << label->text();
    EXPECT_EQ(captions, QStringList({"Title:", "Artist: ", "Album: ", "Year: ", "Genre:", "Comment: "}));
    // each box sits right of its label, each "All" right of its box, in rows
    const QList<QWidget *> boxes = {d.edt_tatal, d.edt_art, d.edt_alb, d.edt_year, d.edt_genre, d.edt_com};
    const QList<QPushButton *> all = {d.Button1, d.Button2, d.Button3, d.Button4, d.Button5, d.Button6};
    for (int row = 0; row < 6; ++row) {
        EXPECT_EQ(all[row]->text(), "All");
        EXPECT_EQ(boxes[row]->y(), labels[row]->y());
        EXPECT_EQ(all[row]->y(), boxes[row]->y());
        EXPECT_LT(labels[row]->geometry().right(), boxes[row]->x());
        EXPECT_LT(boxes[row]->geometry().right(), all[row]->x());
        EXPECT_TRUE(d.GroupBox1->rect().contains(all[row]->geometry()));
        if (row > 0) {
            EXPECT_GT(boxes[row]->y(), boxes[row - 1]->geometry().bottom());
        }
    }
    EXPECT_TRUE(d.rect().contains(d.GroupBox1->geometry()));
    EXPECT_TRUE(d.rect().contains(d.lv_id3->geometry()));
    EXPECT_GT(d.edt_com->height(), 2 * d.edt_art->height());  // a memo of several lines
    EXPECT_TRUE(d.edt_genre->isEditable());
    EXPECT_EQ(d.Button7->text(), "Reset");
    EXPECT_EQ(d.btn_ok->text(), "Ok");
    EXPECT_EQ(d.btn_cancel->text(), "Cancel");
    for (QPushButton *button : {d.Button7, d.btn_ok, d.btn_cancel})
        EXPECT_TRUE(d.rect().contains(button->geometry()));
    // Tab goes from each box to its "All" and on to the next box
    d.edt_tatal->setFocus();
    QStringList tabbed;
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        tabbed << QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(tabbed, QStringList({"Button1", "edt_art", "Button2", "edt_alb"}));

    QStringList genres;
    for (int i = 0; i < d.edt_genre->count(); ++i)
        genres << d.edt_genre->itemText(i);
    ASSERT_EQ(genres.size(), 148);
    for (int i = 0; i < GenreNameCount; ++i)
        EXPECT_EQ(genres[i], QString::fromLatin1(GenreNames[i])) << i;
    EXPECT_EQ(genres[0], "Blues");
    EXPECT_EQ(genres[62], "Pop/Funk");
    EXPECT_EQ(genres[140], "Contemporary C");
    EXPECT_EQ(genres[147], "SynthPop");
    click(d.btn_cancel);
}

TEST_F(TagDialog, ShowingLoadsTheFirstRowWithItsStoredTitle)
{
    addEntry("first.mp3", {"", "Artist One", "1999", "Album One", "Comment\nsecond line", "Jazz"});
    addEntry("Second Title", {"Second Title", "Artist Two", "", "Album Two", "", "Funk"});
    open();
    Tfm_id3 &d = dialog();
    ASSERT_EQ(d.lv_id3->model()->rowCount(), 2);
    EXPECT_EQ(dialogCaption(0), "first.mp3");
    EXPECT_EQ(dialogCaption(1), "Second Title");
    EXPECT_EQ(d.session().currentRow(), 0);
    // an untagged file has no title: its name is its caption, never its title
    EXPECT_EQ(d.edt_tatal->text(), "");
    EXPECT_EQ(d.edt_art->text(), "Artist One");
    EXPECT_EQ(d.edt_alb->text(), "Album One");
    EXPECT_EQ(d.edt_year->text(), "1999");
    EXPECT_EQ(genreText(), "Jazz");
    EXPECT_EQ(d.edt_com->toPlainText(), "Comment\nsecond line");
    EXPECT_EQ(d.session().WorkTagRecords[0].Title, "");
    EXPECT_EQ(jobs().TagRecords()[0].Title, "");

    // a click loads the row's stored values; the title is the stored one
    clickRow(1);
    EXPECT_EQ(d.session().currentRow(), 1);
    EXPECT_EQ(d.edt_tatal->text(), "Second Title");
    EXPECT_EQ(d.edt_art->text(), "Artist Two");
    EXPECT_EQ(d.edt_year->text(), "");
    EXPECT_EQ(genreText(), "Funk");
    EXPECT_EQ(d.edt_com->toPlainText(), "");
    // the arrow keys move between rows as clicks do
    QTest::keyClick(d.lv_id3, Qt::Key_Up);
    EXPECT_EQ(d.session().currentRow(), 0);
    EXPECT_EQ(d.edt_art->text(), "Artist One");
    click(d.btn_cancel);
}

TEST_F(TagDialog, CancelEscapeAndTheCloseBoxKeepTheJobListAsItWas)
{
    addEntry("one.mp3", {"", "Kept Artist", "", "", "", ""});
    addEntry("two.mp3", {"", "Other", "", "", "", ""});
    const auto closers = std::vector<std::function<void()>>{
        [&] { click(dialog().btn_cancel); },
        [&] { QTest::keyClick(&dialog(), Qt::Key_Escape); },
        [&] { dialog().close(); },
    };
    for (const auto &closeDialog : closers) {
        open();
        type(dialog().edt_art, "Changed");
        click(dialog().Button3);  // "All" beside the album
        EXPECT_EQ(dialog().session().WorkTagRecords[0].Artist, "Changed");
        closeDialog();
        EXPECT_FALSE(dialog().isVisible());
        EXPECT_EQ(dialog().lv_id3->model()->rowCount(), 0);  // emptied on closing
        EXPECT_EQ(jobs().TagRecords()[0].Artist, "Kept Artist");
        EXPECT_EQ(jobs().TagRecords()[0].Title, "");
        EXPECT_EQ(caption(0), "one.mp3");
    }
}

TEST_F(TagDialog, TypedGenreOutsideTheListIsStoredAndAPickedOneToo)
{
    addEntries(2);
    open();
    type(dialog().edt_genre, "Chiptune Polka");
    EXPECT_EQ(genreText(), "Chiptune Polka");
    EXPECT_EQ(dialog().edt_genre->count(), 148);  // typing adds nothing to the list
    clickRow(1);
    dialog().edt_genre->setCurrentIndex(17);  // picked from the list: "Rock"
    click(dialog().btn_ok);
    EXPECT_EQ(jobs().TagRecords()[0].Genre, "Chiptune Polka");
    EXPECT_EQ(jobs().TagRecords()[1].Genre, "Rock");
}

TEST_F(TagDialog, AllBesideTheYearSetsEveryOneOf25Records)
{
    addEntries(25);
    open();
    EXPECT_EQ(dialog().lv_id3->columnWidth(0), 127);  // narrowed for the scroll bar
    type(dialog().edt_year, "2026");
    click(dialog().Button4);
    type(dialog().edt_genre, "Lo-Fi");
    click(dialog().Button5);
    type(dialog().edt_com, "one\ntwo");
    click(dialog().Button6);
    click(dialog().btn_ok);
    for (int row = 0; row < 25; ++row) {
        EXPECT_EQ(jobs().TagRecords()[row].Year, "2026") << row;
        EXPECT_EQ(jobs().TagRecords()[row].Genre, "Lo-Fi") << row;
        EXPECT_EQ(jobs().TagRecords()[row].Comment, "one\ntwo") << row;
    }
    // "All" for the title renames rows only through Ok, never in the dialog
    open();
    type(dialog().edt_tatal, "Same Title");
    click(dialog().Button1);
    EXPECT_EQ(dialogCaption(1), "track 2.mp3");
    click(dialog().btn_ok);
    EXPECT_EQ(caption(24), "Same Title");
    EXPECT_EQ(jobs().TagRecords()[24].Title, "Same Title");
}

TEST_F(TagDialog, ClearedTitleKeepsTheCaptionWhileTheStoredTitleIsEmpty)
{
    addEntry("Old Title", {"Old Title", "", "", "", "", ""});
    addEntry("b.mp3", {});
    open();
    type(dialog().edt_tatal, "");
    click(dialog().edt_art);  // leaving the title box
    dialog().edt_art->setFocus();
    EXPECT_EQ(dialogCaption(0), "Old Title");  // no row of the list goes blank
    click(dialog().btn_ok);
    EXPECT_EQ(caption(0), "Old Title");
    EXPECT_EQ(jobs().TagRecords()[0].Title, "");
}

TEST_F(TagDialog, LeavingTheTitleBoxRenamesTheDialogRowAndOkTheMainRow)
{
    addEntries(3);
    open();
    clickRow(2);
    type(dialog().edt_tatal, "Brand New");
    EXPECT_EQ(dialogCaption(2), "track 3.mp3");
    dialog().edt_art->setFocus();
    EXPECT_EQ(dialogCaption(2), "Brand New");
    EXPECT_EQ(caption(2), "track 3.mp3");
    click(dialog().btn_ok);
    EXPECT_EQ(caption(2), "Brand New");
    EXPECT_EQ(jobs().TagRecords()[2].Title, "Brand New");
}

// A file name is no title: pieces of an untagged file must not be called
// "track 1.mp3". What the user did not type stays what the source had, and
// a caption cleaned from a tag title does not replace that title either.
TEST_F(TagDialog, OkKeepsEveryTitleTheUserDidNotType)
{
    addEntries(2);
    addEntry("Live Part 12", {"Live: Part 1/2", "", "", "", "", ""});
    open();
    click(dialog().btn_ok);
    EXPECT_EQ(jobs().TagRecords()[0].Title, "");
    EXPECT_EQ(jobs().TagRecords()[1].Title, "");
    EXPECT_EQ(jobs().TagRecords()[2].Title, "Live: Part 1/2");
    EXPECT_EQ(caption(0), "track 1.mp3");
    EXPECT_EQ(caption(2), "Live: Part 1/2");

    // Reset loads the stored title as well
    open();
    type(dialog().edt_tatal, "Typed");
    click(dialog().Button7);
    EXPECT_EQ(dialog().edt_tatal->text(), "");
    click(dialog().btn_ok);
    EXPECT_EQ(jobs().TagRecords()[0].Title, "");
}

TEST_F(TagDialog, LongTextsShowTheirStart)
{
    const QString album = QStringLiteral("Songs and Sounds of the Long Voyage Across the Northern Sea OST");
    const QString genre = QStringLiteral("Orchestral Soundtrack With Choir and Field Recordings");
    addEntry("a.mp3", {"A Very Long Title That Does Not Fit Into The Box At All", "", "", album, "", genre});
    addEntry("b.mp3", {"", "", "", album, "", genre});
    open();
    // the box scrolls to its cursor: at 0 it shows the first letters
    for (QLineEdit *box : {dialog().edt_alb, dialog().edt_genre->lineEdit(), dialog().edt_tatal})
        EXPECT_EQ(box->cursorPosition(), 0) << qPrintable(box->objectName());
    clickRow(1);
    EXPECT_EQ(dialog().edt_alb->cursorPosition(), 0);
    EXPECT_EQ(dialog().edt_alb->text(), album);
    click(dialog().btn_cancel);
}

TEST_F(TagDialog, ResetDropsTheEditsAndStartsFromTheFirstRow)
{
    addEntry("a.mp3", {"", "Artist A", "", "", "", ""});
    addEntry("b.mp3", {"", "Artist B", "", "", "", ""});
    open();
    clickRow(1);
    type(dialog().edt_art, "Edited B");
    click(dialog().Button3);
    click(dialog().Button7);
    EXPECT_EQ(dialog().session().currentRow(), 0);
    EXPECT_EQ(dialog().edt_art->text(), "Artist A");
    EXPECT_EQ(dialog().session().WorkTagRecords[1].Artist, "Artist B");
    EXPECT_EQ(dialog().edt_tatal->text(), "");
    click(dialog().btn_ok);
    EXPECT_EQ(jobs().TagRecords()[1].Artist, "Artist B");
}

TEST_F(TagDialog, GenreListStaysAt148AfterTwoShowings)
{
    addEntries(1);
    for (int showing = 0; showing < 2; ++showing) {
        open();
        EXPECT_EQ(dialog().edt_genre->count(), 148);
        click(dialog().btn_cancel);
    }
    EXPECT_EQ(dialog().edt_genre->count(), 148);
}

TEST_F(TagDialog, EmptyJobListOpensEmptyAndOkChangesNothing)
{
    open();
    EXPECT_EQ(dialog().lv_id3->model()->rowCount(), 0);
    type(dialog().edt_art, "Nobody");  // nothing to store into
    click(dialog().Button2);
    click(dialog().btn_ok);
    EXPECT_FALSE(dialog().isVisible());
    EXPECT_EQ(jobs().rowCount(), 0);
}

// Both menu items open the dialog modally, during a run as well; what Ok
// hands back is in the job list when the command returns.
TEST_F(TagDialog, BothMenuItemsShowItModallyAlsoWhileConverting)
{
    addEntries(2);
    s.main().runState().Converting = true;
    for (const char *item : {"ID3info1", "ID31"}) {
        bool seen = false;
        QTimer::singleShot(0, &dialog(), [&] {
            seen = QApplication::activeModalWidget() == &dialog();
            type(dialog().edt_art, QString::fromLatin1(item));
            click(dialog().btn_ok);
        });
        s.main().menus->item(item)->trigger();
        EXPECT_TRUE(seen) << item;
        EXPECT_FALSE(dialog().isVisible());
        EXPECT_EQ(jobs().TagRecords()[0].Artist, QString::fromLatin1(item));
    }
}

TEST_F(TagDialog, ScreenshotWithSeveralFilesAndAFilledForm)
{
    addEntry("Morning Session", {"Morning Session", "The Quiet Hours", "2024", "Live at the Hall",
                                 "Recorded on the first night.", "Ambient"});
    addEntry("Interview part 2", {"Interview part 2", "Radio Nord", "", "Conversations", "", "Speech"});
    addEntry("Field recording.wma", {});
    addEntry(QString::fromUtf8("Élégie à la lune"), {QString::fromUtf8("Élégie à la lune"),
                                                      QString::fromUtf8("Björk Guðmundsdóttir"), "", "Début",
                                                      "", "Electronic"});
    addEntry("Evening Concert", {"Evening Concert", "Ensemble Nord", "", "Live at the Hall", "", "Classical"});
    open();
    clickRow(0);
    type(dialog().edt_year, "2024");
    dialog().edt_tatal->setFocus();
    QApplication::processEvents();
    const QPixmap shot = dialog().grab();
    ASSERT_TRUE(shot.save(QStringLiteral(KORVEX_BINARY_DIR "/korvex-tags.png")));
    QSet<QRgb> colours;
    const QImage image = shot.toImage();
    for (int y = 0; y < image.height(); y += 3) {
        for (int x = 0; x < image.width(); x += 3)
            colours.insert(image.pixel(x, y));
    }
    EXPECT_GT(colours.size(), 50);
    click(dialog().btn_cancel);
}

// From files tagged by other programs to pieces that carry the edited tags:
// the window adds the files, the dialog edits them, a split writes them, and
// mutagen reads every piece.
TEST_F(TagDialog, EditedTagsArriveInEveryPieceOfASplit)
{
    const test::VceditOverride module;
    const QString outputs = s.folder.file("out") + QLatin1Char('/');
    QDir().mkpath(outputs);
    Settings &settings = s.main().settingsStore().settings();
    settings.OutputFolder = outputs;
    settings.SplitMode = split_mode::Time;
    settings.SplitSeconds = 3;

    const QString mp3 = s.folder.file("tagged.mp3");
    ASSERT_TRUE(test::MakeToneWithFfmpeg(mp3, 4.5));
    test::RunMutagen(R"(import sys
from mutagen.id3 import ID3, TIT2, TPE1, TALB, TCON
t = ID3()
t.add(TIT2(encoding=3, text='Tagged Elsewhere'))
t.add(TPE1(encoding=3, text='Old Artist'))
t.add(TALB(encoding=3, text='Old Album'))
t.add(TCON(encoding=3, text='Old Genre'))
t.save(sys.argv[1], v2_version=4)
)",
                     mp3);
    const QString opus = s.folder.file("opus inside.ogg");
    ASSERT_EQ(test::RunTool("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i", "sine=duration=4.5", "-c:a",
                                       "libopus", "-f", "ogg", opus})
                  .exitCode,
              0);
    test::RunMutagen(R"(import sys
from mutagen.oggopus import OggOpus
f = OggOpus(sys.argv[1])
f['title'] = ['Opus Piece']
f.save()
)",
                     opus);
    const QString flac = s.folder.file("untagged.flac");
    ASSERT_TRUE(test::MakeToneWithFfmpeg(flac, 4.5));
    s.recorder.dialogs.openAnswer = {mp3, opus, flac};
    s.clickSkin("addfile");
    ASSERT_TRUE(s.recorder.messages.errors.isEmpty()) << qPrintable(s.recorder.messages.errors.join('\n'));
    ASSERT_EQ(jobs().rowCount(), 3);
    EXPECT_EQ(caption(0), "Tagged Elsewhere");
    EXPECT_EQ(caption(1), "Opus Piece");
    EXPECT_EQ(caption(2), "untagged.flac");

    QTimer::singleShot(0, &dialog(), [&] {
        type(dialog().edt_tatal, "New Title");
        type(dialog().edt_art, QString::fromUtf8("Ärtist Everywhere"));
        click(dialog().Button2);
        type(dialog().edt_alb, "One Album");
        click(dialog().Button3);
        type(dialog().edt_year, "2026");
        click(dialog().Button4);
        type(dialog().edt_genre, "Field Tones");
        click(dialog().Button5);
        click(dialog().btn_ok);
    });
    s.main().menus->item("ID31")->trigger();
    EXPECT_EQ(caption(0), "New Title");

    s.clickRun("Split");
    ASSERT_TRUE(s.recorder.messages.errors.isEmpty()) << qPrintable(s.recorder.messages.errors.join('\n'));
    const QString report = test::RunMutagen(R"(import glob, os, sys
from mutagen.asf import ASF
for path in sorted(glob.glob(os.path.join(sys.argv[1], '*.wma'))):
    f = ASF(path)
    values = [str(f.get(key, ['-'])[0]) for key in ('Title', 'Author', 'WM/AlbumTitle', 'WM/Year', 'WM/Genre')]
    print(os.path.basename(path), *values, sep='|')
)",
                                            outputs);
    EXPECT_EQ(report, QString::fromUtf8("New Title_1.wma|New Title|Ärtist Everywhere|One Album|2026|Field Tones\n"
                                        "New Title_2.wma|New Title|Ärtist Everywhere|One Album|2026|Field Tones\n"
                                        "Opus Piece_1.wma|Opus Piece|Ärtist Everywhere|One Album|2026|Field Tones\n"
                                        "Opus Piece_2.wma|Opus Piece|Ärtist Everywhere|One Album|2026|Field Tones\n"
                                        "untagged_1.wma||Ärtist Everywhere|One Album|2026|Field Tones\n"
                                        "untagged_2.wma||Ärtist Everywhere|One Album|2026|Field Tones\n"));
}
