#include "settings/ui/SilencePage.h"

#include "settings/Settings.h"
#include "settings/SettingsFile.h"
#include "settings/ui/Tfm_set.h"
#include "widgets/SpokenNames.h"
#include "widgets/SvgPictures.h"

#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace korvex {

const QString SilencePage::Title = QStringLiteral("Silence");

namespace {

QSpinBox *spinBox(QWidget *parent, const char *name, int minimum, int maximum, int step, const char *suffix)
{
    auto *box = new QSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setRange(minimum, maximum);
    box->setSingleStep(step);
    box->setSuffix(QString::fromLatin1(suffix));
    box->setAccelerated(true);
    return box;
}

} // namespace

SilencePage::SilencePage(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("SilencePage"));
    edt_Threshold = spinBox(this, "edt_Threshold", SilenceSettings::LowestThreshold,
                            SilenceSettings::HighestThreshold, 1, " dBFS");
    edt_MinLength = spinBox(this, "edt_MinLength", SilenceSettings::ShortestMinLength,
                            SilenceSettings::LongestMinLength, 50, " ms");
    edt_Offset = new QDoubleSpinBox(this);
    edt_Offset->setObjectName(QStringLiteral("edt_Offset"));
    edt_Offset->setRange(0.0, 1.0);
    edt_Offset->setDecimals(2);
    edt_Offset->setSingleStep(0.05);
    edt_Trim = spinBox(this, "edt_Trim", 0, SilenceSettings::LongestTrim, 50, " ms");
    edt_Trim->setSpecialValueText(QStringLiteral("off"));
    edt_Adjust = spinBox(this, "edt_Adjust", 0, int(SilenceSettings::LongestAdjustMs / 1000), 1, " s");
    edt_Adjust->setSpecialValueText(QStringLiteral("off"));
    edt_Edge = spinBox(this, "edt_Edge", 0, MaxEdgeMs, 5, " ms");
    edt_Edge->setSpecialValueText(QStringLiteral("off"));
    edt_Edge->setToolTip(copyCannotFadeNote());
    edt_Pattern = new QLineEdit(this);
    edt_Pattern->setObjectName(QStringLiteral("edt_Pattern"));
    edt_Pattern->setPlaceholderText(QStringLiteral("{n:02} - {title}"));
    edt_Pattern->setToolTip(QStringLiteral("Empty: pieces are named after the file's title, numbered. Fields: "
                                           "{title} {n} {n:02} {N} {artist} {album} {begin} {end} {file}"));
    NameForScreenReaders(edt_Pattern, QStringLiteral("Piece name pattern"));
    // the form's labels name the boxes too; these say what they are for on their own
    NameForScreenReaders(edt_Threshold, QStringLiteral("Silence threshold"));
    NameForScreenReaders(edt_MinLength, QStringLiteral("Minimum silence"));
    NameForScreenReaders(edt_Offset, QStringLiteral("Cut position in a pause"));
    NameForScreenReaders(edt_Trim, QStringLiteral("Trim pauses to"));
    NameForScreenReaders(edt_Adjust, QStringLiteral("Adjust cuts within"));
    NameForScreenReaders(edt_Edge, QStringLiteral("Soft edge length"));

    auto *explanation = new QLabel(
        QStringLiteral("Find Silences (Action menu) makes a segment of each piece of sound. Quieter than "
                       "the threshold is silence; shorter pauses stay in a piece. A cut lies in its pause "
                       "from 0 (its start) to 1 (its end). Adjust moves time and count cuts into pauses; "
                       "soft edges ramp every cut so it does not click."),
        this);
    explanation->setWordWrap(true);

    auto *fields = new QFormLayout;
    fields->addRow(QStringLiteral("Threshold:"), edt_Threshold);
    fields->addRow(QStringLiteral("Minimum silence:"), edt_MinLength);
    fields->addRow(QStringLiteral("Cut in pause at:"), edt_Offset);
    fields->addRow(QStringLiteral("Trim pauses to:"), edt_Trim);
    fields->addRow(QStringLiteral("Adjust cuts within:"), edt_Adjust);
    fields->addRow(QStringLiteral("Soft edges:"), edt_Edge);
    fields->addRow(QStringLiteral("Piece names:"), edt_Pattern);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(explanation);
    layout->addLayout(fields);
    layout->addStretch(1);
    setValues({});
}

SilenceSettings SilencePage::values() const
{
    return {edt_Threshold->value(), edt_MinLength->value(), edt_Offset->value(), edt_Trim->value(),
            qint64(edt_Adjust->value()) * 1000};
}

void SilencePage::setValues(const SilenceSettings &values)
{
    const SilenceSettings kept = Clamped(values);
    edt_Threshold->setValue(kept.Threshold);
    edt_MinLength->setValue(kept.MinLength);
    edt_Offset->setValue(kept.Offset);
    edt_Trim->setValue(kept.Trim);
    edt_Adjust->setValue(int((kept.AdjustMs + 500) / 1000));
}

int SilencePage::edgeMs() const
{
    return edt_Edge->value();
}

void SilencePage::setEdgeMs(int edgeMs)
{
    edt_Edge->setValue(qBound(0, edgeMs, MaxEdgeMs));
}

void SilencePage::load(const SettingsFile &file)
{
    setValues(ReadSilenceSettings(file));
    setEdgeMs(ReadEdgeMs(file));
}

void SilencePage::save(SettingsFile &file) const
{
    WriteSilenceSettings(file, values());
    WriteEdgeMs(file, edgeMs());
}

void AddSilencePage(Tfm_set &dialog, SettingsStore &store)
{
    auto *page = new SilencePage;
    // The soft edge shown is the one the runs use, which the file had at
    // start-up unless this page has set it since.
    const auto show = [page, &store] {
        page->load(store.file());
        page->setEdgeMs(store.settings().EdgeMs);
        page->edt_Pattern->setText(store.settings().Pattern);
    };
    const auto ok = [page, &store] {
        page->save(store.file());
        store.settings().EdgeMs = page->edgeMs();
        store.settings().Pattern = page->edt_Pattern->text().trimmed();
        store.file().writeString(settings_keys::OutputSection, settings_keys::PatternKey, store.settings().Pattern);
    };
    dialog.addPage({SilencePage::Title, QStringLiteral("Set Silence"), page, show, ok});
    // tinted as the other pages' nodes
    QTreeWidgetItem *node = dialog.TreeView1->topLevelItem(dialog.TreeView1->topLevelItemCount() - 1);
    node->setIcon(0, RenderSvg(BuiltInIconPath(QStringLiteral("wave")), 28, QColor(0x63, 0x66, 0xF1)));
}

} // namespace korvex
