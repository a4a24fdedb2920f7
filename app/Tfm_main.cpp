#include "app/Tfm_main.h"

#include "app/DesktopLauncher.h"
#include "app/FileDialogs.h"
#include "app/FileDrops.h"
#include "app/IncomingFiles.h"
#include "app/KeyboardShortcuts.h"
#include "widgets/MainControls.h"
#include "app/MessageBoxes.h"
#include "app/RunNotifier.h"
#include "app/SkinBinding.h"
#include "widgets/SvgPictures.h"
#include "app/WaveformView.h"
#include "app/WindowAccess.h"
#include "joblist/ListAutosave.h"
#include "components/ErrorBoxes.h"
#include "components/ProgramFiles.h"
#include "components/skin/SkinForm.h"
#include "components/skin/TSkin.h"

#include <QCloseEvent>
#include <QResizeEvent>
#include <QTimer>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTableView>

namespace korvex {

namespace {

const QString kSkinForm = QStringLiteral("Brannel");

} // namespace

Seams Tfm_main::resolveSeams(const Seams &given)
{
    Seams seams = given;
    if (!seams.messages) {
        m_ownMessages = std::make_unique<MessageBoxes>(this, m_modalHold);
        seams.messages = m_ownMessages.get();
    }
    if (!seams.dialogs) {
        m_ownDialogs = std::make_unique<FileDialogs>(this, m_modalHold);
        seams.dialogs = m_ownDialogs.get();
    }
    if (!seams.launcher) {
        m_ownLauncher = std::make_unique<DesktopLauncher>();
        seams.launcher = m_ownLauncher.get();
    }
    return seams;
}

const QString Tfm_main::HomePage = QStringLiteral("https://korvex.example.org/");

Tfm_main::Tfm_main(const MainWindowOptions &options, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                          | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_programFolder(options.programFolder.isEmpty() ? ProgramFiles::dataFolder() : options.programFolder),
      m_seams(resolveSeams(options.seams)),
      m_core({AudioFileRead, AudioFile2write, AudioTransform21}, m_seams),
      m_incoming(std::make_unique<IncomingFiles>(m_core.adder(), [this] { return busy(); })),
      m_notifier(std::make_unique<RunNotifier>())
{
    setObjectName(QStringLiteral("fm_main"));
    setWindowTitle(QStringLiteral("Korvex"));
    setFixedSize(FrameSize);
    setWindowIcon(QIcon(RenderSvg(BuiltInIconPath(QStringLiteral("logo")), 64)));

    Skin1 = new TSkin(this);
    Skin1->setObjectName(QStringLiteral("Skin1"));
    Skin1->setGeometry(32, 125, 32, 32);
    connect(Skin1, &TSkin::OnClick, this, &Tfm_main::Skin1Click);

    menus = std::make_unique<MainMenus>(this, [this](const QString &item) { menuItemClick(item); });
    JobList &jobs = m_core.jobs();
    lv = MainControls::listView(this, "lv", 130, 187, jobs.fileModel(), jobs.fileSelection());
    lv_time = MainControls::listView(this, "lv_time", 217, 187, jobs.segmentModel(), jobs.segmentSelection());
    sm = MainControls::instructionsMemo(this);
    cb_format = MainControls::formatBox(this);
    m_core.attachPreview(AudioPlayer21);
    m_core.adder().keepAddFolder(true);
    connectLists();
    connectSegmentList();
    connectRunControl();
    connectFormatBox();
    registerCommands();
    registerAssists();
}

Tfm_main::~Tfm_main() = default;

void Tfm_main::setDialogs(Tfm_set *set, Tfm_dir *dir, Tfm_about *about, Tfm_id3 *id3)
{
    fm_set = set;
    fm_dir = dir;
    if (m_ownDialogs)
        m_ownDialogs->setFolderChooser(dir);
    fm_about = about;
    fm_id3 = id3;
}

void Tfm_main::connectLists()
{
    connect(lv, &QTableView::clicked, &m_core.editor(), [this] { m_core.editor().lvClick(); });
    for (QTableView *list : {lv, lv_time}) {
        connect(list, &QWidget::customContextMenuRequested, this,
                [this, list](const QPoint &at) { menus->p_lv->popup(list->viewport()->mapToGlobal(at)); });
    }
    connect(&m_core.jobs(), &JobList::memoVisibleChanged, sm, &QWidget::setVisible);
    connect(&m_core.editor(), &JobEditor::fileListFocusRequested, lv, [this] { lv->setFocus(); });
    connect(&m_core.adder(), &FileAdder::fileListFocusRequested, lv, [this] { lv->setFocus(); });
}

void Tfm_main::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    FormShow();
}

void Tfm_main::FormShow()
{
    m_core.store().LoadSettings();
    showStoredFormat();
    BindSkin();
    tellUnreadSettings();
    placeLists();
    AudioFileRead.setOptionValue(-1);
    AudioFile2write.setOptionValue(-1);
    m_core.jobs().SelectedSegmentRow = 0;
    m_core.run().Converting = false;
    m_core.player().Playing = false;
    m_core.player().SeekDragging = false;
    m_core.jobs().SegmentSelected = false;
    m_core.skin().setPosition(skin_object::Slider, 0);
    keepWorkingList();
}

// A settings file that could not be read falls back to the defaults; the
// user is told which file it was, so the output folder is no surprise.
void Tfm_main::tellUnreadSettings()
{
    const QString problem = m_core.store().file().readProblem();
    if (!problem.isEmpty())
        QTimer::singleShot(0, this, [this, problem] { m_seams.messages->error(problem); });
}

void Tfm_main::BindSkin()
{
    Skin1->loadSkinFile(QDir(m_programFolder).filePath(ProgramFiles::SkinFileName));
    Skin1->attach(this);
    Skin1->applyForm(this, kSkinForm);
    m_binding = std::make_unique<SkinBinding>(*Skin1, this, m_core.skin());
    m_binding->BindSkinObject(skin_object::Slider, SkinBinding::Kind::Slider);
    for (const QString &name : {skin_object::PositionCaption, skin_object::TotalText, skin_object::PathText,
                                skin_object::PercentText, skin_object::Bar, skin_object::RunPieceText,
                                skin_object::RunBar})
        m_binding->BindSkinObject(name, SkinBinding::Kind::Text);
    KeyboardShortcuts::showKeysInToolTips(Skin1->form(this));
    bindWaveform();
    WindowAccess::prepare(this);

    m_core.progress().bind();
    m_core.skin().setPosition(skin_object::Slider, 0);
    m_core.skin().redraw(skin_object::Slider);
    m_core.progress().ShowConvertProgress(0, m_core.store().settings().SkinFlag);
    m_core.skin().setText(skin_object::PercentText, QString());
    m_core.skin().redraw(skin_object::PercentText);
    m_core.editor().ShowTotalTime();
}

void Tfm_main::placeLists()
{
    lv->move(120, 92);
    lv_time->move(243, 92);
    sm->move(120, 92);
    // the lists and the memo lie on the face, the memo over both lists
    lv->raise();
    lv_time->raise();
    sm->raise();
    cb_format->raise();
    sm->setVisible(m_core.jobs().memoVisible());
}

// The window has a fixed frame. A window manager may stretch it anyway (a
// tiling one, a maximise that ignores the size hints): the window asks for its
// own size back, and until it gets it the face stays as drawn (TSkin).
void Tfm_main::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (event->size() == FrameSize || event->size() == m_forcedSize)
        return;
    m_forcedSize = event->size();
    QTimer::singleShot(0, this, [this] {
        setFixedSize(FrameSize);
        resize(FrameSize);
    });
}

void Tfm_main::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange
        && (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
        setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowFullScreen));
}

void Tfm_main::closeEvent(QCloseEvent *event)
{
    FormCloseQuery();
    event->accept();
    // a run command on the stack ends the session once it returns
    if (!m_core.control().Busy())
        Q_EMIT sessionEnded();
}

// Closing is never refused. A run in progress is stopped; it winds down in
// the command that started it, which reports the files the close cut short.
// A settings file that cannot be written is reported, and the program still
// ends.
void Tfm_main::FormCloseQuery()
{
    if (m_core.control().Busy() || m_core.run().Converting)
        m_core.control().SessionEnding();
    ShowingFailure(*m_seams.messages, [this] { m_core.store().SaveSettings(); });
    // a normal exit: nothing to restore at the next start
    if (m_workingList)
        m_workingList->finish();
}

void Tfm_main::Skin1Click(ISkinObject *object)
{
    if (object)
        m_core.commands().dispatch(CommandTable::Source::Skin, object->name());
}

void Tfm_main::menuItemClick(const QString &itemName)
{
    m_core.commands().dispatch(CommandTable::Source::Menu, itemName);
}

void Tfm_main::popupAt(QMenu *menu, int dx, int dy)
{
    menu->popup(frameGeometry().topLeft() + QPoint(dx, dy));
}

// A help page that cannot be shown is said, with where it lies, so that the
// user can open it by other means.
void Tfm_main::openHelp()
{
    const QString page = QDir(m_programFolder).filePath(QStringLiteral("help/korvex.html"));
    if (!QFileInfo::exists(page)) {
        m_seams.messages->error(QStringLiteral("The help page is missing. It should be at:\n%1").arg(page));
        return;
    }
    const QPointer<Tfm_main> window(this);
    m_seams.launcher->open(page, [window, page](const QString &reason) {
        if (window)
            window->m_seams.messages->error(
                QStringLiteral("The help page could not be opened. %1\nIt is at:\n%2").arg(reason, page));
    });
}

} // namespace korvex
