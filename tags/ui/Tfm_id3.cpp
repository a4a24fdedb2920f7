#include "tags/ui/Tfm_id3.h"

#include "tags/GenreNames.h"
#include "widgets/DialogLook.h"
#include "widgets/MainControls.h"

#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QTableView>

namespace korvex {

namespace {

// What the dialogs' common look leaves to this one: the comment memo, the
// untitled card of the six boxes, labels in the face of the form.
const char *const kOwnStyle = R"(
QGroupBox#GroupBox1 { margin-top: 0; }
QLabel { color: #475569; font-family: "DejaVu Sans", sans-serif; font-size: 12px; }
QLineEdit, QComboBox, QPlainTextEdit { font-family: "DejaVu Sans", sans-serif; font-size: 12px; }
QPlainTextEdit { background: #FFFFFF; border: 1px solid #CBD5E1; border-radius: 5px; padding: 1px 2px;
                 selection-background-color: #C7D2FE; selection-color: #1E1B4B; }
QPlainTextEdit:hover { border-color: #818CF8; }
QPlainTextEdit:focus { border-color: #6366F1; }
)";

// The list is a little wider than its column: the header's empty end wears
// the header's colour.
const char *const kListBorder = "QTableView { border: 1px solid #E2E8F0; } QHeaderView { background: #F8FAFC; }";

constexpr int kListLeft = 8;
constexpr int kListWidth = 153;  // the 143-wide column, the slim scroll bar, the border
constexpr int kPanelLeft = kListLeft + kListWidth + 8;
constexpr int kPanelWidth = 419 - kPanelLeft - 8;
constexpr int kRowTop = 12;
constexpr int kRowStep = 31;
constexpr int kBoxLeft = 72;
constexpr int kBoxHeight = 25;
constexpr int kAllWidth = 34;
constexpr int kBoxWidth = kPanelWidth - kBoxLeft - kAllWidth - 12;
constexpr int kAllLeft = kBoxLeft + kBoxWidth + 4;
constexpr int kButtonTop = 252;
constexpr int kButtonWidth = 70;
constexpr int kButtonHeight = 28;

} // namespace

Tfm_id3::Tfm_id3(QWidget *mainWindow, JobList &jobs) : QDialog(mainWindow), m_session(jobs)
{
    setObjectName(QStringLiteral("fm_id3"));
    setWindowTitle(QStringLiteral("ID3 Edit"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(419, 288);
    buildControls();
    connectControls();
    ApplyDialogLook(this);
    setStyleSheet(styleSheet() + QString::fromLatin1(kOwnStyle));
    MarkPrimaryButton(btn_ok);
}

QLineEdit *Tfm_id3::lineBox(const char *name, int row)
{
    auto *box = new QLineEdit(GroupBox1);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(kBoxLeft, kRowTop + row * kRowStep, kBoxWidth, kBoxHeight);
    return box;
}

QPushButton *Tfm_id3::allButton(const char *name, int row)
{
    auto *button = new QPushButton(QStringLiteral("All"), GroupBox1);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(kAllLeft, kRowTop + row * kRowStep, kAllWidth, kBoxHeight);
    button->setAutoDefault(false);
    return button;
}

void Tfm_id3::buildControls()
{
    lv_id3 = MainControls::listView(this, "lv_id3", kListWidth, 288 - 2 * kListLeft, m_session.rows(),
                                    m_session.selection());
    lv_id3->move(kListLeft, kListLeft);
    lv_id3->setContextMenuPolicy(Qt::NoContextMenu);
    lv_id3->setStyleSheet(lv_id3->styleSheet() + QString::fromLatin1(kListBorder));

    GroupBox1 = new QGroupBox(this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(kPanelLeft, kListLeft, kPanelWidth, kButtonTop - kListLeft - 8);

    const char *const captions[] = {"Title:", "Artist: ", "Album: ", "Year: ", "Genre:", "Comment: "};
    QLabel **labels[] = {&Label1, &Label2, &Label3, &Label4, &Label5, &Label6};
    for (int row = 0; row < 6; ++row) {
        QLabel *label = new QLabel(QString::fromLatin1(captions[row]), GroupBox1);
        label->setObjectName(QStringLiteral("Label%1").arg(row + 1));
        label->setGeometry(8, kRowTop + row * kRowStep, kBoxLeft - 8, kBoxHeight);
        *labels[row] = label;
    }
    edt_tatal = lineBox("edt_tatal", 0);
    edt_art = lineBox("edt_art", 1);
    edt_alb = lineBox("edt_alb", 2);
    edt_year = lineBox("edt_year", 3);

    edt_genre = new QComboBox(GroupBox1);
    edt_genre->setObjectName(QStringLiteral("edt_genre"));
    edt_genre->setGeometry(kBoxLeft, kRowTop + 4 * kRowStep, kBoxWidth, kBoxHeight);
    edt_genre->setEditable(true);
    // a typed genre is stored, never added to the list of names
    edt_genre->setInsertPolicy(QComboBox::NoInsert);
    edt_genre->setMaxVisibleItems(14);

    edt_com = new QPlainTextEdit(GroupBox1);
    edt_com->setObjectName(QStringLiteral("edt_com"));
    const int memoTop = kRowTop + 5 * kRowStep;
    edt_com->setGeometry(kBoxLeft, memoTop, kBoxWidth, GroupBox1->height() - memoTop - 10);
    edt_com->setTabChangesFocus(true);

    Button1 = allButton("Button1", 0);
    Button2 = allButton("Button2", 1);
    Button3 = allButton("Button3", 2);
    Button4 = allButton("Button4", 3);
    Button5 = allButton("Button5", 4);
    Button6 = allButton("Button6", 5);

    const auto button = [this](const char *name, const char *text, int left) {
        auto *result = new QPushButton(QString::fromLatin1(text), this);
        result->setObjectName(QString::fromLatin1(name));
        result->setGeometry(left, kButtonTop, kButtonWidth, kButtonHeight);
        result->setAutoDefault(false);
        return result;
    };
    Button7 = button("Button7", "Reset", kPanelLeft);
    btn_cancel = button("btn_cancel", "Cancel", 419 - 8 - kButtonWidth);
    btn_ok = button("btn_ok", "Ok", 419 - 8 - 2 * kButtonWidth - 8);
    btn_ok->setDefault(true);

    // Tab walks the boxes top to bottom, each followed by its "All", then Ok
    const QList<QWidget *> chain = {lv_id3, edt_tatal, Button1, edt_art, Button2, edt_alb, Button3, edt_year,
                                    Button4, edt_genre, Button5, edt_com, Button6, btn_ok, btn_cancel, Button7};
    for (qsizetype i = 1; i < chain.size(); ++i)
        setTabOrder(chain[i - 1], chain[i]);
}

void Tfm_id3::connectControls()
{
    connect(lv_id3, &QTableView::clicked, this, &Tfm_id3::lv_id3Click);
    // rows chosen with the keyboard load the boxes as a click does
    connect(m_session.selection(), &QItemSelectionModel::currentRowChanged, this, [this] {
        if (!m_selecting)
            lv_id3Click();
    });
    connect(edt_tatal, &QLineEdit::textChanged, this, &Tfm_id3::edt_tatalChange);
    connect(edt_art, &QLineEdit::textChanged, this, &Tfm_id3::edt_artChange);
    connect(edt_alb, &QLineEdit::textChanged, this, &Tfm_id3::edt_albChange);
    connect(edt_year, &QLineEdit::textChanged, this, &Tfm_id3::edt_yearChange);
    connect(edt_genre, &QComboBox::editTextChanged, this, &Tfm_id3::ComboBox1Change);
    connect(edt_com, &QPlainTextEdit::textChanged, this, &Tfm_id3::edt_comChange);
    for (QWidget *box : {static_cast<QWidget *>(edt_tatal), static_cast<QWidget *>(edt_art),
                         static_cast<QWidget *>(edt_alb), static_cast<QWidget *>(edt_year),
                         static_cast<QWidget *>(edt_com)})
        box->installEventFilter(this);
    connect(Button1, &QPushButton::clicked, this, &Tfm_id3::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &Tfm_id3::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &Tfm_id3::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &Tfm_id3::Button4Click);
    connect(Button5, &QPushButton::clicked, this, &Tfm_id3::Button5Click);
    connect(Button6, &QPushButton::clicked, this, &Tfm_id3::Button6Click);
    connect(Button7, &QPushButton::clicked, this, &Tfm_id3::Button7Click);
    connect(btn_ok, &QPushButton::clicked, this, &Tfm_id3::btn_okClick);
    connect(btn_cancel, &QPushButton::clicked, this, &Tfm_id3::btn_cancelClick);
}

bool Tfm_id3::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusOut) {
        if (watched == edt_tatal)
            edt_tatalExit();
        else if (watched == edt_art)
            edt_artExit();
        else if (watched == edt_alb)
            edt_albExit();
        else if (watched == edt_year)
            edt_yearExit();
        else if (watched == edt_com)
            edt_comExit();
    }
    return QDialog::eventFilter(watched, event);
}

void Tfm_id3::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormShow();
}

QString Tfm_id3::boxText(TagField field) const
{
    switch (field) {
    case TagField::Title:
        return edt_tatal->text();
    case TagField::Artist:
        return edt_art->text();
    case TagField::Album:
        return edt_alb->text();
    case TagField::Year:
        return edt_year->text();
    case TagField::Genre:
        return edt_genre->currentText();
    case TagField::Comment:
        return edt_com->toPlainText();
    }
    return {};
}

void Tfm_id3::fillGenres()
{
    if (edt_genre->count() > 0)
        return;
    const QSignalBlocker quiet(edt_genre);
    for (const char *name : GenreNames)
        edt_genre->addItem(QString::fromLatin1(name));
    // filling picks the first name; the box shows a genre only once loaded
    edt_genre->setCurrentIndex(-1);
    edt_genre->setEditText(QString());
}

void Tfm_id3::loadBoxes(const QString &title)
{
    const AudioFileinfo empty;
    const AudioFileinfo *record = m_session.currentRecord();
    const AudioFileinfo &from = record ? *record : empty;
    {
        const QSignalBlocker quietArtist(edt_art), quietAlbum(edt_alb), quietTitle(edt_tatal),
            quietComment(edt_com), quietGenre(edt_genre), quietYear(edt_year);
        edt_art->setText(from.Artist);
        edt_alb->setText(from.Album);
        edt_tatal->setText(record ? title : QString());
        edt_com->setPlainText(from.Comment);
        edt_genre->setEditText(from.Genre);
        edt_year->setText(from.Year);
        // a long text shows its start, as the user reads it
        for (QLineEdit *box : {edt_art, edt_alb, edt_tatal, edt_year, edt_genre->lineEdit()})
            box->setCursorPosition(0);
    }
    edt_artChange();
    edt_albChange();
    edt_tatalChange();
    edt_comChange();
    edt_yearChange();
}

void Tfm_id3::FormShow()
{
    if (parentWidget())
        move(parentWidget()->frameGeometry().topLeft());
    fillGenres();
    if (!m_session.takeRows())
        return;
    {
        const QScopedValueRollback selecting(m_selecting, true);
        m_session.selectFirstRowIfNone();
    }
    m_session.takeTags();
    loadStoredTitle();
}

void Tfm_id3::lv_id3Click()
{
    if (!m_session.hasRows())
        return;
    {
        const QScopedValueRollback selecting(m_selecting, true);
        m_session.selectFirstRowIfNone();
    }
    loadStoredTitle();
}

// The title box shows the title the entry has: a file without a tag title has
// none, and its name (the row's caption) never becomes its title unless the
// user types it.
void Tfm_id3::loadStoredTitle()
{
    const AudioFileinfo *record = m_session.currentRecord();
    loadBoxes(record ? record->Title : QString());
}

void Tfm_id3::edt_tatalChange()
{
    m_session.store(TagField::Title, edt_tatal->text());
}

void Tfm_id3::edt_artChange()
{
    m_session.store(TagField::Artist, edt_art->text());
}

void Tfm_id3::edt_albChange()
{
    m_session.store(TagField::Album, edt_alb->text());
}

void Tfm_id3::edt_yearChange()
{
    m_session.store(TagField::Year, edt_year->text());
}

void Tfm_id3::ComboBox1Change()
{
    m_session.store(TagField::Genre, edt_genre->currentText());
}

void Tfm_id3::edt_comChange()
{
    m_session.store(TagField::Comment, edt_com->toPlainText());
}

void Tfm_id3::edt_tatalExit()
{
    edt_tatalChange();
    m_session.captionFromTitle(edt_tatal->text());
}

void Tfm_id3::edt_artExit()
{
    edt_artChange();
}

void Tfm_id3::edt_albExit()
{
    edt_albChange();
}

void Tfm_id3::edt_yearExit()
{
    edt_yearChange();
}

void Tfm_id3::edt_comExit()
{
    edt_comChange();
}

void Tfm_id3::Button1Click()
{
    m_session.storeAll(TagField::Title, boxText(TagField::Title));
}

void Tfm_id3::Button2Click()
{
    m_session.storeAll(TagField::Artist, boxText(TagField::Artist));
}

void Tfm_id3::Button3Click()
{
    m_session.storeAll(TagField::Album, boxText(TagField::Album));
}

void Tfm_id3::Button4Click()
{
    m_session.storeAll(TagField::Year, boxText(TagField::Year));
}

void Tfm_id3::Button5Click()
{
    m_session.storeAll(TagField::Genre, boxText(TagField::Genre));
}

void Tfm_id3::Button6Click()
{
    m_session.storeAll(TagField::Comment, boxText(TagField::Comment));
}

void Tfm_id3::Button7Click()
{
    m_session.clearRows();
    if (!m_session.takeRows())
        return;
    {
        const QScopedValueRollback selecting(m_selecting, true);
        m_session.selectRow(0);
    }
    m_session.takeTags();
    loadStoredTitle();
}

void Tfm_id3::btn_okClick()
{
    m_session.commit();
    close();
}

void Tfm_id3::btn_cancelClick()
{
    close();
}

void Tfm_id3::FormCloseQuery()
{
    m_session.clearRows();
}

void Tfm_id3::done(int result)
{
    FormCloseQuery();
    QDialog::done(result);
}

} // namespace korvex
