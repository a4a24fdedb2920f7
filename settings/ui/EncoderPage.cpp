#include "settings/ui/EncoderPage.h"

#include "settings/EncoderSettings.h"
#include "settings/Settings.h"
#include "settings/ui/Tfm_set.h"
#include "widgets/SpokenNames.h"
#include "widgets/SvgPictures.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace korvex {

const QString EncoderPage::Title = QStringLiteral("Encoding");

namespace {

// LAME's constant bitrates for 32 to 48 kHz.
constexpr int Mp3Bitrates[] = {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};

QSpinBox *spinBox(QWidget *parent, const char *name, int minimum, int maximum, const char *suffix)
{
    auto *box = new QSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setRange(minimum, maximum);
    box->setSuffix(QString::fromLatin1(suffix));
    return box;
}

QComboBox *comboBox(QWidget *parent, const char *name)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

// The index of the listed bitrate nearest to kbps.
int nearestBitrateItem(int kbps)
{
    int best = 0;
    for (int i = 1; i < int(std::size(Mp3Bitrates)); ++i) {
        if (std::abs(Mp3Bitrates[i] - kbps) < std::abs(Mp3Bitrates[best] - kbps))
            best = i;
    }
    return best;
}

} // namespace

EncoderPage::EncoderPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("EncoderPage"));
    cb_mp3mode = comboBox(this, "cb_mp3mode");
    cb_mp3mode->addItems({QStringLiteral("CBR"), QStringLiteral("VBR")});
    cb_mp3bitrate = comboBox(this, "cb_mp3bitrate");
    for (const int kbps : Mp3Bitrates)
        cb_mp3bitrate->addItem(QStringLiteral("%1 kbps").arg(kbps), kbps);
    cb_mp3vbr = comboBox(this, "cb_mp3vbr");
    for (int v = 0; v <= 9; ++v)
        cb_mp3vbr->addItem(v == 0 ? QStringLiteral("V0 (best)") : QStringLiteral("V%1").arg(v));
    edt_vorbis = spinBox(this, "edt_vorbis", -1, 10, "");
    edt_opus = spinBox(this, "edt_opus", 6, 510, " kbps");
    edt_flac = spinBox(this, "edt_flac", 0, 8, "");
    edt_aac = spinBox(this, "edt_aac", 32, 512, " kbps");
    cb_wavbits = comboBox(this, "cb_wavbits");
    cb_wavbits->addItems({QStringLiteral("16-bit"), QStringLiteral("24-bit")});
    NameForScreenReaders(cb_mp3mode, QStringLiteral("MP3 mode"));
    NameForScreenReaders(cb_mp3bitrate, QStringLiteral("MP3 bitrate"));
    NameForScreenReaders(cb_mp3vbr, QStringLiteral("MP3 VBR quality"));
    NameForScreenReaders(edt_vorbis, QStringLiteral("Ogg Vorbis quality"));
    NameForScreenReaders(edt_opus, QStringLiteral("Opus bitrate"));
    NameForScreenReaders(edt_flac, QStringLiteral("FLAC compression"));
    NameForScreenReaders(edt_aac, QStringLiteral("AAC bitrate"));
    NameForScreenReaders(cb_wavbits, QStringLiteral("WAV sample size"));

    auto *explanation = new QLabel(
        QStringLiteral("Quality of the formats besides WMA; rates follow the source."),
        this);
    explanation->setWordWrap(true);
    auto *fields = new QFormLayout;
    fields->setVerticalSpacing(2);
    fields->addRow(QStringLiteral("MP3:"), cb_mp3mode);
    fields->addRow(QStringLiteral("MP3 bitrate:"), cb_mp3bitrate);
    fields->addRow(QStringLiteral("MP3 VBR quality:"), cb_mp3vbr);
    fields->addRow(QStringLiteral("Ogg Vorbis quality:"), edt_vorbis);
    fields->addRow(QStringLiteral("Opus bitrate:"), edt_opus);
    fields->addRow(QStringLiteral("FLAC compression:"), edt_flac);
    fields->addRow(QStringLiteral("AAC bitrate:"), edt_aac);
    fields->addRow(QStringLiteral("WAV:"), cb_wavbits);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 0);
    layout->addWidget(explanation);
    layout->addLayout(fields);
    layout->addStretch(1);
    connect(cb_mp3mode, &QComboBox::currentIndexChanged, this, &EncoderPage::showMp3Mode);
    setValues({});
}

void EncoderPage::showMp3Mode()
{
    const bool vbr = cb_mp3mode->currentIndex() == 1;
    cb_mp3bitrate->setEnabled(!vbr);
    cb_mp3vbr->setEnabled(vbr);
}

OutputEncoding EncoderPage::values() const
{
    OutputEncoding values;
    values.mp3Vbr = cb_mp3mode->currentIndex() == 1;
    values.mp3Bitrate = cb_mp3bitrate->currentData().toInt();
    values.mp3VbrQuality = cb_mp3vbr->currentIndex();
    values.vorbisQuality = edt_vorbis->value();
    values.opusBitrate = edt_opus->value();
    values.flacCompression = edt_flac->value();
    values.aacBitrate = edt_aac->value();
    values.wavBits = cb_wavbits->currentIndex() == 1 ? 24 : 16;
    return values;
}

void EncoderPage::setValues(const OutputEncoding &values)
{
    const OutputEncoding in = WithinRanges(values);
    cb_mp3mode->setCurrentIndex(in.mp3Vbr ? 1 : 0);
    cb_mp3bitrate->setCurrentIndex(nearestBitrateItem(in.mp3Bitrate));
    cb_mp3vbr->setCurrentIndex(in.mp3VbrQuality);
    edt_vorbis->setValue(in.vorbisQuality);
    edt_opus->setValue(in.opusBitrate);
    edt_flac->setValue(in.flacCompression);
    edt_aac->setValue(in.aacBitrate);
    cb_wavbits->setCurrentIndex(in.wavBits == 24 ? 1 : 0);
    showMp3Mode();
}

void AddEncoderPage(Tfm_set &dialog, SettingsStore &store)
{
    auto *page = new EncoderPage;
    const auto show = [page, &store] { page->setValues(ReadEncoderQualities(store.file())); };
    const auto ok = [page, &store] { WriteEncoderQualities(store.file(), page->values()); };
    dialog.addPage({EncoderPage::Title, QStringLiteral("Set Encoding"), page, show, ok});
    QTreeWidgetItem *node = dialog.TreeView1->topLevelItem(dialog.TreeView1->topLevelItemCount() - 1);
    node->setIcon(0, RenderSvg(BuiltInIconPath(QStringLiteral("sliders")), 28, QColor(0x63, 0x66, 0xF1)));
}

} // namespace korvex
