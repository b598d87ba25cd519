#include "BankBuilder.h"

#include "ClQuAK.h"
#include "CodePage.h"
#include "QuestionText.h"

#include <sqlite3.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <signal.h>
#include <sstream>
#include <system_error>
#include <unistd.h>
#include <unordered_map>

namespace Bank {

namespace {

// Declared types give the values the affinity the program expects to read back: whole numbers as
// integers, stored cipher text and key texts as text (a 14-digit paper id inserted unquoted is kept
// as its digits), pictures as blobs. Numbered ids are the rowid, so unordered reads come back in id
// order, the order the paper was inserted. The paper generator's question query (id, chapter and
// right answer of one chapter and type) is answered from the index alone, in id order: it reads a
// few index pages instead of deciphering every page of the question table per chapter and type.
constexpr const char* kSchema = R"sql(
CREATE TABLE Exam_Theme (
    ThemeID INTEGER PRIMARY KEY,
    ThemeChapter INTEGER NOT NULL,
    ThemeType INTEGER NOT NULL,
    ThemeContent TEXT,
    ThemeAnswer1 TEXT,
    ThemeAnswer2 TEXT,
    ThemeAnswer3 TEXT,
    ThemeAnswer4 TEXT,
    ThemeAnswer TEXT,
    ThemeImage BLOB
);
CREATE INDEX Exam_Theme_ChapterType ON Exam_Theme (ThemeChapter, ThemeType, ThemeID, ThemeAnswer);
CREATE TABLE Exam_Model (
    ApplyType TEXT NOT NULL,
    ModelStatus INTEGER NOT NULL DEFAULT 0,
    Model TEXT NOT NULL,
    ExamTime INTEGER NOT NULL DEFAULT 0
);
CREATE TABLE Exam_MContent (
    Model TEXT NOT NULL,
    ThemeChapter INTEGER NOT NULL,
    ThemeType INTEGER NOT NULL,
    ThemeFraction INTEGER NOT NULL DEFAULT 0,
    SelectContent INTEGER NOT NULL DEFAULT 0
);
CREATE TABLE Exam_ThemeChapter (
    ChapterID INTEGER PRIMARY KEY,
    ChapterName TEXT
);
CREATE TABLE Exam_ThemePaper (
    ExamID INTEGER PRIMARY KEY,
    ExamPaperID TEXT,
    ThemeID INTEGER,
    ThemeFraction INTEGER,
    ThemeAnswer TEXT,
    StudentAnswer TEXT,
    StudentDf INTEGER DEFAULT 0
);
CREATE TABLE Sys_KeyCfg (
    ID INTEGER PRIMARY KEY,
    KeyCode TEXT,
    KeyValues TEXT NOT NULL DEFAULT ''
);
)sql";

struct DbCloser {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct StmtFinalizer {
    void operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }
};
using Db = std::unique_ptr<sqlite3, DbCloser>;
using Stmt = std::unique_ptr<sqlite3_stmt, StmtFinalizer>;

[[noreturn]] void Fail(sqlite3* db, const std::string& what)
{
    throw BankError(what + ": " + (db != nullptr ? sqlite3_errmsg(db) : "out of memory"));
}

void Exec(sqlite3* db, const std::string& sql)
{
    char* message = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string text = message != nullptr ? message : sqlite3_errmsg(db);
        sqlite3_free(message);
        throw BankError(text);
    }
}

Stmt Prepare(sqlite3* db, const std::string& sql)
{
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
        Fail(db, "cannot prepare \"" + sql + "\"");
    }
    return Stmt(stmt);
}

void Step(sqlite3* db, sqlite3_stmt* stmt)
{
    if (sqlite3_step(stmt) != SQLITE_DONE) {
        Fail(db, "cannot write the bank");
    }
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
}

void BindText(sqlite3* db, sqlite3_stmt* stmt, int index, const std::string& text)
{
    if (sqlite3_bind_text(stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT) != SQLITE_OK) {
        Fail(db, "cannot bind a value");
    }
}

void BindInt(sqlite3* db, sqlite3_stmt* stmt, int index, sqlite3_int64 value)
{
    if (sqlite3_bind_int64(stmt, index, value) != SQLITE_OK) {
        Fail(db, "cannot bind a value");
    }
}

void BindNumber(sqlite3* db, sqlite3_stmt* stmt, int index, double value)
{
    const int rc = value == std::floor(value) ? sqlite3_bind_int64(stmt, index, static_cast<sqlite3_int64>(value))
                                              : sqlite3_bind_double(stmt, index, value);
    if (rc != SQLITE_OK) {
        Fail(db, "cannot bind a value");
    }
}

// The password goes into the statement as a quoted literal; it holds no quote, but double any anyway.
std::string KeyPragma()
{
    std::string password = CodePage::ToUtf8(kQuestionBankPassword);
    std::string quoted;
    for (const char c : password) {
        quoted += c;
        if (c == '\'') {
            quoted += '\'';
        }
    }
    return "PRAGMA key = '" + quoted + "';";
}

Db OpenKeyed(const std::filesystem::path& path, int flags)
{
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &raw, flags, nullptr);
    Db db(raw);
    if (rc != SQLITE_OK) {
        Fail(db.get(), "cannot open " + path.string());
    }
    Exec(db.get(), KeyPragma());
    return db;
}

class TextCipher {
public:
    TextCipher() : mKey(GetQuestionKey()) {}

    // Stored cipher text of a UTF-8 text. An empty text is stored as one block of padding, so that
    // it deciphers to nothing instead of leaving the reader's previous text in place.
    // Equal texts give equal stored texts, so repeated options and answers are enciphered once.
    std::string Encipher(const std::string& utf8, const std::string& what)
    {
        const auto known = mStored.find(utf8);
        if (known != mStored.end()) {
            return known->second;
        }
        const std::u16string text = CodePage::FromUtf8(utf8);
        if (CodePage::FromAnsi(CodePage::ToAnsi(text)) != text) {
            throw BankError(what + " holds characters outside code page 936: " + utf8);
        }
        const std::u16string plain = text.empty() ? std::u16string(1, u'\0') : text;
        return mStored[utf8] = CodePage::ToUtf8(EncipherQuestionText(mCipher, mKey, plain));
    }

    // Plain text of a stored cipher text without its padding; nullopt when it cannot be deciphered.
    std::optional<std::string> Decipher(const std::string& stored)
    {
        std::u16string plain;
        if (!DecipherQuestionText(mCipher, mKey, CodePage::FromUtf8(stored), plain)) {
            return std::nullopt;
        }
        while (!plain.empty() && plain.back() == u'\0') {
            plain.pop_back();
        }
        return CodePage::ToUtf8(plain);
    }

private:
    ClQuAK mCipher;
    ByteArray mKey;
    std::unordered_map<std::string, std::string> mStored;
};

std::string ReadQuestionPicture(const std::filesystem::path& file, int questionId)
{
    std::string bytes;
    if (const std::string problem = ReadPicture(file, &bytes); !problem.empty()) {
        throw BankError("question " + std::to_string(questionId) + ": picture " + file.string() + " " + problem);
    }
    return bytes;
}

void WriteContent(sqlite3* db, const Source& source)
{
    TextCipher cipher;

    Stmt chapter = Prepare(db, "INSERT INTO Exam_ThemeChapter (ChapterID, ChapterName) VALUES (?, ?)");
    for (const Chapter& c : source.Chapters) {
        BindInt(db, chapter.get(), 1, c.Id);
        BindText(db, chapter.get(), 2, c.Name);
        Step(db, chapter.get());
    }

    Stmt model = Prepare(db, "INSERT INTO Exam_Model (ApplyType, ModelStatus, Model, ExamTime) VALUES (?, ?, ?, ?)");
    Stmt quota = Prepare(db, "INSERT INTO Exam_MContent (Model, ThemeChapter, ThemeType, ThemeFraction, "
                             "SelectContent) VALUES (?, ?, ?, ?, ?)");
    for (const ExamModel& m : source.Models) {
        BindText(db, model.get(), 1, m.Trade);
        BindInt(db, model.get(), 2, m.Status);
        BindText(db, model.get(), 3, m.Model);
        BindInt(db, model.get(), 4, m.ExamTime);
        Step(db, model.get());
        for (const Quota& q : m.Quotas) {
            BindText(db, quota.get(), 1, m.Model);
            BindInt(db, quota.get(), 2, q.Chapter);
            BindInt(db, quota.get(), 3, q.Type);
            BindNumber(db, quota.get(), 4, q.Points);
            BindInt(db, quota.get(), 5, q.Count);
            Step(db, quota.get());
        }
    }

    Stmt question = Prepare(db, "INSERT INTO Exam_Theme (ThemeID, ThemeChapter, ThemeType, ThemeContent, "
                                "ThemeAnswer1, ThemeAnswer2, ThemeAnswer3, ThemeAnswer4, ThemeAnswer, ThemeImage) "
                                "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    for (const Question& q : source.Questions) {
        const std::string what = "question " + std::to_string(q.Id);
        BindInt(db, question.get(), 1, q.Id);
        BindInt(db, question.get(), 2, q.Chapter);
        BindInt(db, question.get(), 3, q.Type);
        BindText(db, question.get(), 4, cipher.Encipher(q.Text, what));
        for (int k = 0; k < 4; ++k) {
            const std::string option = k < static_cast<int>(q.Options.size()) ? q.Options[k] : std::string();
            BindText(db, question.get(), 5 + k, cipher.Encipher(option, what));
        }
        BindText(db, question.get(), 9, cipher.Encipher(q.Answer, what));
        if (!q.Picture.empty()) {
            const std::string bytes = ReadQuestionPicture(q.Picture, q.Id);
            if (sqlite3_bind_blob(question.get(), 10, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT) !=
                SQLITE_OK) {
                Fail(db, "cannot bind a picture");
            }
        }
        Step(db, question.get());
    }

    Stmt key = Prepare(db, "INSERT INTO Sys_KeyCfg (ID, KeyCode, KeyValues) VALUES (?, ?, ?)");
    for (const KeySlot& k : source.Keys) {
        BindInt(db, key.get(), 1, k.Id);
        if (k.Code) {
            BindText(db, key.get(), 2, std::to_string(*k.Code));
        }
        BindText(db, key.get(), 3, k.Name);
        Step(db, key.get());
    }
}

// Steps a query: true on a row, false at its end; a read error (a damaged file) raises.
bool NextRow(sqlite3* db, sqlite3_stmt* stmt)
{
    const int rc = sqlite3_step(stmt);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        Fail(db, "cannot read the bank");
    }
    return rc == SQLITE_ROW;
}

std::string ColumnText(sqlite3_stmt* stmt, int column)
{
    const unsigned char* text = sqlite3_column_text(stmt, column);
    return text != nullptr ? std::string(reinterpret_cast<const char*>(text)) : std::string();
}

std::string TypeName(int type)
{
    switch (type) {
    case 1:
        return "判断题";
    case 2:
        return "单选题";
    case 3:
        return "多选题";
    default:
        return "类型" + std::to_string(type);
    }
}

// Removes the temporary files that builds of `out` killed midway left (each as large as a bank).
// A running build's file is left alone.
void RemoveKilledBuilds(const std::filesystem::path& out)
{
    const std::string prefix = out.filename().string() + ".building-";
    const std::filesystem::path folder = out.has_parent_path() ? out.parent_path() : std::filesystem::path(".");
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) {
            continue;
        }
        long long pid = 0;
        const char* digits = name.data() + prefix.size();
        const auto [stop, error] = std::from_chars(digits, name.data() + name.size(), pid);
        if (error != std::errc() || stop != name.data() + name.size() || pid <= 0) {
            continue;
        }
        const bool running =
            pid <= std::numeric_limits<pid_t>::max() && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH);
        if (!running) {
            std::error_code ignored;
            std::filesystem::remove(it->path(), ignored);
        }
    }
}

} // namespace

void Build(const Source& source, const std::filesystem::path& out)
{
    RemoveKilledBuilds(out);
    std::filesystem::path temp = out;
    temp += ".building-" + std::to_string(::getpid());
    std::error_code ignored;
    std::filesystem::remove(temp, ignored);
    try {
        {
            Db db = OpenKeyed(temp, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
            Exec(db.get(), "BEGIN;");
            Exec(db.get(), kSchema);
            WriteContent(db.get(), source);
            Exec(db.get(), "COMMIT;");
            if (sqlite3_close(db.get()) != SQLITE_OK) {
                Fail(db.get(), "cannot close " + temp.string());
            }
            static_cast<void>(db.release());
        }
        std::filesystem::rename(temp, out);
    } catch (const std::filesystem::filesystem_error& e) {
        std::filesystem::remove(temp, ignored);
        throw BankError(std::string("cannot write ") + out.string() + ": " + e.code().message());
    } catch (...) {
        std::filesystem::remove(temp, ignored);
        throw;
    }
}

std::string List(const std::filesystem::path& bank)
{
    if (!std::filesystem::is_regular_file(bank)) {
        throw BankError("no bank file " + bank.string());
    }
    Db db = OpenKeyed(bank, SQLITE_OPEN_READONLY);
    // The key is checked at the first read: a wrong password or a file that is no bank fails here.
    Stmt probe = Prepare(db.get(), "SELECT count(*) FROM sqlite_master");
    if (sqlite3_step(probe.get()) != SQLITE_ROW) {
        Fail(db.get(), bank.string() + " is not a question bank");
    }

    TextCipher cipher;
    const auto plain = [&cipher](const std::string& stored) {
        return cipher.Decipher(stored).value_or("<无法解密: " + stored + ">");
    };
    std::ostringstream out;

    Stmt chapters = Prepare(db.get(), "SELECT ChapterID, ChapterName FROM Exam_ThemeChapter ORDER BY ChapterID");
    out << "章节:\n";
    while (NextRow(db.get(), chapters.get())) {
        out << "  " << sqlite3_column_int(chapters.get(), 0) << " " << ColumnText(chapters.get(), 1) << "\n";
    }

    Stmt models = Prepare(db.get(), "SELECT ApplyType, ModelStatus, Model, ExamTime FROM Exam_Model");
    Stmt quotas = Prepare(db.get(), "SELECT ThemeChapter, ThemeType, ThemeFraction, SelectContent FROM "
                                    "Exam_MContent WHERE Model = ? ORDER BY rowid");
    out << "考试模板:\n";
    while (NextRow(db.get(), models.get())) {
        const std::string model = ColumnText(models.get(), 2);
        out << "  模板 " << model << " " << ColumnText(models.get(), 0)
            << (sqlite3_column_int(models.get(), 1) == 1 ? " 启用" : " 停用") << " 考试时间 "
            << sqlite3_column_int(models.get(), 3) << " 分钟\n";
        BindText(db.get(), quotas.get(), 1, model);
        int count = 0;
        double points = 0;
        while (NextRow(db.get(), quotas.get())) {
            const double each = sqlite3_column_double(quotas.get(), 2);
            const int n = sqlite3_column_int(quotas.get(), 3);
            out << "    章节 " << sqlite3_column_int(quotas.get(), 0) << " "
                << TypeName(sqlite3_column_int(quotas.get(), 1)) << " 每题 " << ColumnText(quotas.get(), 2) << " 分 "
                << n << " 题\n";
            count += n;
            points += each * n;
        }
        sqlite3_reset(quotas.get());
        out << "    合计 " << count << " 题 " << points << " 分\n";
    }

    Stmt questions = Prepare(db.get(), "SELECT ThemeID, ThemeChapter, ThemeType, ThemeContent, ThemeAnswer1, "
                                       "ThemeAnswer2, ThemeAnswer3, ThemeAnswer4, ThemeAnswer, "
                                       "length(ThemeImage) FROM Exam_Theme ORDER BY ThemeID");
    out << "试题:\n";
    while (NextRow(db.get(), questions.get())) {
        sqlite3_stmt* q = questions.get();
        out << "  [" << sqlite3_column_int(q, 0) << "] 章节 " << sqlite3_column_int(q, 1) << " "
            << TypeName(sqlite3_column_int(q, 2)) << "\n";
        out << "    " << plain(ColumnText(q, 3)) << "\n";
        for (int k = 0; k < 4; ++k) {
            const std::string option = plain(ColumnText(q, 4 + k));
            if (!option.empty()) {
                out << "    " << (k + 1) << " 、" << option << "\n";
            }
        }
        out << "    答案: " << plain(ColumnText(q, 8)) << "\n";
        if (sqlite3_column_type(q, 9) != SQLITE_NULL) {
            out << "    图片: " << sqlite3_column_int(q, 9) << " 字节\n";
        }
    }

    Stmt keys = Prepare(db.get(), "SELECT ID, KeyCode, KeyValues FROM Sys_KeyCfg ORDER BY ID");
    out << "按键:\n";
    while (NextRow(db.get(), keys.get())) {
        out << "  " << sqlite3_column_int(keys.get(), 0) << " "
            << (sqlite3_column_type(keys.get(), 1) == SQLITE_NULL ? std::string("(无)") : ColumnText(keys.get(), 1))
            << " " << ColumnText(keys.get(), 2) << "\n";
    }
    return out.str();
}

} // namespace Bank
