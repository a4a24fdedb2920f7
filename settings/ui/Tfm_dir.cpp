#include "settings/ui/Tfm_dir.h"

#include "components/ErrorBoxes.h"
#include "settings/Settings.h"
#include "settings/SettingsFile.h"
#include "widgets/DialogLook.h"
#include "widgets/SvgPictures.h"

#include <QAbstractFileIconProvider>
#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QPushButton>
#include <QShowEvent>
#include <QTreeView>

namespace korvex {

namespace {

const QString NewFolderName = QStringLiteral("New Folder");

// Every node of the tree is a folder; they all wear the skin's folder icon.
class FolderIcons : public QAbstractFileIconProvider
{
public:
    FolderIcons() : m_folder(RenderSvg(BuiltInIconPath(QStringLiteral("folder")), 32, QColor(0x63, 0x66, 0xF1))) {}
    QIcon icon(IconType) const override { return m_folder; }
    QIcon icon(const QFileInfo &) const override { return m_folder; }

private:
    QIcon m_folder;
};

QString withSeparator(const QString &folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

// Why `path` could not be made as a folder, for the message that names it.
QString whyNoFolder(const QString &path)
{
    const QFileInfo target(path);
    if (target.exists())
        return QStringLiteral("a file of that name is in the way");
    if (!QFileInfo(target.absolutePath()).isWritable())
        return QStringLiteral("no permission to write in %1").arg(target.absolutePath());
    return QStringLiteral("the file system refused it");
}

} // namespace

Tfm_dir::Tfm_dir(QWidget *mainWindow, SettingsFile &settingsFile, MessageSeam &messages)
    : QDialog(mainWindow, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                              | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
    , m_settingsFile(settingsFile)
    , m_messages(messages)
{
    setObjectName(QStringLiteral("fm_dir"));
    setWindowTitle(QStringLiteral("fm_dir"));
    setFixedSize(286, 281);
    ApplyDialogLook(this);
    buildTree();

    Button1 = new QPushButton(NewFolderName, this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(13, 254, 66, 22);
    MarkCompactButton(Button1);
    btn_ok = new QPushButton(QStringLiteral("Ok"), this);
    btn_ok->setObjectName(QStringLiteral("btn_ok"));
    btn_ok->setGeometry(111, 254, 58, 22);
    MarkPrimaryButton(btn_ok);
    btn_ok->setDefault(true);
    btn_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    btn_cancel->setObjectName(QStringLiteral("btn_cancel"));
    btn_cancel->setGeometry(198, 254, 58, 22);

    connect(Button1, &QPushButton::clicked, this, &Tfm_dir::Button1Click);
    connect(btn_ok, &QPushButton::clicked, this, &Tfm_dir::btn_okClick);
    connect(btn_cancel, &QPushButton::clicked, this, &Tfm_dir::btn_cancelClick);
    connect(ShellTreeView1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &Tfm_dir::showSelectionState);
    showSelectionState();
}

Tfm_dir::~Tfm_dir() = default;

void Tfm_dir::buildTree()
{
    m_icons = std::make_unique<FolderIcons>();
    m_folders = std::make_unique<QFileSystemModel>();
    folders = m_folders.get();
    folders->setIconProvider(m_icons.get());
    folders->setFilter(QDir::AllDirs | QDir::Drives | QDir::NoDotAndDotDot);
    folders->setRootPath(QStringLiteral("/"));

    ShellTreeView1 = new QTreeView(this);
    ShellTreeView1->setObjectName(QStringLiteral("ShellTreeView1"));
    ShellTreeView1->setGeometry(1, 1, 280, 248);
    ShellTreeView1->setModel(folders);
    ShellTreeView1->setHeaderHidden(true);
    for (int column = 1; column < folders->columnCount(); ++column)
        ShellTreeView1->hideColumn(column);
    // "/" is the one node at the top and always open, so it needs no handle
    ShellTreeView1->setRootIsDecorated(false);
    ShellTreeView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ShellTreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ShellTreeView1->setIconSize(QSize(16, 16));
    ShellTreeView1->setIndentation(14);
    ShellTreeView1->setUniformRowHeights(true);
    ShellTreeView1->setSortingEnabled(true);
    ShellTreeView1->sortByColumn(0, Qt::AscendingOrder);
    ShellTreeView1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ShellTreeView1->expand(folders->index(QStringLiteral("/")));
    // Folders are listed as they are read; while the ones above the selected
    // folder come in, the selected folder is kept in view.
    connect(folders, &QFileSystemModel::directoryLoaded, this, [this](const QString &loaded) {
        if (withSeparator(selectedFolder()).startsWith(withSeparator(loaded)))
            ShellTreeView1->scrollTo(ShellTreeView1->currentIndex(), QAbstractItemView::PositionAtCenter);
    });
}

QString Tfm_dir::ChooseFolder(const QString &caption, bool forOutput, const QString &startFolder)
{
    setWindowTitle(caption);
    FolderChooserForOutput = forOutput;
    if (!startFolder.isEmpty() && QDir(startFolder).exists()) {
        m_homeShown = true;
        selectFolder(QDir(startFolder).absolutePath());
    }
    exec();
    return ChosenFolder;
}

void Tfm_dir::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        FormShow();
    QDialog::showEvent(event);
}

void Tfm_dir::FormShow()
{
    if (parentWidget())
        move(parentWidget()->frameGeometry().topLeft());
    // Later showings keep the folder chosen last.
    if (!m_homeShown) {
        m_homeShown = true;
        selectFolder(QDir::homePath());
    }
    ShellTreeView1->setFocus();
}

QString Tfm_dir::selectedFolder() const
{
    const QModelIndexList rows = ShellTreeView1->selectionModel()->selectedRows(0);
    return rows.isEmpty() ? QString() : folders->filePath(rows.first());
}

void Tfm_dir::selectFolder(const QString &path)
{
    const QModelIndex index = folders->index(path);
    if (!index.isValid())
        return;
    for (QModelIndex above = index.parent(); above.isValid(); above = above.parent())
        ShellTreeView1->expand(above);
    ShellTreeView1->setCurrentIndex(index);
    ShellTreeView1->scrollTo(index, QAbstractItemView::PositionAtCenter);
}

void Tfm_dir::showSelectionState()
{
    btn_ok->setEnabled(!selectedFolder().isEmpty());
}

void Tfm_dir::btn_okClick()
{
    ChosenFolder = selectedFolder();
    if (FolderChooserForOutput && !storeOutputFolder())
        return;
    accept();
}

bool Tfm_dir::storeOutputFolder()
{
    // An empty folder is never stored: the one set before stays.
    if (ChosenFolder.isEmpty())
        return true;
    if (!ShowingFailure(m_messages, [this] {
            m_settingsFile.writeString(settings_keys::OutputSection, settings_keys::DirKey, ChosenFolder);
        }))
        return false;
    Q_EMIT outputFolderChosen(ChosenFolder);
    return true;
}

void Tfm_dir::btn_cancelClick()
{
    ChosenFolder.clear();
    QDialog::reject();
}

void Tfm_dir::reject()
{
    // the close box and Escape are "Cancel"
    btn_cancelClick();
}

void Tfm_dir::Button1Click()
{
    QString parent = selectedFolder();
    if (parent.isEmpty())
        parent = QDir::homePath();
    ChosenFolder = withSeparator(parent) + NewFolderName;
    // One name only: a "New Folder" already there is left as it is.
    if (QFileInfo(ChosenFolder).isDir())
        return;
    const QModelIndex parentIndex = folders->index(parent);
    if (!folders->mkdir(parentIndex, NewFolderName).isValid()) {
        m_messages.error(QStringLiteral("Unable to create the folder %1: %2.").arg(ChosenFolder, whyNoFolder(ChosenFolder)));
        return;
    }
    // the new folder shows under its parent; the parent stays selected
    ShellTreeView1->expand(parentIndex);
}

} // namespace korvex
