#pragma once

#include "joblist/TagEditSession.h"

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableView;

namespace korvex {

class JobList;

// The tag dialog "ID3 Edit": the job list's entries on the left, the six tags
// of the current one in boxes on the right. The boxes edit a copy of the
// job list's tags (the session's WorkTagRecords); Ok hands it back and renames
// the rows, Cancel and the close box drop it, Reset takes a fresh copy.
// It is shown modally and opens over the main window's top-left corner.
class Tfm_id3 : public QDialog
{
    Q_OBJECT
public:
    Tfm_id3(QWidget *mainWindow, JobList &jobs);

    TagEditSession &session() { return m_session; }

    QTableView *lv_id3 = nullptr;
    QGroupBox *GroupBox1 = nullptr;
    QLabel *Label1 = nullptr;  // "Title:"
    QLabel *Label2 = nullptr;  // "Artist: "
    QLabel *Label3 = nullptr;  // "Album: "
    QLabel *Label4 = nullptr;  // "Year: "
    QLabel *Label5 = nullptr;  // "Genre:"
    QLabel *Label6 = nullptr;  // "Comment: "
    QLineEdit *edt_tatal = nullptr;
    QLineEdit *edt_art = nullptr;
    QLineEdit *edt_alb = nullptr;
    QLineEdit *edt_year = nullptr;
    QComboBox *edt_genre = nullptr;  // the genre names, or any typed text
    QPlainTextEdit *edt_com = nullptr;
    // "All" beside title, artist, album, year, genre and comment
    QPushButton *Button1 = nullptr;
    QPushButton *Button2 = nullptr;
    QPushButton *Button3 = nullptr;
    QPushButton *Button4 = nullptr;
    QPushButton *Button5 = nullptr;
    QPushButton *Button6 = nullptr;
    QPushButton *Button7 = nullptr;  // "Reset"
    QPushButton *btn_ok = nullptr;
    QPushButton *btn_cancel = nullptr;

    void FormShow();
    void lv_id3Click();
    void edt_tatalChange();
    void edt_artChange();
    void edt_albChange();
    void edt_yearChange();
    void ComboBox1Change();
    void edt_comChange();
    void edt_tatalExit();
    void edt_artExit();
    void edt_albExit();
    void edt_yearExit();
    void edt_comExit();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void Button6Click();
    void Button7Click();
    void btn_okClick();
    void btn_cancelClick();
    void FormCloseQuery();

    // Every way the dialog closes (Ok, Cancel, Escape, the close box) ends here.
    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void connectControls();
    QLineEdit *lineBox(const char *name, int row);
    QPushButton *allButton(const char *name, int row);
    QString boxText(TagField field) const;
    // Loads the boxes from the current row in the order artist, album, title,
    // comment, genre, year; the title box gets `title`. Loading counts as a
    // change of each edit box and the memo: they store what they were given.
    void loadBoxes(const QString &title);
    void loadStoredTitle();
    void fillGenres();

    TagEditSession m_session;
    // Set while the dialog itself moves the selection, which is no click.
    bool m_selecting = false;
};

} // namespace korvex
