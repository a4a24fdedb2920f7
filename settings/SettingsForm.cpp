#include "SettingsForm.h"

#include "Settings.h"
#include "components/KorvexError.h"
#include "components/WmaProfiles.h"

namespace korvex {

using namespace settings_keys;

namespace {

constexpr int FadeLengthCount = 20;

// The item of a list of `count` items that stands for `value`; -1 when none does.
int itemOrNone(int item, int count)
{
    return item >= 0 && item < count ? item : -1;
}

bool isKnownMode(int mode)
{
    return mode >= split_mode::Custom && mode <= split_mode::Unification;
}

} // namespace

QStringList FadeLengthItems()
{
    QStringList items;
    for (int seconds = 1; seconds <= FadeLengthCount; ++seconds)
        items.append(QStringLiteral("%1s").arg(seconds));
    return items;
}

QStringList WmaProfileItems()
{
    QStringList items;
    for (int number = 1; number <= WmaProfileCount; ++number)
        items.append(QString::fromLatin1(wmaProfile(number).name));
    return items;
}

SettingsForm SettingsFormFromStore(const SettingsStore &store)
{
    const Settings &s = store.settings();
    SettingsForm form;
    form.checkedMode = isKnownMode(s.SplitMode) ? s.SplitMode : -1;
    form.dirText = s.OutputFolder;
    form.timeText = QString::number(s.SplitSeconds);
    form.countText = QString::number(s.SplitCount);
    form.fadeIn = s.FadeIn;
    form.fadeOut = s.FadeOut;
    form.fadeInItem = itemOrNone(s.FadeInSeconds - 1, FadeLengthCount);
    form.fadeOutItem = itemOrNone(s.FadeOutSeconds - 1, FadeLengthCount);
    form.wmaItem = itemOrNone(store.wmaProfileIndex(), WmaProfileCount);
    return form;
}

QChar NumberFieldKey(QChar typed)
{
    return typed >= u'0' && typed <= u'9' ? typed : QChar(u'\b');
}

int NumberFieldValue(const QString &text)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok)
        throw KorvexError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return value;
}

QString LeftNumberField(const QString &text, int fallback)
{
    if (text.isEmpty() || NumberFieldValue(text) < 1)
        return QString::number(fallback);
    return text;
}

int ChosenWmaItem(int currentItem, const QString &shownText)
{
    const QStringList items = WmaProfileItems();
    if (currentItem >= 0 && currentItem < items.size() && items.at(currentItem) == shownText)
        return currentItem;
    return int(items.indexOf(shownText));
}

QString WmaEncodingNote(int item)
{
    if (item < 0 || item >= WmaProfileCount)
        return QStringLiteral("Not a profile of the list: outputs get profile %1, %2.")
            .arg(DefaultWmaProfile).arg(QString::fromLatin1(wmaProfile(DefaultWmaProfile).name));
    const WmaProfile &profile = wmaProfile(item + 1);
    const QString rate = profile.sampleRate % 1000 == 0 ? QString::number(profile.sampleRate / 1000)
                                                        : QString::number(profile.sampleRate / 1000.0, 'f', 1);
    QString note = QStringLiteral("Encoded at %1 kHz, %2, %3 kbps")
                       .arg(rate, profile.channels == 1 ? QStringLiteral("mono") : QStringLiteral("stereo"))
                       .arg(profile.bitRate / 1000);
    if (profile.nominalBitRate == 0)
        note += QStringLiteral(" constant bitrate");
    else if (profile.bitRate != profile.nominalBitRate)
        note += QStringLiteral(", the encoder's lowest rate");
    return note + QLatin1Char('.');
}

void ApplySettingsForm(SettingsStore &store, const SettingsForm &form, MessageSeam &messages)
{
    Settings &s = store.settings();
    SettingsFile &file = store.file();
    // An empty folder has no last character to test and would send every
    // piece to the working folder; the folder that was set stays.
    const bool keepFolder = form.dirText.isEmpty();
    if (!keepFolder) {
        s.OutputFolder = form.dirText;
        if (!s.OutputFolder.endsWith(QLatin1Char('/')))
            s.OutputFolder += QLatin1Char('/');
    }
    s.SplitSeconds = NumberFieldValue(form.timeText);
    s.SplitCount = NumberFieldValue(form.countText);
    if (!keepFolder)
        file.writeString(MainSection, PathKey, form.dirText);
    s.FadeIn = form.fadeIn;
    s.FadeOut = form.fadeOut;
    s.FadeInSeconds = form.fadeInItem + 1;
    s.FadeOutSeconds = form.fadeOutItem + 1;
    file.writeInteger(WmaSection, FormatKey, form.wmaItem);
    // korvex-cli reads the file: what the dialog set reaches it now, not
    // only when the window closes
    store.SaveSettings();
    if (keepFolder)
        messages.information(
            QStringLiteral("The output folder cannot be empty. Korvex keeps writing to %1").arg(s.OutputFolder));
}

} // namespace korvex
