#pragma once

#include "app/MainMenus.h"
#include "app/ModalHold.h"
#include "components/AudioFile.h"
#include "components/AudioTransform.h"
#include "components/SdlAudioPlayer.h"
#include "components/Seams.h"
#include "components/SkinFace.h"
#include "core/CommandTable.h"
#include "core/Core.h"

#include <QWidget>

#include <functional>
#include <memory>

class QComboBox;
class QPlainTextEdit;
class QTableView;

namespace korvex {

class FileDialogs;
class FileDrops;
class KeyboardShortcuts;
class IncomingFiles;
class ListAutosave;
class InstanceServer;
class RunNotifier;
class SkinBinding;
class TSkin;
class WaveformView;
class Tfm_about;
class Tfm_dir;
class Tfm_id3;
class Tfm_set;
class ISkinObject;

struct MainWindowOptions
{
    // Where the skin file "mp3enc.dll" and the help folder are looked for;
    // empty: beside the running executable, or its installed data folder.
    QString programFolder;
    // Seams left null get the desktop's real message boxes, dialogs and
    // launcher.
    Seams seams;
};

// The main window. It owns the core of a session (a Core: the settings, job
// list, run and player state, the skin face, run control and the command
// table, as korvex-cli has it too) and the skin control; it shows them and
// turns the user's clicks, keys and menu items into commands of the core's
// table, to which it adds its own (popups, dialogs, help).
class Tfm_main : public QWidget
{
    Q_OBJECT
public:
    static const QString HomePage;
    // The client area: the skin's face is drawn for this size alone.
    static constexpr QSize FrameSize{563, 414};

    explicit Tfm_main(const MainWindowOptions &options = {}, QWidget *parent = nullptr);
    ~Tfm_main() override;

    // The dialogs are made after the main window; they are handed over here.
    void setDialogs(Tfm_set *set, Tfm_dir *dir, Tfm_about *about, Tfm_id3 *id3);

    // The skin control's click event: dispatches on the object's name.
    void Skin1Click(ISkinObject *object);
    // What a menu item does when chosen.
    void menuItemClick(const QString &itemName);
    // Closes as the close box does, for a signal from outside (a session
    // ending, Ctrl-C): nobody may be there to answer a message box, so what
    // the close cut short is told on standard error instead.
    void closeFromSignal();
    // Files named from outside the window (the command line, a second
    // start): added as "Add File" adds them, after a run in progress.
    void takeFiles(const QStringList &files);
    // Shows the window above the others, restored if it was minimised.
    void bringToFront();
    // Files of later starts arriving at `server` are taken, and the window
    // comes to the front.
    void acceptFilesFrom(InstanceServer &server);

    Core &core() { return m_core; }
    CommandTable &commands() { return m_core.commands(); }
    SettingsStore &settingsStore() { return m_core.store(); }
    JobList &jobList() { return m_core.jobs(); }
    JobEditor &jobEditor() { return m_core.editor(); }
    FileAdder &fileAdder() { return m_core.adder(); }
    ListAutosave &workingList() { return *m_workingList; }
    RunState &runState() { return m_core.run(); }
    PlayerState &playerState() { return m_core.player(); }
    SkinFace &skinFace() { return m_core.skin(); }
    ConvertProgress &convertProgress() { return m_core.progress(); }
    RunControl &runControl() { return m_core.control(); }
    PreviewPlayer &previewPlayer() { return *m_core.preview(); }
    SegmentMarker &segmentMarker() { return m_core.marker(); }
    FindSilences &findSilences() { return m_core.silences(); }
    // After the window was first shown.
    WaveformView *waveformView() { return m_waveform.get(); }
    const QString &programFolder() const { return m_programFolder; }
    const Seams &seams() const { return m_seams; }

    // The window's members. The audio components connect to their libraries
    // on first use; there is no MP3 encoder, as no command uses it. They
    // come before the Core, which holds references to them.
    TSkin *Skin1 = nullptr;
    AudioFile AudioFileRead;
    AudioFile AudioFile2write;
    SdlAudioPlayer AudioPlayer21;
    AudioTransform AudioTransform21;
    QTableView *lv = nullptr;
    QTableView *lv_time = nullptr;
    QPlainTextEdit *sm = nullptr;
    QComboBox *cb_format = nullptr;
    std::unique_ptr<MainMenus> menus;

    Tfm_set *fm_set = nullptr;
    Tfm_dir *fm_dir = nullptr;
    Tfm_about *fm_about = nullptr;
    Tfm_id3 *fm_id3 = nullptr;

Q_SIGNALS:
    // The window has closed and no command of it is still on the stack: the
    // program may end. A close during a run comes before the run's end, and
    // quitting at the close would end every event loop the run's unwinding
    // still needs (a message box's, for one).
    void sessionEnded();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    Seams resolveSeams(const Seams &given);
    void tellUnreadSettings();
    void FormShow();
    void FormCloseQuery();
    void BindSkin();
    void placeLists();
    void connectLists();
    void connectRunControl();
    // The format box shows Settings::Format and stores a choice at once
    // (app/FormatChoice.cpp); "Format" opens that format's settings page.
    void connectFormatBox();
    void showStoredFormat();
    void showFormatSettings();
    void registerCommands();
    void connectSegmentList();
    // The keys and file drops: what the window offers beyond its buttons and
    // menus, all through the command table.
    void registerAssists();
    void bindWaveform();
    // A run started from a command; reports files a close cut short.
    void runFromCommand(const std::function<void()> &run);
    void reportCutShort();
    void popupAt(QMenu *menu, int dx, int dy);
    void openHelp();
    // In the middle of something that added files must wait for.
    bool busy() const;
    // Keeps the working list for after a crash, and offers the one a crashed
    // window left (app/Tfm_mainLists.cpp).
    void keepWorkingList();
    void offerLeftOverList();

    QString m_programFolder;
    // every modal box and dialog of the window holds the core's run while it is open
    ModalHold m_modalHold;
    std::unique_ptr<MessageSeam> m_ownMessages;
    std::unique_ptr<FileDialogs> m_ownDialogs;
    std::unique_ptr<LauncherSeam> m_ownLauncher;
    Seams m_seams;

    Core m_core;
    std::unique_ptr<SkinBinding> m_binding;
    std::unique_ptr<KeyboardShortcuts> m_keys;
    FileDrops *m_drops = nullptr;
    std::unique_ptr<WaveformView> m_waveform;
    bool m_shown = false;
    // The last size a window manager forced on the window; it is asked back
    // to FrameSize once per such size, so that the two never argue forever.
    QSize m_forcedSize;
    // The close came from a termination signal: what it cut short goes to
    // standard error, as nobody may be there to read a box.
    bool m_closingFromSignal = false;
    bool m_stopReportDue = false;  // a split or join ended in the run command at hand
    std::unique_ptr<IncomingFiles> m_incoming;
    std::unique_ptr<RunNotifier> m_notifier;
    std::unique_ptr<ListAutosave> m_workingList;
};

} // namespace korvex
