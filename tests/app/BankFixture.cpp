#include "BankFixture.h"

#include "BankBuilder.h"
#include "ModSystem.h"
#include "QuestionText.h"

#include <QDir>

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
    connection->Open(QStringLiteral("Data Source=") + BankPath() +
                     QStringLiteral(";Jet OLEDB:Database Password=") + QString::fromUtf16(kQuestionBankPassword));
    return connection;
}

QString BankFixture::DataPath(const QString& name)
{
    return QDir(QStringLiteral(QKM_TEST_DATA_DIR)).filePath(name);
}

QString BankFixture::DemoSourcePath()
{
    return QDir::cleanPath(QStringLiteral(QKM_TEST_DATA_DIR "/../../tools/demo/DemoBank.txt"));
}

} // namespace qkmtest
