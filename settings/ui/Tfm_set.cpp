#include "settings/ui/Tfm_set.h"

#include "components/ErrorBoxes.h"
#include "settings/Settings.h"
#include "settings/ui/Tfm_dir.h"
#include "widgets/DialogLook.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

namespace korvex {

namespace {

const QString OutputChooserCaption = QStringLiteral("Output Directory");

// The character a key gives, as the field's key handler sees it: Ctrl with a
// letter is that letter's control character (Ctrl+V is 0x16); keys that type
// nothing (arrows, Home, Shift ...) give none.
QChar typedCharacter(const QKeyEvent &event)
{
    const int key = event.key();
    if ((event.modifiers() & Qt::ControlModifier) && key >= Qt::Key_A && key <= Qt::Key_Z)
        return QChar(char16_t(key - Qt::Key_A + 1));
    return event.text().isEmpty() ? QChar() : event.text().front();
}

// Keys that move the focus, close the dialog or delete forward keep their
// meaning; they never reach a field as a typed character.
bool isDialogKey(const QKeyEvent &event)
{
    switch (event.key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Escape:
    case Qt::Key_Delete:
        return true;
    default:
        return false;
    }
}

} // namespace

Tfm_set::Tfm_set(QWidget *mainWindow, SettingsStore &store, MessageSeam &messages,
                 std::function<void()> refreshLists)
    : QDialog(mainWindow, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                              | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
    , m_store(store)
    , m_messages(messages)
    , m_refreshLists(std::move(refreshLists))
{
    setObjectName(QStringLiteral("fm_set"));
    setWindowTitle(QStringLiteral("Settings"));
    setFixedSize(384, 311);
    ApplyDialogLook(this);
    buildButtons();
    buildGeneralPage();
    buildWmaPage();
    registerPages();
    connectHandlers();
    // keyboard order follows the face: tree, then the pages, then the buttons
    const QList<QWidget *> order = {TreeView1, rb_custom, rb_unification, rb_count, edt_count, rb_time,
                                    edt_time, cb_fadein, cb_fadeintime, cb_fadeout, cb_fadeouttime, edt_dir,
                                    bt_dir, cb_wma, Ok, Button2, Cancel};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

QRect Tfm_set::pageArea()
{
    return {137, 37, 244, 235};
}

void Tfm_set::addPage(const SettingsPage &page)
{
    page.widget->setParent(this);
    page.widget->setGeometry(pageArea());
    page.widget->setVisible(false);
    auto *node = new QTreeWidgetItem(TreeView1, QStringList{page.node});
    node->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    m_pages.append(page);
}

void Tfm_set::selectPage(const QString &node)
{
    const QList<QTreeWidgetItem *> found = TreeView1->findItems(node, Qt::MatchExactly);
    if (found.isEmpty())
        return;
    TreeView1->setCurrentItem(found.first());
    TreeView1Click();
}

void Tfm_set::setFolderChooser(Tfm_dir *chooser)
{
    m_chooser = chooser;
    connect(chooser, &Tfm_dir::outputFolderChosen, edt_dir, &QLineEdit::setText);
}

void Tfm_set::connectHandlers()
{
    connect(TreeView1, &QTreeWidget::itemSelectionChanged, this, &Tfm_set::TreeView1Click);
    connect(rb_custom, &QRadioButton::clicked, this, &Tfm_set::rb_customClick);
    connect(rb_time, &QRadioButton::clicked, this, &Tfm_set::rb_timeClick);
    connect(rb_count, &QRadioButton::clicked, this, &Tfm_set::rb_countClick);
    connect(rb_unification, &QRadioButton::clicked, this, &Tfm_set::rb_unificationClick);
    edt_time->installEventFilter(this);
    edt_count->installEventFilter(this);
    connect(bt_dir, &QPushButton::clicked, this, &Tfm_set::bt_dirClick);
    connect(Ok, &QPushButton::clicked, this, &Tfm_set::OkClick);
    connect(Button2, &QPushButton::clicked, this, &Tfm_set::Button2Click);
    connect(Cancel, &QPushButton::clicked, this, &Tfm_set::CancelClick);
    connect(cb_wma, &QComboBox::currentTextChanged, this, &Tfm_set::showEncoding);
}

void Tfm_set::showEvent(QShowEvent *event)
{
    // Each showing starts from the settings; a window restored from the task
    // bar keeps what is being edited.
    if (!event->spontaneous())
        FormShow();
    QDialog::showEvent(event);
}

void Tfm_set::FormShow()
{
    if (parentWidget())
        move(parentWidget()->frameGeometry().topLeft());
    showForm(SettingsFormFromStore(m_store));
    for (const SettingsPage &page : std::as_const(m_pages)) {
        if (page.show)
            page.show();
    }
    if (TreeView1->selectedItems().isEmpty())
        TreeView1->setCurrentItem(TreeView1->topLevelItem(0));
    TreeView1Click();
}

void Tfm_set::TreeView1Click()
{
    const QList<QTreeWidgetItem *> selected = TreeView1->selectedItems();
    const int index = selected.isEmpty() ? -1 : TreeView1->indexOfTopLevelItem(selected.first());
    if (index < 0 || index >= m_pages.size())
        return;
    lab->setText(m_pages.at(index).title);
    for (int i = 0; i < m_pages.size(); ++i)
        m_pages.at(i).widget->setVisible(i == index);
}

void Tfm_set::showForm(const SettingsForm &form)
{
    checkModeButton(form.checkedMode);
    edt_dir->setText(form.dirText);
    edt_time->setText(form.timeText);
    edt_count->setText(form.countText);
    cb_fadein->setChecked(form.fadeIn);
    cb_fadeout->setChecked(form.fadeOut);
    cb_fadeintime->setCurrentIndex(form.fadeInItem);
    cb_fadeouttime->setCurrentIndex(form.fadeOutItem);
    cb_wma->setCurrentIndex(form.wmaItem);
    showEncoding();
}

SettingsForm Tfm_set::readForm() const
{
    SettingsForm form;
    form.dirText = edt_dir->text();
    form.timeText = edt_time->text();
    form.countText = edt_count->text();
    form.fadeIn = cb_fadein->isChecked();
    form.fadeOut = cb_fadeout->isChecked();
    form.fadeInItem = cb_fadeintime->currentIndex();
    form.fadeOutItem = cb_fadeouttime->currentIndex();
    form.wmaItem = ChosenWmaItem(cb_wma->currentIndex(), cb_wma->currentText());
    return form;
}

void Tfm_set::checkModeButton(int mode)
{
    const std::pair<QRadioButton *, int> buttons[] = {{rb_custom, split_mode::Custom},
                                                      {rb_time, split_mode::Time},
                                                      {rb_count, split_mode::Count},
                                                      {rb_unification, split_mode::Unification}};
    // Exclusive buttons cannot all be cleared, which a mode of no button needs.
    for (const auto &[button, value] : buttons) {
        button->setAutoExclusive(false);
        button->setChecked(value == mode);
        button->setAutoExclusive(true);
    }
}

// The mode changes at the click, and Cancel keeps it: it goes to the file at
// once, so that korvex-cli splits in the mode the window uses.
void Tfm_set::setMode(int mode)
{
    m_store.settings().SplitMode = mode;
    guarded([this, mode] {
        m_store.file().writeInteger(settings_keys::FunctionSection, settings_keys::ChoiceKey, mode);
    });
}

void Tfm_set::rb_customClick()
{
    setMode(split_mode::Custom);
}

void Tfm_set::rb_timeClick()
{
    setMode(split_mode::Time);
}

void Tfm_set::rb_countClick()
{
    setMode(split_mode::Count);
}

void Tfm_set::rb_unificationClick()
{
    setMode(split_mode::Unification);
}

QChar Tfm_set::edt_timeKeyPress(QChar key)
{
    return NumberFieldKey(key);
}

QChar Tfm_set::edt_countKeyPress(QChar key)
{
    return NumberFieldKey(key);
}

void Tfm_set::edt_timeExit()
{
    leaveNumberField(edt_time, TimeFieldFallback);
}

void Tfm_set::edt_countExit()
{
    leaveNumberField(edt_count, CountFieldFallback);
}

void Tfm_set::leaveNumberField(QLineEdit *field, int fallback)
{
    guarded([&] { field->setText(LeftNumberField(field->text(), fallback)); });
}

bool Tfm_set::eventFilter(QObject *watched, QEvent *event)
{
    auto *field = qobject_cast<QLineEdit *>(watched);
    if (field != edt_time && field != edt_count)
        return QDialog::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress)
        return numberFieldKey(field, static_cast<QKeyEvent *>(event));
    if (event->type() == QEvent::FocusOut) {
        // Only the user moving on leaves a field; a message box or a menu
        // opening over it does not.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            if (field == edt_time)
                edt_timeExit();
            else
                edt_countExit();
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool Tfm_set::numberFieldKey(QLineEdit *field, QKeyEvent *event)
{
    const QChar typed = typedCharacter(*event);
    if (typed.isNull() || isDialogKey(*event))
        return false;
    const QChar passed = field == edt_time ? edt_timeKeyPress(typed) : edt_countKeyPress(typed);
    if (passed == typed)
        return false;
    // Everything but a digit acts as Backspace.
    field->backspace();
    return true;
}

void Tfm_set::bt_dirClick()
{
    if (m_chooser)
        m_chooser->ChooseFolder(OutputChooserCaption, true);
}

void Tfm_set::OkClick()
{
    const bool stored = guarded([this] {
        ApplySettingsForm(m_store, readForm(), m_messages);
        for (const SettingsPage &page : std::as_const(m_pages)) {
            if (page.ok)
                page.ok();
        }
    });
    if (!stored)
        return;
    if (m_refreshLists)
        m_refreshLists();
    accept();
}

void Tfm_set::Button2Click()
{
    cb_wma->setCurrentIndex(DefaultWmaProfileIndex);
}

void Tfm_set::CancelClick()
{
    QDialog::reject();
}

void Tfm_set::reject()
{
    // the close box and Escape are "Cancel"
    CancelClick();
}

void Tfm_set::showEncoding()
{
    lbl_encoding->setText(WmaEncodingNote(ChosenWmaItem(cb_wma->currentIndex(), cb_wma->currentText())));
}

bool Tfm_set::guarded(const std::function<void()> &action)
{
    return ShowingFailure(m_messages, action);
}

} // namespace korvex
