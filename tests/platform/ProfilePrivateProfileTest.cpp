#include "PrivateProfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <optional>

using namespace Profile;

namespace {

class PrivateProfileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(mDir.isValid()); }

    QString Path(const QString& name = QStringLiteral("Test.ini")) const { return mDir.filePath(name); }

    void WriteBytes(const QByteArray& bytes, const QString& name = QStringLiteral("Test.ini")) const
    {
        QFile file(Path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    QByteArray ReadBytes(const QString& name = QStringLiteral("Test.ini")) const
    {
        QFile file(Path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    // The value as the caller sees it: the first count bytes of the buffer.
    QByteArray Read(const OptionalText& section, const OptionalText& key, const OptionalText& defaultValue = QString(),
                    std::uint32_t size = 65500) const
    {
        QByteArray buffer;
        const std::uint32_t count = GetPrivateProfileString(section, key, defaultValue, buffer, size, Path());
        EXPECT_EQ(buffer.size(), static_cast<qsizetype>(size)) << "the buffer is the caller's, of the given size";
        EXPECT_LE(count, size);
        return buffer.left(count);
    }

    QTemporaryDir mDir;
};

// --- reading values ---------------------------------------------------------------------------

TEST_F(PrivateProfileTest, SectionAndKeyNamesCompareWithoutCase)
{
    WriteBytes("[System]\r\nExamTime=90\r\n");
    EXPECT_EQ(Read(QStringLiteral("SYSTEM"), QStringLiteral("examtime")), "90");
    EXPECT_EQ(GetPrivateProfileInt(QStringLiteral("system"), QStringLiteral("EXAMTIME"), 0, Path()), 90);
}

TEST_F(PrivateProfileTest, ValuesLoseBlanksAndOnePairOfEnclosingQuotes)
{
    WriteBytes("[S]\r\n"
               "  a =  x y  \r\n"
               "b=\"quoted \"\r\n"
               "c='single'\r\n"
               "d=\"mismatch'\r\n"
               "e=\"\r\n"
               "f=\"\"twice\"\"\r\n"
               "g\r\n");
    EXPECT_EQ(Read(QStringLiteral("S"), QStringLiteral("a")), "x y");
    EXPECT_EQ(Read(QStringLiteral("S"), QStringLiteral("b")), "quoted ");
    EXPECT_EQ(Read(QStringLiteral("S"), QStringLiteral("c")), "single");
    EXPECT_EQ(Read(QStringLiteral("S"), QStringLiteral("d")), "\"mismatch'");
    EXPECT_EQ(Read(QStringLiteral("S"), QStringLiteral("e")), "\"");
    EXPECT_EQ(Read(QStringLiteral("S"), QStringLiteral("f")), "\"twice\"");
    EXPECT_EQ(Read(QStringLiteral("S"), QStringLiteral("g"), QStringLiteral("def")), "") << "a key without '=' exists";
}

TEST_F(PrivateProfileTest, MissingKeySectionOrFileGivesTheDefault)
{
    EXPECT_EQ(Read(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("none")), "none") << "no file";
    EXPECT_FALSE(QFile::exists(Path())) << "reading never creates the file";
    WriteBytes("[S]\r\nk=1\r\n");
    EXPECT_EQ(Read(QStringLiteral("S"), QStringLiteral("x"), QStringLiteral("dflt  ")), "dflt")
        << "trailing blanks of the default go";
    EXPECT_EQ(Read(QStringLiteral("T"), QStringLiteral("k"), std::nullopt), "") << "a null default reads as empty";
}

TEST_F(PrivateProfileTest, DuplicateSectionsAndKeysAnswerWithTheFirst)
{
    WriteBytes("[S]\r\nk=1\r\nK=2\r\n[s]\r\nk=3\r\n");
    EXPECT_EQ(Read(QStringLiteral("S"), QStringLiteral("k")), "1");
}

TEST_F(PrivateProfileTest, ReadsLfAndCrLfLinesAndALastLineWithoutNewline)
{
    WriteBytes("[A]\nk=1\r\n\r\n[B]\r\nz=2");
    EXPECT_EQ(Read(QStringLiteral("A"), QStringLiteral("k")), "1");
    EXPECT_EQ(Read(QStringLiteral("B"), QStringLiteral("z")), "2");
}

// Files saved by editors: a UTF-8 byte-order mark must not hide the first section, a file that
// announces UTF-8 is read (and rewritten) as UTF-8, and lines may end in CR alone.
TEST_F(PrivateProfileTest, ByteOrderMarkAndCrOnlyLineEndsKeepEverySection)
{
    WriteBytes("\xEF\xBB\xBF[System]\r\nExamTime=90\r\nDealer=\xE6\xB1\xBD\xE4\xBF\xAE\r\n[2]\r\nThemeID=7\r\n");
    EXPECT_EQ(GetPrivateProfileInt(QStringLiteral("System"), QStringLiteral("ExamTime"), 0, Path()), 90);
    EXPECT_EQ(Read(QStringLiteral("System"), QStringLiteral("Dealer")), "\xC6\xFB\xD0\xDE") << "汽修 in code page 936";
    EXPECT_EQ(Read(std::nullopt, std::nullopt), QByteArray("System\0002\000", 9));
    ASSERT_TRUE(WritePrivateProfileString(QStringLiteral("2"), QStringLiteral("Name"), QStringLiteral("钣金"), Path()));
    EXPECT_EQ(ReadBytes(),
              "\xEF\xBB\xBF[System]\r\nExamTime=90\r\nDealer=\xE6\xB1\xBD\xE4\xBF\xAE\r\n[2]\r\nThemeID=7\r\n"
              "Name=\xE9\x92\xA3\xE9\x87\x91\r\n");

    WriteBytes("[A]\rk=1\r\r[B]\rz=2\r");
    EXPECT_EQ(Read(QStringLiteral("A"), QStringLiteral("k")), "1");
    EXPECT_EQ(Read(QStringLiteral("B"), QStringLiteral("z")), "2");
    EXPECT_EQ(Read(QStringLiteral("A"), std::nullopt), QByteArray("k\0", 2));
    ASSERT_TRUE(WritePrivateProfileString(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("3"), Path()));
    EXPECT_EQ(ReadBytes(), "[A]\r\nk=3\r\n\r\n[B]\r\nz=2\r\n");
}

TEST_F(PrivateProfileTest, ValueThatDoesNotFitIsCutAndNulTerminated)
{
    WriteBytes("[S]\r\nk=0123456789\r\n");
    QByteArray buffer;
    EXPECT_EQ(GetPrivateProfileString(QStringLiteral("S"), QStringLiteral("k"), QString(), buffer, 5, Path()), 4u);
    EXPECT_EQ(buffer, QByteArray("0123\0", 5));
    EXPECT_EQ(GetPrivateProfileString(QStringLiteral("S"), QStringLiteral("k"), QString(), buffer, 11, Path()), 10u)
        << "exactly fits with its NUL";
    EXPECT_EQ(GetPrivateProfileString(QStringLiteral("S"), QStringLiteral("k"), QString(), buffer, 0, Path()), 0u);
}

TEST_F(PrivateProfileTest, CuttingNeverSplitsADoubleByteCharacter)
{
    WriteBytes("[S]\r\nk=\xD6\xD0\xCE\xC4\r\n"); // 中文 in code page 936
    QByteArray buffer;
    EXPECT_EQ(GetPrivateProfileString(QStringLiteral("S"), QStringLiteral("k"), QString(), buffer, 4, Path()), 2u);
    EXPECT_EQ(buffer.left(2), QByteArray("\xD6\xD0"));
}

// --- lists of names ---------------------------------------------------------------------------

TEST_F(PrivateProfileTest, SectionListIsNulSeparatedWithADoubleNulAtTheEnd)
{
    WriteBytes("; comment\r\n[A]\r\nx=1\r\n[ b ]\r\n[C]\r\n");
    QByteArray buffer;
    EXPECT_EQ(
        GetPrivateProfileString(std::nullopt, QStringLiteral("ignored"), QStringLiteral("dflt"), buffer, 100, Path()),
        6u);
    EXPECT_EQ(buffer.left(7), QByteArray("A\0b\0C\0\0", 7));
}

TEST_F(PrivateProfileTest, ListThatDoesNotFitIsCutToSizeLessTwoAndClosedWithTwoNuls)
{
    WriteBytes("[Alpha]\r\n[Beta]\r\n");
    QByteArray buffer;
    EXPECT_EQ(GetPrivateProfileString(std::nullopt, std::nullopt, QString(), buffer, 8, Path()), 6u);
    EXPECT_EQ(buffer, QByteArray("Alpha\0\0\0", 8));
    EXPECT_EQ(GetPrivateProfileString(std::nullopt, std::nullopt, QString(), buffer, 12, Path()), 11u)
        << "\"Alpha\\0Beta\\0\\0\" needs 12 bytes and fits";
    EXPECT_EQ(buffer, QByteArray("Alpha\0Beta\0\0", 12));
}

TEST_F(PrivateProfileTest, KeyListSkipsCommentsAndBlankLinesAndStopsAtTheNextSection)
{
    WriteBytes("[S]\r\nk1=1\r\n;k9=9\r\n\r\nK2 = 2\r\n[T]\r\nk3=3\r\n");
    EXPECT_EQ(Read(QStringLiteral("s"), std::nullopt), QByteArray("k1\0K2\0", 6));
    EXPECT_EQ(Read(QStringLiteral("none"), std::nullopt, QStringLiteral("dflt")), "dflt")
        << "a missing section lists as the default";
    EXPECT_EQ(Read(std::nullopt, std::nullopt), QByteArray("S\0T\0", 4));
}

// --- code page 936 ----------------------------------------------------------------------------

TEST_F(PrivateProfileTest, ChineseNamesAndValuesCrossInCodePage936)
{
    const QString section = QStringLiteral("公司");
    const QString value = QStringLiteral("钣金（车身修复）技术人员");
    ASSERT_TRUE(WritePrivateProfileString(section, QStringLiteral("名称"), value, Path()));
    // 公 is B9 AB, 司 is CB BE in code page 936.
    EXPECT_TRUE(ReadBytes().startsWith("[\xB9\xAB\xCB\xBE]\r\n"));
    EXPECT_EQ(Read(section, QStringLiteral("名称")).size(), value.size() * 2);
    QByteArray buffer;
    const std::uint32_t count =
        GetPrivateProfileString(section, QStringLiteral("名称"), QString(), buffer, 100, Path());
    EXPECT_EQ(buffer.left(count), ReadBytes().mid(ReadBytes().indexOf('=') + 1, count));
}

TEST_F(PrivateProfileTest, SecondByteThatLooksLikeALetterIsNotCaseFolded)
{
    // 0x81 0x41 and 0x81 0x61 are two different characters; folding 'A' to 'a' would merge them.
    WriteBytes("[\x81\x41]\r\nk=upper\r\n[\x81\x61]\r\nk=lower\r\n");
    QByteArray list;
    ASSERT_EQ(GetPrivateProfileString(std::nullopt, std::nullopt, QString(), list, 100, Path()), 6u);
    const QString first = QString::fromUtf16(u"\u4E04");  // 丄, code page 936 0x81 0x41
    const QString second = QString::fromUtf16(u"\u4E64"); // 乤, code page 936 0x81 0x61
    EXPECT_EQ(Read(first, QStringLiteral("k")), "upper");
    EXPECT_EQ(Read(second, QStringLiteral("k")), "lower");
}

// --- numbers ----------------------------------------------------------------------------------

TEST_F(PrivateProfileTest, IntReadsSignAndLeadingDigits)
{
    WriteBytes("[S]\r\n"
               "plain=90\r\n"
               "neg=-7\r\n"
               "plus=+5\r\n"
               "tail=12abc\r\n"
               "word=abc\r\n"
               "empty=\r\n"
               "quoted=\"42\"\r\n"
               "hex=0x1A\r\n"
               "big=4294967297\r\n");
    const auto get = [&](const char* key) {
        return GetPrivateProfileInt(QStringLiteral("S"), QString::fromLatin1(key), -99, Path());
    };
    EXPECT_EQ(get("plain"), 90);
    EXPECT_EQ(get("neg"), -7);
    EXPECT_EQ(get("plus"), 5);
    EXPECT_EQ(get("tail"), 12);
    EXPECT_EQ(get("word"), 0) << "a value that is there but no number reads as 0";
    EXPECT_EQ(get("empty"), -99) << "an empty value gives the default";
    EXPECT_EQ(get("missing"), -99);
    EXPECT_EQ(get("quoted"), 42);
    EXPECT_EQ(get("hex"), 26);
    EXPECT_EQ(get("big"), 1) << "32-bit wrap-around";
}

// --- writing keys -----------------------------------------------------------------------------

TEST_F(PrivateProfileTest, WritingCreatesFileAndSection)
{
    ASSERT_TRUE(
        WritePrivateProfileString(QStringLiteral("System"), QStringLiteral("ExamTime"), QStringLiteral("90"), Path()));
    ASSERT_TRUE(WritePrivateProfileString(QStringLiteral("1"), QStringLiteral("ThemeID"), QStringLiteral("7"), Path()));
    EXPECT_EQ(ReadBytes(), "[System]\r\nExamTime=90\r\n[1]\r\nThemeID=7\r\n");
}

TEST_F(PrivateProfileTest, ReplacingAKeyKeepsItsPlaceSpellingAndTheOtherLines)
{
    WriteBytes("; kept\r\n[S]\r\na=1\r\n  B = 2 \r\nc=3\r\n");
    ASSERT_TRUE(WritePrivateProfileString(QStringLiteral("s"), QStringLiteral("b"), QStringLiteral("20"), Path()));
    EXPECT_EQ(ReadBytes(), "; kept\r\n[S]\r\na=1\r\nB=20\r\nc=3\r\n");
}

TEST_F(PrivateProfileTest, NewKeyGoesAfterTheSectionsLastLineBeforeBlankLines)
{
    WriteBytes("[S]\r\na=1\r\n\r\n[T]\r\nx=1\r\n");
    ASSERT_TRUE(WritePrivateProfileString(QStringLiteral("S"), QStringLiteral("new"), QStringLiteral("2"), Path()));
    EXPECT_EQ(ReadBytes(), "[S]\r\na=1\r\nnew=2\r\n\r\n[T]\r\nx=1\r\n");
}

TEST_F(PrivateProfileTest, WritingKeepsUntouchedLinesAndWritesCrLf)
{
    WriteBytes("[A]\nk = 1\n[B]\nz=2");
    ASSERT_TRUE(WritePrivateProfileString(QStringLiteral("B"), QStringLiteral("y"), QStringLiteral("3"), Path()));
    EXPECT_EQ(ReadBytes(), "[A]\r\nk = 1\r\n[B]\r\nz=2\r\ny=3\r\n");
}

TEST_F(PrivateProfileTest, NullValueDeletesTheKeyAndNullKeyTheSection)
{
    WriteBytes("[S]\r\na=1\r\nb=2\r\n[T]\r\nx=1\r\n[U]\r\n");
    ASSERT_TRUE(WritePrivateProfileString(QStringLiteral("S"), QStringLiteral("A"), std::nullopt, Path()));
    EXPECT_EQ(ReadBytes(), "[S]\r\nb=2\r\n[T]\r\nx=1\r\n[U]\r\n");
    ASSERT_TRUE(WritePrivateProfileString(QStringLiteral("t"), std::nullopt, std::nullopt, Path()));
    EXPECT_EQ(ReadBytes(), "[S]\r\nb=2\r\n[U]\r\n");
    EXPECT_TRUE(WritePrivateProfileString(QStringLiteral("S"), QStringLiteral("gone"), std::nullopt, Path()))
        << "deleting a missing key succeeds";
    EXPECT_TRUE(WritePrivateProfileString(QStringLiteral("none"), std::nullopt, std::nullopt, Path()));
    EXPECT_EQ(ReadBytes(), "[S]\r\nb=2\r\n[U]\r\n");
}

TEST_F(PrivateProfileTest, EmptyValueIsWrittenUnlikeNull)
{
    ASSERT_TRUE(WritePrivateProfileString(QStringLiteral("S"), QStringLiteral("k"), QString(), Path()));
    EXPECT_EQ(ReadBytes(), "[S]\r\nk=\r\n");
}

TEST_F(PrivateProfileTest, DeletingFromAMissingFileCreatesNothing)
{
    EXPECT_TRUE(WritePrivateProfileString(QStringLiteral("S"), std::nullopt, std::nullopt, Path()));
    EXPECT_TRUE(WritePrivateProfileString(QStringLiteral("S"), QStringLiteral("k"), std::nullopt, Path()));
    EXPECT_FALSE(QFile::exists(Path()));
}

TEST_F(PrivateProfileTest, NullSectionWritesNothing)
{
    EXPECT_FALSE(WritePrivateProfileString(std::nullopt, QStringLiteral("k"), QStringLiteral("v"), Path()));
    EXPECT_TRUE(WritePrivateProfileString(std::nullopt, std::nullopt, std::nullopt, Path())) << "the flush call";
    EXPECT_FALSE(WritePrivateProfileSection(std::nullopt, QStringLiteral("k=v"), Path()));
    EXPECT_FALSE(QFile::exists(Path()));
}

// --- writing whole sections -------------------------------------------------------------------

TEST_F(PrivateProfileTest, WritingASectionReplacesItsLines)
{
    WriteBytes("[S]\r\na=1\r\nb=2\r\n\r\n[T]\r\nx=1\r\n");
    ASSERT_TRUE(WritePrivateProfileSection(QStringLiteral("s"),
                                           QStringLiteral("c=3") + QChar(u'\0') + QStringLiteral("d=4"), Path()));
    EXPECT_EQ(ReadBytes(), "[S]\r\nc=3\r\nd=4\r\n\r\n[T]\r\nx=1\r\n");
}

TEST_F(PrivateProfileTest, SectionTextWithLineBreaksGivesOneLineEach)
{
    ASSERT_TRUE(WritePrivateProfileSection(QStringLiteral("S"), QStringLiteral("A=1\r\nB=2\r\nC=3"), Path()));
    EXPECT_EQ(ReadBytes(), "[S]\r\nA=1\r\nB=2\r\nC=3\r\n");
    EXPECT_EQ(Read(QStringLiteral("S"), std::nullopt), QByteArray("A\0B\0C\0", 6));
}

TEST_F(PrivateProfileTest, EmptySectionTextLeavesAnEmptySectionAndNullDeletesIt)
{
    WriteBytes("[S]\r\na=1\r\n[T]\r\n");
    ASSERT_TRUE(WritePrivateProfileSection(QStringLiteral("S"), QString(), Path()));
    EXPECT_EQ(ReadBytes(), "[S]\r\n[T]\r\n");
    ASSERT_TRUE(WritePrivateProfileSection(QStringLiteral("New"), QString(), Path()));
    EXPECT_EQ(ReadBytes(), "[S]\r\n[T]\r\n[New]\r\n");
    ASSERT_TRUE(WritePrivateProfileSection(QStringLiteral("S"), std::nullopt, Path()));
    EXPECT_EQ(ReadBytes(), "[T]\r\n[New]\r\n");
}

// --- the file as a whole ----------------------------------------------------------------------

TEST_F(PrivateProfileTest, WritesLeaveNoTemporaryFileBehind)
{
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(WritePrivateProfileString(QString::number(i), QStringLiteral("k"), QStringLiteral("v"), Path()));
    }
    ASSERT_TRUE(WritePrivateProfileSection(QStringLiteral("2"), QStringLiteral("a=b"), Path()));
    EXPECT_EQ(QDir(mDir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
              QStringList{QStringLiteral("Test.ini")});
}

// The in-memory document reads as the functions do and leaves what their calls would have left.
TEST_F(PrivateProfileTest, DocumentEditsLeaveWhatTheFunctionsWouldWrite)
{
    const QByteArray original =
        "; kept\r\n[System]\r\nExamTime = \"90\" \r\n[Keep]\nA=1\r\n[System]\r\nX=1\r\n[3]\rThemeID=5\r\n";
    WriteBytes(original, QStringLiteral("a.ini"));
    WriteBytes(original, QStringLiteral("b.ini"));
    const QString a = Path(QStringLiteral("a.ini"));
    ASSERT_TRUE(WritePrivateProfileSection(QStringLiteral("system"), std::nullopt, a));
    ASSERT_TRUE(WritePrivateProfileSection(QStringLiteral("3"), std::nullopt, a));
    ASSERT_TRUE(WritePrivateProfileSection(QStringLiteral("System"), QStringLiteral("ExamTime=60\r\nThemeCount=2"), a));
    ASSERT_TRUE(WritePrivateProfileSection(QStringLiteral("1"), QStringLiteral("ThemeID=7\r\nThemeFraction=2.5"), a));

    ProfileDocument document(Path(QStringLiteral("b.ini")));
    EXPECT_TRUE(document.Exists());
    EXPECT_EQ(document.SectionNames(), (QStringList{QStringLiteral("System"), QStringLiteral("Keep"),
                                                    QStringLiteral("System"), QStringLiteral("3")}));
    EXPECT_EQ(document.Value(QStringLiteral("SYSTEM"), QStringLiteral("examtime")), QStringLiteral("90"));
    EXPECT_EQ(document.Value(QStringLiteral("3"), QStringLiteral("ThemeID")), QStringLiteral("5"));
    EXPECT_EQ(document.Value(QStringLiteral("3"), QStringLiteral("Other")), std::nullopt);
    document.DeleteSections([](const QString& name) {
        return name.compare(QStringLiteral("system"), Qt::CaseInsensitive) == 0 || name == QStringLiteral("3");
    });
    document.AppendSection(QStringLiteral("System"), {{QStringLiteral("ExamTime"), QStringLiteral("60")},
                                                      {QStringLiteral("ThemeCount"), QStringLiteral("2")}});
    document.AppendSection(QStringLiteral("1"), {{QStringLiteral("ThemeID"), QStringLiteral("7")},
                                                 {QStringLiteral("ThemeFraction"), QStringLiteral("2.5")}});
    EXPECT_EQ(document.Bytes(), ReadBytes(QStringLiteral("a.ini")));
    EXPECT_EQ(ReadBytes(QStringLiteral("b.ini")), original) << "the document writes nothing itself";
    EXPECT_FALSE(ProfileDocument(Path(QStringLiteral("none.ini"))).Exists());
}

TEST_F(PrivateProfileTest, BackslashInTheFileNameSeparatesFolders)
{
    ASSERT_TRUE(QDir(mDir.path()).mkdir(QStringLiteral("sub")));
    const QString windowsStyle = mDir.path() + QStringLiteral("\\sub\\STheme.cfg");
    ASSERT_TRUE(WritePrivateProfileString(QStringLiteral("System"), QStringLiteral("ExamTime"), QStringLiteral("60"),
                                          windowsStyle));
    EXPECT_TRUE(QFile::exists(mDir.filePath(QStringLiteral("sub/STheme.cfg"))));
    EXPECT_EQ(GetPrivateProfileInt(QStringLiteral("System"), QStringLiteral("ExamTime"), 0, windowsStyle), 60);
}

TEST_F(PrivateProfileTest, AFolderThatDoesNotExistFailsTheWrite)
{
    EXPECT_FALSE(WritePrivateProfileString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v"),
                                           mDir.filePath(QStringLiteral("none/Test.ini"))));
}

} // namespace
