#pragma once

#include "BankSource.h"
#include "Connection.h"

#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <string>

namespace qkmtest {

// A fresh program folder for one test: QKMEXAM_DIR points App::Path() at a temporary folder that
// is removed afterwards, and a question bank can be built into it from source data with the same
// builder as qkm-bank. The shared connection and ini reader are released on entry and exit, so no
// test sees another test's bank.
class BankFixture {
public:
    BankFixture();
    ~BankFixture();
    BankFixture(const BankFixture&) = delete;
    BankFixture& operator=(const BankFixture&) = delete;

    // Builds QKMExam_L.DLL from a source file in tests/data (pictures relative to that folder).
    void BuildFromData(const QString& fileName = QStringLiteral("SmallBank.txt"));
    // Builds it from source text; pictures are looked up in tests/data.
    void BuildFromText(const std::string& sourceText);
    void BuildFromSource(const Bank::Source& source);

    // A connection of its own on the program folder's bank, opened with the bank password, for
    // reading back what the code under test wrote.
    std::unique_ptr<Ado::Connection> OpenBank() const;

    QString Dir() const { return mDir.path(); }
    QString FilePath(const QString& name) const { return mDir.filePath(name); }
    QString BankPath() const { return FilePath(QStringLiteral("QKMExam_L.DLL")); }

    static QString DataPath(const QString& name);
    // The demo bank's source in tools/demo.
    static QString DemoSourcePath();

private:
    QTemporaryDir mDir;
    QByteArray mPreviousDir;
    bool mHadPreviousDir = false;
};

} // namespace qkmtest
