// The output format box and the Encoding page, driven as a user drives them.
#include "DialogSession.h"
#include "components/skin/SkinForm.h"
#include "components/skin/TSkin.h"
#include "settings/EncoderSettings.h"
#include "settings/Settings.h"
#include "settings/ui/EncoderPage.h"
#include "settings/ui/Tfm_set.h"
#include "widgets/FormatBox.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

using namespace korvex;

namespace {

class FormatChoice : public ::testing::Test
{
protected:
    QComboBox &box() { return *s.main().cb_format; }
    Settings &settings() { return s.main().settingsStore().settings(); }
    void click(QWidget *widget) { QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center()); }
    void clickFormatButton()
    {
        QWidget *button = s.main().Skin1->form(&s.main())->findChild<QWidget *>(QStringLiteral("Set"));
        ASSERT_NE(button, nullptr);
        click(button);
    }

    test::DialogSession s;
};

TEST_F(FormatChoice, TheBoxOffersEveryFormatAndStoresAChoiceAtOnce)
{
    ASSERT_EQ(box().count(), OutputFormatCount);
    for (int i = 0; i < OutputFormatCount; ++i)
        EXPECT_EQ(box().itemText(i), outputFormatCaption(outputFormatAt(i)));
    auto &formatBox = static_cast<FormatBox &>(box());
    EXPECT_EQ(formatBox.shortText(7), "Copy");
    EXPECT_EQ(formatBox.shortText(5), "M4A");

    box().setCurrentIndex(static_cast<int>(OutputFormat::Flac));
    EXPECT_EQ(settings().Format, OutputFormat::Flac);
    // stored in the file now, not at exit
    EXPECT_EQ(ReadOutputFormat(SettingsFile(s.settingsFile())), OutputFormat::Flac);

    // a running split reads the format at every piece: no change then
    s.main().runState().Converting = true;
    box().setCurrentIndex(static_cast<int>(OutputFormat::Mp3));
    EXPECT_EQ(box().currentIndex(), static_cast<int>(OutputFormat::Flac));
    EXPECT_EQ(settings().Format, OutputFormat::Flac);
    s.main().runState().Converting = false;

    // the next window, on the same settings file, shows the stored choice
    MainWindowOptions options;
    options.programFolder = QStringLiteral(KORVEX_BINARY_DIR);
    options.seams.messages = &s.messages;
    options.seams.launcher = &s.launcher;
    KorvexWindows next = CreateWindows(options);
    next.fm_main->show();
    QApplication::processEvents();
    EXPECT_EQ(next.fm_main->cb_format->currentIndex(), static_cast<int>(OutputFormat::Flac));
    EXPECT_EQ(next.fm_main->settingsStore().settings().Format, OutputFormat::Flac);
}

TEST_F(FormatChoice, TheFormatButtonOpensTheChosenFormatsPageWhoseOkStoresIt)
{
    QString title;
    test::insideNextModal([&](QWidget *) { title = s.windows.fm_set->lab->text(); });
    clickFormatButton();
    EXPECT_EQ(title, "Set WMA Format");

    box().setCurrentIndex(static_cast<int>(OutputFormat::Mp3));
    auto *page = s.windows.fm_set->findChild<EncoderPage *>();
    ASSERT_NE(page, nullptr);
    test::insideNextModal([&](QWidget *) {
        title = s.windows.fm_set->lab->text();
        EXPECT_TRUE(page->isVisible());
        page->cb_mp3mode->setCurrentIndex(1);
        EXPECT_FALSE(page->cb_mp3bitrate->isEnabled());
        page->cb_mp3vbr->setCurrentIndex(3);
        page->edt_flac->setValue(7);
        page->cb_wavbits->setCurrentIndex(1);
        click(s.windows.fm_set->Ok);
    });
    clickFormatButton();
    EXPECT_EQ(title, "Set Encoding");
    const OutputEncoding stored = ReadEncoderQualities(SettingsFile(s.settingsFile()));
    EXPECT_TRUE(stored.mp3Vbr);
    EXPECT_EQ(stored.mp3VbrQuality, 3);
    EXPECT_EQ(stored.flacCompression, 7);
    EXPECT_EQ(stored.wavBits, 24);
}

} // namespace
