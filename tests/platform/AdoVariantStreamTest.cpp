#include "RuntimeError.h"
#include "Stream.h"
#include "Variant.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Ado;

namespace {

template <typename Action> long ErrorOf(Action action)
{
    try {
        action();
    } catch (const RuntimeError& error) {
        return error.Number();
    }
    return 0;
}

// --- variant conversions ----------------------------------------------------------------------

TEST(AdoVariant, WholeNumbersRoundHalfToEven)
{
    EXPECT_EQ(Variant(2.5).ToInt(), 2);
    EXPECT_EQ(Variant(3.5).ToInt(), 4);
    EXPECT_EQ(Variant(-2.5).ToInt(), -2);
    EXPECT_EQ(Variant(QStringLiteral(" 65 ")).ToInt(), 65);
    EXPECT_EQ(Variant(QStringLiteral("6.5")).ToInt(), 6);
    EXPECT_EQ(Variant(std::int64_t{20261208191000}).ToInt64(), 20261208191000);
    EXPECT_EQ(Variant().ToInt(), 0) << "Empty";
}

TEST(AdoVariant, ConversionsThatCannotBeMadeRaise)
{
    EXPECT_EQ(ErrorOf([] { Variant::Null().ToInt(); }), 94);
    EXPECT_EQ(ErrorOf([] { Variant::Null().ToDouble(); }), 94);
    EXPECT_EQ(ErrorOf([] { Variant::Null().ToBytes(); }), 94);
    EXPECT_EQ(ErrorOf([] { Variant(QStringLiteral("abc")).ToInt(); }), 13);
    EXPECT_EQ(ErrorOf([] { Variant(QString()).ToDouble(); }), 13);
    EXPECT_EQ(ErrorOf([] { Variant(QByteArray("x")).ToString(); }), 13);
    EXPECT_EQ(ErrorOf([] { Variant(QStringLiteral("x")).ToBytes(); }), 13);
    EXPECT_EQ(ErrorOf([] { Variant(3e9).ToInt(); }), 6);
    EXPECT_EQ(ErrorOf([] { Variant(40000).ToInt16(); }), 6);
    EXPECT_EQ(ErrorOf([] { Variant(1e300).ToInt64(); }), 6);
    EXPECT_EQ(Variant(32767).ToInt16(), 32767);
}

TEST(AdoVariant, TextsOfValues)
{
    EXPECT_EQ(Variant(20).ToString(), QStringLiteral("20"));
    EXPECT_EQ(Variant(2.5).ToString(), QStringLiteral("2.5"));
    EXPECT_EQ(Variant(20.0).ToString(), QStringLiteral("20")) << "no decimal point without a fraction";
    EXPECT_EQ(Variant(0.1).ToString(), QStringLiteral("0.1"));
    EXPECT_EQ(Variant::Null().ToString(), QString());
    EXPECT_EQ(Variant(QStringLiteral("文")).ToString(), QStringLiteral("文"));
    EXPECT_DOUBLE_EQ(Variant(QStringLiteral("1.25")).ToDouble(), 1.25);
}

TEST(AdoVariant, KindsAndEquality)
{
    EXPECT_TRUE(Variant().IsEmpty());
    EXPECT_TRUE(Variant::Null().IsNull());
    EXPECT_FALSE(Variant(QString()).IsNull());
    EXPECT_TRUE(Variant(1.0).IsNumeric());
    EXPECT_EQ(Variant(5), Variant(std::int64_t{5}));
    EXPECT_FALSE(Variant(5) == Variant(5.0)) << "different kinds";
    EXPECT_EQ(Variant::Null(), Variant::Null());
}

// --- binary stream ----------------------------------------------------------------------------

class AdoStreamTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(mDir.isValid()); }
    QString Path() const { return mDir.filePath(QStringLiteral("Tivex.dat")); }
    QByteArray ReadBytes() const
    {
        QFile file(Path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    QTemporaryDir mDir;
};

TEST_F(AdoStreamTest, SavesWhatWasWrittenAndOverwrites)
{
    const QByteArray picture("\x89PNG\r\n\x1A\n\x00\x01", 10);
    Stream stream;
    stream.SetType(adTypeBinary);
    stream.Open();
    stream.Write(picture);
    stream.SaveToFile(Path(), adSaveCreateOverWrite);
    stream.Close();
    EXPECT_EQ(ReadBytes(), picture);

    stream.Open();
    stream.Write(QByteArray("GIF89a"));
    stream.Write(QByteArray("!"));
    stream.SaveToFile(Path(), adSaveCreateOverWrite);
    stream.Close();
    EXPECT_EQ(ReadBytes(), QByteArray("GIF89a!")) << "a new stream starts empty; a shorter picture replaces a longer";
    EXPECT_EQ(QDir(mDir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("Tivex.dat")});
}

TEST_F(AdoStreamTest, CreateNotExistRefusesAnExistingFile)
{
    Stream stream;
    stream.Open();
    stream.Write(QByteArray("a"));
    stream.SaveToFile(Path());
    EXPECT_EQ(ErrorOf([&] { stream.SaveToFile(Path(), adSaveCreateNotExist); }), adErrWriteFile);
    EXPECT_EQ(ErrorOf([&] { stream.SaveToFile(mDir.filePath(QStringLiteral("none/x.dat")), adSaveCreateOverWrite); }),
              adErrWriteFile);
    EXPECT_EQ(ReadBytes(), QByteArray("a"));
}

TEST_F(AdoStreamTest, WindowsSeparatorInTheFileName)
{
    Stream stream;
    stream.Open();
    stream.Write(QByteArray("p"));
    stream.SaveToFile(mDir.path() + QStringLiteral("\\Tivex.dat"), adSaveCreateOverWrite);
    EXPECT_EQ(ReadBytes(), QByteArray("p"));
}

TEST_F(AdoStreamTest, StateErrors)
{
    Stream stream;
    EXPECT_EQ(ErrorOf([&] { stream.Write(QByteArray("a")); }), adErrObjectClosed);
    EXPECT_EQ(ErrorOf([&] { stream.SaveToFile(Path(), adSaveCreateOverWrite); }), adErrObjectClosed);
    EXPECT_EQ(ErrorOf([&] { stream.Close(); }), adErrObjectClosed);
    stream.Open();
    EXPECT_EQ(ErrorOf([&] { stream.Open(); }), adErrObjectOpen);
    EXPECT_EQ(ErrorOf([&] { stream.SetType(adTypeText); }), adErrObjectOpen);
    EXPECT_FALSE(QFile::exists(Path()));
}

} // namespace
