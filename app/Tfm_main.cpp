#include "app/Tfm_main.h"

#include "app/DesktopLauncher.h"
#include "app/FileDialogs.h"
#include "app/MainControls.h"
#include "app/MessageBoxes.h"
#include "app/SkinBinding.h"
#include "app/SvgPictures.h"
#include "components/KorvexError.h"
#include "components/skin/SkinForm.h"
#include "components/skin/TSkin.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTableView>

namespace korvex {

namespace {

const QString kSkinFileName = QStringLiteral("mp3enc.dll");
const QString kSkinForm = QStringLiteral("Brannel");
const QString kWmaFilter = QStringLiteral("WMA Files(*.wma)|*.wma");

} // namespace

Seams Tfm_main::resolveSeams(const Seams &given)
{
    Seams seams = given;
    if (!seams.messages) {
        m_ownMessages = std::make_unique<MessageBoxes>(this);
        seams.messages = m_ownMessages.get();
    }
    if (!seams.dialogs) {
        m_ownDialogs = std::make_unique<FileDialogs>(this);
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
      m_programFolder(options.programFolder.isEmpty() ? QCoreApplication::applicationDirPath()
                                                      : options.programFolder),
      m_seams(resolveSeams(options.seams)),
      m_editor(m_jobs, m_settings.settings(), m_run, m_player, m_face),
      m_progress(m_run, m_face),
      m_commands(*m_seams.messages)
{
    setObjectName(QStringLiteral("fm_main"));
    setWindowTitle(QStringLiteral("Korvex"));
    setFixedSize(563, 414);
    setWindowIcon(QIcon(RenderSvg(BuiltInIconPath(QStringLiteral("logo")), 64)));

    Skin1 = new TSkin(this);
    Skin1->setObjectName(QStringLiteral("Skin1"));
    Skin1->setGeometry(32, 125, 32, 32);
    connect(Skin1, &TSkin::OnClick, this, &Tfm_main::Skin1Click);

    m_adder = std::make_unique<FileAdder>(m_jobs, m_editor, m_run, m_player, AudioFileRead, m_seams);

    OpenDialog1.filter = kWmaFilter;
    OpenDialog1.multiple = true;
    SaveDialog1.filter = kWmaFilter;

    menus = std::make_unique<MainMenus>(this, [this](const QString &item) { menuItemClick(item); });
    lv = MainControls::listView(this, "lv", 130, 187, m_jobs.fileModel(), m_jobs.fileSelection());
    lv_time = MainControls::listView(this, "lv_time", 217, 187, m_jobs.segmentModel(), m_jobs.segmentSelection());
    sm = MainControls::instructionsMemo(this);
    cb_format = MainControls::formatBox(this);
    connectLists();
    registerCommands();
}

Tfm_main::~Tfm_main() = default;

void Tfm_main::setDialogs(Tfm_set *set, Tfm_dir *dir, Tfm_about *about, Tfm_id3 *id3)
{
    fm_set = set;
    fm_dir = dir;
    fm_about = about;
    fm_id3 = id3;
}

void Tfm_main::connectLists()
{
    connect(lv, &QTableView::clicked, &m_editor, [this] { m_editor.lvClick(); });
    for (QTableView *list : {lv, lv_time}) {
        connect(list, &QWidget::customContextMenuRequested, this,
                [this, list](const QPoint &at) { menus->p_lv->popup(list->viewport()->mapToGlobal(at)); });
    }
    connect(&m_jobs, &JobList::memoVisibleChanged, sm, &QWidget::setVisible);
    connect(&m_editor, &JobEditor::fileListFocusRequested, lv, [this] { lv->setFocus(); });
    connect(m_adder.get(), &FileAdder::fileListFocusRequested, lv, [this] { lv->setFocus(); });
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
    m_settings.LoadSettings();
    BindSkin();
    placeLists();
    AudioFileRead.setOptionValue(-1);
    AudioFile2write.setOptionValue(-1);
    m_jobs.SelectedSegmentRow = 0;
    m_run.Converting = false;
    m_player.Playing = false;
    m_player.SeekDragging = false;
    m_jobs.SegmentSelected = false;
    m_face.setPosition(QStringLiteral("pb"), 0);
}

void Tfm_main::BindSkin()
{
    Skin1->loadSkinFile(QDir(m_programFolder).filePath(kSkinFileName));
    Skin1->attach(this);
    Skin1->applyForm(this, kSkinForm);
    m_binding = std::make_unique<SkinBinding>(*Skin1, this, m_face);
    m_binding->BindSkinObject(QStringLiteral("pb"), SkinBinding::Kind::Slider);
    for (const char *name : {"timecaption", "tataltime", "nm", "pbpos", "convertpb"})
        m_binding->BindSkinObject(QString::fromLatin1(name), SkinBinding::Kind::Text);

    m_progress.bind();
    m_face.setPosition(QStringLiteral("pb"), 0);
    m_face.redraw(QStringLiteral("pb"));
    m_progress.ShowConvertProgress(0, m_settings.settings().SkinFlag);
    m_face.setText(QStringLiteral("pbpos"), QString());
    m_face.redraw(QStringLiteral("pbpos"));
    m_editor.ShowTotalTime();
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
    sm->setVisible(m_jobs.memoVisible());
}

void Tfm_main::closeEvent(QCloseEvent *event)
{
    FormCloseQuery();
    event->accept();
}

// Closing is never refused. A settings file that cannot be written is
// reported, and the program still ends.
void Tfm_main::FormCloseQuery()
{
    if (m_run.Converting)
        m_progress.StopConversion(m_settings.settings().SkinFlag);
    try {
        m_settings.SaveSettings();
    } catch (const KorvexError &error) {
        m_seams.messages->error(error.text());
    }
}

void Tfm_main::Skin1Click(ISkinObject *object)
{
    if (object)
        m_commands.dispatch(CommandDispatcher::Source::Skin, object->name());
}

void Tfm_main::menuItemClick(const QString &itemName)
{
    m_commands.dispatch(CommandDispatcher::Source::Menu, itemName);
}

void Tfm_main::popupAt(QMenu *menu, int dx, int dy)
{
    menu->popup(frameGeometry().topLeft() + QPoint(dx, dy));
}

void Tfm_main::openHelp()
{
    m_seams.launcher->open(QDir(m_programFolder).filePath(QStringLiteral("help/korvex.html")));
}

} // namespace korvex
