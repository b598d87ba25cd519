#pragma once

#include <QString>

#include <cstdint>

// Reads and writes one ini file through the private-profile functions. Every member except
// OpenIni does nothing and returns its empty result (0, "" or false) while the instance is not
// open. Reads use a buffer of 65500 bytes of code page 936; a longer value is cut to fit.
class ReadConfig {
public:
    static constexpr std::uint32_t BufferSize = 65500;

    // Binds the instance to a file and creates the file empty when it is missing. An open
    // instance keeps its first file. The result is false in every case.
    bool OpenIni(const QString& fileName);

    std::int32_t GetLong(const QString& sectionName, const QString& keyWord, std::int32_t defaultValue) const;
    QString GetString(const QString& sectionName, const QString& keyWord, const QString& defaultValue) const;
    // Names separated by NUL characters, each name followed by one.
    QString GetAllSection() const;
    QString GetAllKeyWord(const QString& sectionName) const;

    // An empty value writes nothing and gives false; DelKeyWord removes a key.
    bool SetString(const QString& sectionName, const QString& keyWord, const QString& value);
    bool DelKeyWord(const QString& sectionName, const QString& keyWord);
    bool DelAllKeyWord(const QString& sectionName);
    // Adds an empty section unless one of that name (without regard to case) exists.
    bool AddSection(const QString& sectionName);
    // Adds a key at the end of its section unless it exists (without regard to case): the
    // existing value is never changed.
    bool AddKeyWord(const QString& sectionName, const QString& keyWord, const QString& value);

    bool CloseIni();

    const QString& FileName() const { return mFileName; }
    bool IsOpen() const { return mOpen; }

private:
    bool FileExists() const;

    QString mFileName;
    bool mOpen = false;
};
