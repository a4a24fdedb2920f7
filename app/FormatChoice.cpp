#include "app/Tfm_main.h"

#include "components/ErrorBoxes.h"
#include "joblist/ListAutosave.h"
#include "joblist/ListCommands.h"
#include "settings/Settings.h"
#include "settings/ui/EncoderPage.h"
#include "settings/ui/Tfm_set.h"

#include <QComboBox>
#include <QSignalBlocker>

namespace korvex {

// The settings are read when the window is first shown: the box shows their
// format without storing it again.
void Tfm_main::showStoredFormat()
{
    const QSignalBlocker quiet(cb_format);
    cb_format->setCurrentIndex(static_cast<int>(m_core.settings().Format));
}

void Tfm_main::connectFormatBox()
{
    connect(cb_format, &QComboBox::currentIndexChanged, this, [this](int index) {
        Settings &settings = m_core.settings();
        // A run reads the format at every piece: a change now would mix
        // formats in one run's outputs.
        if (m_core.run().Converting) {
            const QSignalBlocker quiet(cb_format);
            cb_format->setCurrentIndex(static_cast<int>(settings.Format));
            return;
        }
        settings.Format = outputFormatAt(index);
        ShowingFailure(*m_seams.messages, [&] { WriteOutputFormat(m_core.store().file(), settings.Format); });
        // the working list keeps the format with the rest of its settings
        if (m_workingList)
            m_workingList->changed();
    });
    // an opened list brings its own format
    connect(&m_core.lists(), &ListCommands::settingsRestored, this, &Tfm_main::showStoredFormat);
}

void Tfm_main::showFormatSettings()
{
    if (!fm_set)
        return;
    const OutputFormat format = m_core.settings().Format;
    if (format == OutputFormat::Wma)
        fm_set->selectPage(QStringLiteral("WMA"));
    else if (format != OutputFormat::Copy)
        fm_set->selectPage(EncoderPage::Title);
    m_modalHold.around([this] {
        fm_set->exec();
        m_core.settingsChanged();
    });
}

} // namespace korvex
