#include "Settings.h"

#include <QDir>
#include <QStandardPaths>

namespace korvex {

using namespace settings_keys;

QString settingsFilePath()
{
    // GenericConfigLocation is $XDG_CONFIG_HOME when that is an absolute path,
    // else ~/.config.
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return folder + QStringLiteral("/Korvex.ini");
}

QString defaultOutputFolder()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    if (folder.isEmpty())
        folder = QDir::homePath() + QStringLiteral("/Music");
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

SettingsStore::SettingsStore()
    : SettingsStore(settingsFilePath())
{
}

SettingsStore::SettingsStore(const QString &fileName)
    : m_file(fileName)
{
}

void SettingsStore::LoadSettings()
{
    Settings &s = m_settings;
    s.SplitMode = m_file.readInteger(FunctionSection, ChoiceKey, 0);
    s.OutputFolder = m_file.readString(OutputSection, DirKey, defaultOutputFolder());
    s.SplitSeconds = m_file.readInteger(ChoiceSection, TimeKey, 60);
    s.SplitCount = m_file.readInteger(ChoiceSection, CountKey, 6);
    s.FadeIn = m_file.readBool(FadeSection, InKey, false);
    s.FadeOut = m_file.readBool(FadeSection, OutKey, false);
    s.FadeInSeconds = m_file.readInteger(FadeSection, InTimeKey, 5);
    s.FadeOutSeconds = m_file.readInteger(FadeSection, OutTimeKey, 5);
    s.SkinFlag = m_file.readBool(BrnSection, SkinKey, false);
    s.EdgeMs = ReadEdgeMs(m_file);
    s.Format = ReadOutputFormat(m_file);
    s.Pattern = m_file.readString(OutputSection, PatternKey, QString());

    // A hand-emptied "Dir" has no last character to test; it means the default.
    if (s.OutputFolder.isEmpty())
        s.OutputFolder = defaultOutputFolder();
    // One level only, and silently: a folder that cannot be made stays missing
    // until the user picks another one.
    if (!QDir(s.OutputFolder).exists())
        QDir().mkdir(s.OutputFolder);
    if (!s.OutputFolder.endsWith(QLatin1Char('/')))
        s.OutputFolder += QLatin1Char('/');
}

void SettingsStore::SaveSettings()
{
    const Settings &s = m_settings;
    m_file.writeInteger(FunctionSection, ChoiceKey, s.SplitMode);
    m_file.writeString(OutputSection, DirKey, s.OutputFolder);
    m_file.writeInteger(ChoiceSection, TimeKey, s.SplitSeconds);
    m_file.writeInteger(ChoiceSection, CountKey, s.SplitCount);
    m_file.writeBool(FadeSection, InKey, s.FadeIn);
    m_file.writeBool(FadeSection, OutKey, s.FadeOut);
    m_file.writeInteger(FadeSection, InTimeKey, s.FadeInSeconds);
    m_file.writeInteger(FadeSection, OutTimeKey, s.FadeOutSeconds);
    m_file.writeBool(BrnSection, SkinKey, s.SkinFlag);
}

int ReadEdgeMs(const SettingsFile &file)
{
    return qBound(0, file.readInteger(FadeSection, EdgeKey, 0), MaxEdgeMs);
}

void WriteEdgeMs(SettingsFile &file, int edgeMs)
{
    file.writeInteger(FadeSection, EdgeKey, qBound(0, edgeMs, MaxEdgeMs));
}

int SettingsStore::wmaProfileIndex() const
{
    return m_file.readInteger(WmaSection, FormatKey, DefaultWmaProfileIndex);
}

} // namespace korvex
