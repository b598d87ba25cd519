#include "BankFixture.h"

#include "BankBuilder.h"
#include "ModSystem.h"
#include "QuestionText.h"

#include <QDir>
#include <QFileInfo>

#include <cstdlib>

namespace qkmtest {

namespace {

void ReleaseSharedState()
{
    ModSystem::gConn.reset();
    ModSystem::gSysIni.reset();
}

} // namespace

BankFixture::BankFixture()
{
    ReleaseSharedState();
    const char* previous = std::getenv("QKMEXAM_DIR");
    mHadPreviousDir = previous != nullptr;
    if (mHadPreviousDir) {
        mPreviousDir = previous;
    }
    setenv("QKMEXAM_DIR", QFile::encodeName(mDir.path()).constData(), 1);
}

BankFixture::~BankFixture()
{
    ReleaseSharedState();
    if (mHadPreviousDir) {
        setenv("QKMEXAM_DIR", mPreviousDir.constData(), 1);
    } else {
        unsetenv("QKMEXAM_DIR");
    }
}

void BankFixture::BuildFromData(const QString& fileName)
{
    BuildFromSource(Bank::ParseSourceFile(QFile::encodeName(DataPath(fileName)).toStdString()));
}

void BankFixture::BuildFromText(const std::string& sourceText)
{
    BuildFromSource(Bank::ParseSource(sourceText, QFile::encodeName(DataPath(QString())).toStdString()));
}

void BankFixture::BuildFromSource(const Bank::Source& source)
{
    Bank::Build(source, QFile::encodeName(BankPath()).toStdString());
}

std::unique_ptr<Ado::Connection> BankFixture::OpenBank() const
{
    auto connection = std::make_unique<Ado::Connection>();
    connection->SetCursorLocation(Ado::adUseClient);
    connection->Open(QStringLiteral("Data Source=") + BankPath() + QStringLiteral(";Jet OLEDB:Database Password=") +
                     QString::fromUtf16(kQuestionBankPassword));
    return connection;
}

// Fixture sources live in tests/data, beside this file's folder, whichever layer's tests use them.
QString BankFixture::DataPath(const QString& name)
{
    return QDir(QFileInfo(QStringLiteral(__FILE__)).absolutePath() + QStringLiteral("/../data")).filePath(name);
}

QString BankFixture::DemoSourcePath()
{
    return QDir::cleanPath(QFileInfo(QStringLiteral(__FILE__)).absolutePath() +
                           QStringLiteral("/../../tools/demo/DemoBank.txt"));
}

} // namespace qkmtest
