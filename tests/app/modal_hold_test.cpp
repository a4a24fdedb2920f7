// Every modal box and dialog of the window holds the run while it is open:
// the message boxes, the open and save dialogs, the folder chooser and the
// window's own dialogs, each through the one hold the window takes from its
// core.
#include "DialogSession.h"
#include "app/FileDialogs.h"
#include "app/MessageBoxes.h"
#include "app/ModalHold.h"
#include "settings/ui/Tfm_dir.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include <atomic>
#include <future>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>
#include <utility>

#include <gtest/gtest.h>

using namespace korvex;

namespace {

// A provider that counts the holds it gives and the ones given back.
struct CountedHolds
{
    CountedHolds()
    {
        hold.setProvider([this] {
            ++taken;
            return ModalHold::Token(nullptr, [this](void *) { ++released; });
        });
    }
    int open() const { return taken - released; }

    ModalHold hold;
    int taken = 0;
    int released = 0;
};

TEST(ModalHold, HoldsWhileShowingAndReleasesOnReturnAndOnThrow)
{
    CountedHolds counted;
    int openWhileShown = 0;
    const int answer = counted.hold.around([&] {
        openWhileShown = counted.open();
        return 7;
    });
    EXPECT_EQ(answer, 7);
    EXPECT_EQ(openWhileShown, 1);
    EXPECT_EQ(counted.taken, 1);
    EXPECT_EQ(counted.released, 1);

    EXPECT_THROW(counted.hold.around([&] {
        openWhileShown = counted.open();
        throw std::runtime_error("the dialog failed");
    }),
                 std::runtime_error);
    EXPECT_EQ(openWhileShown, 1);
    EXPECT_EQ(counted.taken, 2);
    EXPECT_EQ(counted.released, 2);

    // a hold with no provider shows all the same
    const ModalHold none;
    bool shown = false;
    none.around([&] { shown = true; });
    EXPECT_TRUE(shown);
}

// Clicks the button of the message box open now, after noting how many
// holds are open while it shows.
void answerNextBox(QMessageBox::StandardButton button, const CountedHolds &counted, QList<int> &openWhileShown)
{
    test::insideNextModal([button, &counted, &openWhileShown](QWidget *modal) {
        openWhileShown.append(counted.open());
        auto *box = qobject_cast<QMessageBox *>(modal);
        ASSERT_NE(box, nullptr);
        ASSERT_NE(box->button(button), nullptr);
        box->button(button)->click();
    });
}

TEST(ModalHold, EveryMessageBoxHoldsWhileItIsOpen)
{
    CountedHolds counted;
    QWidget window;
    MessageBoxes boxes(&window, counted.hold);
    QList<int> openWhileShown;

    answerNextBox(QMessageBox::Ok, counted, openWhileShown);
    boxes.error(QStringLiteral("Could not read the file."));
    answerNextBox(QMessageBox::Ok, counted, openWhileShown);
    boxes.information(QStringLiteral("Done."));
    answerNextBox(QMessageBox::Yes, counted, openWhileShown);
    EXPECT_TRUE(boxes.question(QStringLiteral("Replace it?")));
    answerNextBox(QMessageBox::No, counted, openWhileShown);
    EXPECT_FALSE(boxes.question(QStringLiteral("Replace it?")));

    EXPECT_EQ(openWhileShown, QList<int>({1, 1, 1, 1}));
    EXPECT_EQ(counted.taken, 4);
    EXPECT_EQ(counted.released, 4);
}

// Closes the dialog open now, after noting how many holds are open while it
// shows.
void closeNextDialog(const CountedHolds &counted, QList<int> &openWhileShown)
{
    test::insideNextModal([&counted, &openWhileShown](QWidget *modal) {
        openWhileShown.append(counted.open());
        auto *dialog = qobject_cast<QDialog *>(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->reject();
    });
}

TEST(ModalHold, TheFileDialogsAndTheFolderChooserHoldWhileOpen)
{
    test::DialogSession s;
    CountedHolds counted;
    FileDialogs dialogs(&s.main(), counted.hold);
    dialogs.setFolderChooser(s.windows.fm_dir);
    QList<int> openWhileShown;

    closeNextDialog(counted, openWhileShown);
    EXPECT_TRUE(dialogs.openFiles({WmaFileFilter(), true, s.home(), 0}).isEmpty());
    closeNextDialog(counted, openWhileShown);
    EXPECT_TRUE(dialogs.saveFile({s.home(), WmaFileFilter(), 0, QStringLiteral("wma")}).isEmpty());
    closeNextDialog(counted, openWhileShown);
    EXPECT_TRUE(dialogs.chooseFolder(QStringLiteral("Add Folder"), false, s.home()).isEmpty());

    EXPECT_EQ(openWhileShown, QList<int>({1, 1, 1}));
    EXPECT_EQ(counted.taken, 3);
    EXPECT_EQ(counted.released, 3);
}

// A job checking in on a thread of its own, as a run does: it tells whether
// it had to wait at its check or went straight on.
class CheckingJob
{
public:
    explicit CheckingJob(RunJob &job) : m_job(job)
    {
        m_job.begin({});
        m_job.setHeldNotice([this] { settle(true); });
        m_thread = std::thread([this] {
            m_wanted = m_job.goOn();
            settle(false);
        });
    }
    ~CheckingJob()
    {
        m_job.requestStop();
        m_thread.join();
        m_job.setHeldNotice({});
    }
    CheckingJob(const CheckingJob &) = delete;
    CheckingJob &operator=(const CheckingJob &) = delete;

    // Waits for the job's check: true when the job waits there.
    bool waitsAtItsCheck() { return m_held.get_future().get(); }
    // Waits for the job to go on after its check: whether it is still wanted.
    bool goesOn()
    {
        m_thread.join();
        m_thread = std::thread([] {});
        return m_wanted;
    }

private:
    void settle(bool held)
    {
        std::call_once(m_settled, [this, held] { m_held.set_value(held); });
    }

    RunJob &m_job;
    std::promise<bool> m_held;
    std::once_flag m_settled;
    std::atomic<bool> m_wanted{false};
    std::thread m_thread;
};

// The window's settings dialog and its folder chooser (Add Folder) hold the
// core's run: a run checking in while one is open waits until it closes.
TEST(ModalHold, TheWindowsDialogsHoldTheCoresRun)
{
    test::DialogSession s;
    RunJob &job = s.main().core().control().job();
    using Source = CommandTable::Source;
    const QList<std::pair<Source, QString>> commands{{Source::Skin, QStringLiteral("Settings")},
                                                     {Source::Menu, QStringLiteral("AddFolder1")}};
    for (const auto &[source, command] : commands) {
        std::optional<CheckingJob> checking;
        bool waited = false;
        test::insideNextModal([&](QWidget *modal) {
            checking.emplace(job);
            waited = checking->waitsAtItsCheck();
            qobject_cast<QDialog *>(modal)->reject();
        });
        EXPECT_TRUE(s.main().commands().dispatch(source, command)) << command.toStdString();
        ASSERT_TRUE(checking.has_value()) << command.toStdString();
        EXPECT_TRUE(waited) << command.toStdString();
        EXPECT_TRUE(checking->goesOn()) << command.toStdString();
    }
}

} // namespace
