#include "ReadConfig.h"

#include "CodePage.h"
#include "PrivateProfile.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>

#include <optional>
#include <string_view>

namespace {

QString FromAnsi(const QByteArray& bytes, std::uint32_t count)
{
    return QString::fromStdU16String(
        CodePage::FromAnsi(std::string_view(bytes.constData(), static_cast<std::size_t>(count))));
}

} // namespace

bool ReadConfig::OpenIni(const QString& fileName)
{
    if (mOpen) {
        return false;
    }
    mFileName = fileName;
    const QString path = Profile::ProfileFilePath(fileName);
    if (!QFileInfo::exists(path)) {
        // Opened for output and closed at once: an empty file. A folder that cannot take it is left
        // to the later reads (defaults) and writes (false).
        QFile file(path);
        if (file.open(QIODevice::WriteOnly)) {
            file.close();
        }
    }
    mOpen = true;
    return false;
}

bool ReadConfig::FileExists() const
{
    return QFileInfo::exists(Profile::ProfileFilePath(mFileName));
}

std::int32_t ReadConfig::GetLong(const QString& sectionName, const QString& keyWord, std::int32_t defaultValue) const
{
    if (!mOpen) {
        return 0;
    }
    return Profile::GetPrivateProfileInt(sectionName, keyWord, defaultValue, mFileName);
}

QString ReadConfig::GetString(const QString& sectionName, const QString& keyWord, const QString& defaultValue) const
{
    if (!mOpen) {
        return {};
    }
    QByteArray buffer;
    const std::uint32_t count =
        Profile::GetPrivateProfileString(sectionName, keyWord, defaultValue, buffer, BufferSize, mFileName);
    return FromAnsi(buffer, count);
}

QString ReadConfig::GetAllSection() const
{
    if (!mOpen) {
        return {};
    }
    QByteArray buffer;
    const std::uint32_t count =
        Profile::GetPrivateProfileString(std::nullopt, std::nullopt, QString(), buffer, BufferSize, mFileName);
    return FromAnsi(buffer, count);
}

QString ReadConfig::GetAllKeyWord(const QString& sectionName) const
{
    if (!mOpen) {
        return {};
    }
    QByteArray buffer;
    const std::uint32_t count =
        Profile::GetPrivateProfileString(sectionName, std::nullopt, QString(), buffer, BufferSize, mFileName);
    return FromAnsi(buffer, count);
}

bool ReadConfig::SetString(const QString& sectionName, const QString& keyWord, const QString& value)
{
    if (!mOpen || value.isEmpty()) {
        return false;
    }
    return Profile::WritePrivateProfileString(sectionName, keyWord, value, mFileName);
}

bool ReadConfig::DelKeyWord(const QString& sectionName, const QString& keyWord)
{
    if (!mOpen) {
        return false;
    }
    return Profile::WritePrivateProfileString(sectionName, keyWord, std::nullopt, mFileName);
}

bool ReadConfig::DelAllKeyWord(const QString& sectionName)
{
    if (!mOpen) {
        return false;
    }
    return Profile::WritePrivateProfileString(sectionName, std::nullopt, std::nullopt, mFileName);
}

bool ReadConfig::AddSection(const QString& sectionName)
{
    if (!mOpen || !FileExists()) {
        return false;
    }
    // Whole names are compared: a section "System" does not hide a new section "Sys".
    const QStringList names = GetAllSection().split(QChar(u'\0'), Qt::SkipEmptyParts);
    for (const QString& name : names) {
        if (name.compare(sectionName, Qt::CaseInsensitive) == 0) {
            return false;
        }
    }
    return Profile::WritePrivateProfileSection(sectionName, QString(), mFileName);
}

bool ReadConfig::AddKeyWord(const QString& sectionName, const QString& keyWord, const QString& value)
{
    if (!mOpen || !FileExists()) {
        return false;
    }
    QString body;
    const QStringList names = GetAllKeyWord(sectionName).split(QChar(u'\0'), Qt::SkipEmptyParts);
    for (const QString& name : names) {
        if (name.compare(keyWord, Qt::CaseInsensitive) == 0) {
            return false;
        }
        body += name + QLatin1Char('=') + GetString(sectionName, name, QString()) + QLatin1String("\r\n");
    }
    return Profile::WritePrivateProfileSection(sectionName, body + keyWord + QLatin1Char('=') + value, mFileName);
}

bool ReadConfig::CloseIni()
{
    if (!mOpen) {
        return false;
    }
    mOpen = false;
    return true;
}
