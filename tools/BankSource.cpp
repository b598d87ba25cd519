#include "BankSource.h"

#include "CodePage.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <system_error>

namespace Bank {

namespace {

// The program assigns a deciphered text only when it is shorter than this many characters.
constexpr std::size_t kProgramTextLimit = 65536;
// Stored texts are enciphered in 256-bit blocks, the last one padded with zero bytes.
constexpr std::size_t kCipherBlockBytes = 32;
// Question ids are Long in the bank the program was made for.
constexpr std::int64_t kMaxQuestionId = 2147483647;

// Why a file of this mode is no picture; nullptr for a regular file.
const char* NotARegularFile(mode_t mode)
{
    if (S_ISREG(mode)) {
        return nullptr;
    }
    if (S_ISDIR(mode)) {
        return "is a folder";
    }
    if (S_ISFIFO(mode)) {
        return "is a FIFO, not a regular file";
    }
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return "is a device, not a regular file";
    }
    return "is not a regular file";
}

std::string ReadError()
{
    return std::string("cannot be read: ") + std::strerror(errno);
}

class FdCloser {
public:
    explicit FdCloser(int fd) : mFd(fd) {}
    ~FdCloser() { ::close(mFd); }
    FdCloser(const FdCloser&) = delete;
    FdCloser& operator=(const FdCloser&) = delete;

private:
    int mFd;
};

std::string_view Trim(std::string_view s)
{
    const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && isBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && isBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

class Parser {
public:
    Parser(std::string_view text, const std::filesystem::path& baseDir, const std::string& origin)
        : mText(text), mBaseDir(baseDir), mOrigin(origin)
    {
    }

    Source Run()
    {
        mSource.Origin = mOrigin;
        mSource.Keys = DefaultKeySlots();
        std::size_t pos = 0;
        if (mText.substr(0, 3) == "\xEF\xBB\xBF") {
            pos = 3;
        }
        // Lines end in CR LF, LF or CR alone, as the program's ini files are read: a source saved
        // with CR alone is not one long line.
        while (pos <= mText.size()) {
            const std::size_t end = std::min(mText.find_first_of("\r\n", pos), mText.size());
            ++mLine;
            HandleLine(Trim(mText.substr(pos, end - pos)));
            pos = end + (mText.substr(end, 2) == "\r\n" ? 2 : 1);
        }
        FinishSection();
        if (!mChaptersGiven) {
            mSource.Chapters = DefaultChapters();
        }
        return std::move(mSource);
    }

private:
    enum class Section { None, Chapter, Model, Question, Key };

    [[noreturn]] void Fail(const std::string& message, int line = 0) const
    {
        throw BankError(mOrigin + ":" + std::to_string(line != 0 ? line : mLine) + ": " + message);
    }

    int ToInt(std::string_view value, const std::string& what) const
    {
        value = Trim(value);
        int result = 0;
        const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), result);
        if (value.empty() || ec != std::errc() || end != value.data() + value.size()) {
            Fail(what + " is not a whole number: \"" + std::string(value) + "\"");
        }
        return result;
    }

    std::int64_t ToId(std::string_view value) const
    {
        value = Trim(value);
        std::int64_t result = 0;
        const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), result);
        if (value.empty() || end != value.data() + value.size() ||
            (ec != std::errc() && ec != std::errc::result_out_of_range)) {
            Fail("question id is not a whole number: \"" + std::string(value) + "\"");
        }
        if (ec != std::errc() || result < 1 || result > kMaxQuestionId) {
            Fail("question id " + std::string(value) + " is not 1 to " + std::to_string(kMaxQuestionId));
        }
        return result;
    }

    double ToNumber(std::string_view value, const std::string& what) const
    {
        value = Trim(value);
        double result = 0;
        const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), result);
        if (value.empty() || ec != std::errc() || end != value.data() + value.size() || !std::isfinite(result)) {
            Fail(what + " is not a number: \"" + std::string(value) + "\"");
        }
        return result;
    }

    // Question texts are enciphered as code page 936 bytes; a character outside it would come back
    // as "?" (a text that is not UTF-8 at all, likewise). The exam screen assigns the deciphered
    // text, the zero bytes that pad it to whole cipher blocks included, only when it is shorter than
    // kProgramTextLimit characters; a longer one would leave the previous question's text in its place.
    void RequireProgramText(std::string_view value, const std::string& what) const
    {
        const std::u16string text = CodePage::FromUtf8(value);
        std::string bytes = CodePage::ToAnsiString(text);
        if (CodePage::FromAnsi(bytes) != text) {
            Fail(what + " holds characters outside code page 936: " + std::string(value));
        }
        bytes.resize((bytes.size() + kCipherBlockBytes - 1) / kCipherBlockBytes * kCipherBlockBytes, '\0');
        const std::size_t read = CodePage::FromAnsi(bytes).size();
        if (read >= kProgramTextLimit) {
            Fail(what + " is " + std::to_string(read) + " characters as the program reads it (padding included); " +
                 "it shows only texts below " + std::to_string(kProgramTextLimit));
        }
    }

    std::filesystem::path Picture(std::string_view value) const
    {
        if (value.empty()) {
            return {};
        }
        const std::filesystem::path file = mBaseDir / std::filesystem::path(value);
        if (const std::string problem = ReadPicture(file, nullptr); !problem.empty()) {
            Fail("picture " + std::string(value) + " " + problem);
        }
        return file;
    }

    void HandleLine(std::string_view line)
    {
        // A NUL would be enciphered as it is and end the text early on the exam screen; in a source
        // of text it means a file that is not UTF-8 (UTF-16, say) or a damaged one.
        if (line.find('\0') != std::string_view::npos) {
            Fail("the line holds a NUL character; the source must be UTF-8 text");
        }
        if (line.empty() || line.front() == '#') {
            return;
        }
        if (line.front() == '[') {
            if (line.back() != ']') {
                Fail("section header without \"]\"");
            }
            FinishSection();
            const std::string_view name = Trim(line.substr(1, line.size() - 2));
            mSectionLine = mLine;
            if (name == "chapter") {
                mSection = Section::Chapter;
                mChapter = Chapter{};
                mChaptersGiven = true;
            } else if (name == "model") {
                mSection = Section::Model;
                mModel = ExamModel{};
            } else if (name == "question") {
                mSection = Section::Question;
                mQuestion = Question{};
                mQuestionIdGiven = false;
            } else if (name == "key") {
                mSection = Section::Key;
                mKey = KeySlot{};
            } else {
                Fail("unknown section [" + std::string(name) + "]");
            }
            return;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            Fail("expected \"key = value\"");
        }
        const std::string_view key = Trim(line.substr(0, equals));
        const std::string_view value = Trim(line.substr(equals + 1));
        switch (mSection) {
        case Section::None:
            Fail("\"" + std::string(key) + "\" outside a section");
        case Section::Chapter:
            ChapterKey(key, value);
            break;
        case Section::Model:
            ModelKey(key, value);
            break;
        case Section::Question:
            QuestionKey(key, value);
            break;
        case Section::Key:
            KeyKey(key, value);
            break;
        }
    }

    void ChapterKey(std::string_view key, std::string_view value)
    {
        if (key == "id") {
            mChapter.Id = ToInt(value, "chapter id");
            mChapter.Line = mLine;
        } else if (key == "name") {
            mChapter.Name = value;
        } else {
            Fail("unknown chapter key \"" + std::string(key) + "\"");
        }
    }

    void ModelKey(std::string_view key, std::string_view value)
    {
        if (key == "trade") {
            mModel.Trade = value;
        } else if (key == "model") {
            mModel.Model = value;
            mModel.ModelLine = mLine;
        } else if (key == "status") {
            mModel.Status = ToInt(value, "model status");
        } else if (key == "time") {
            mModel.ExamTime = ToInt(value, "exam time");
            mModel.TimeLine = mLine;
        } else if (key == "quota") {
            std::istringstream fields{std::string(value)};
            const std::vector<std::string> parts{std::istream_iterator<std::string>(fields),
                                                 std::istream_iterator<std::string>()};
            if (parts.size() != 4) {
                Fail("a quota is \"<chapter> <type> <points> <count>\"");
            }
            mModel.Quotas.push_back(Quota{ToInt(parts[0], "quota chapter"), ToInt(parts[1], "quota type"),
                                          ToNumber(parts[2], "quota points"), ToInt(parts[3], "quota count"), mLine});
        } else {
            Fail("unknown model key \"" + std::string(key) + "\"");
        }
    }

    void QuestionKey(std::string_view key, std::string_view value)
    {
        if (key == "id") {
            mQuestion.Id = static_cast<int>(ToId(value));
            mQuestionIdGiven = true;
        } else if (key == "chapter") {
            mQuestion.Chapter = ToInt(value, "chapter");
            mQuestion.ChapterLine = mLine;
        } else if (key == "type") {
            mQuestion.Type = ToInt(value, "question type");
        } else if (key == "text") {
            RequireProgramText(value, "text");
            mQuestion.Text = value;
        } else if (key == "option") {
            if (mQuestion.Options.size() == 4) {
                Fail("a question has at most four options");
            }
            RequireProgramText(value, "option");
            mQuestion.Options.emplace_back(value);
        } else if (key == "answer") {
            mQuestion.Answer = value;
        } else if (key == "picture") {
            mQuestion.Picture = Picture(value);
        } else {
            Fail("unknown question key \"" + std::string(key) + "\"");
        }
    }

    void KeyKey(std::string_view key, std::string_view value)
    {
        if (key == "id") {
            mKey.Id = ToInt(value, "key slot id");
        } else if (key == "code") {
            if (value.empty()) {
                mKey.Code.reset();
            } else {
                mKey.Code = ToInt(value, "key code");
            }
        } else if (key == "name") {
            mKey.Name = value;
        } else {
            Fail("unknown key-slot key \"" + std::string(key) + "\"");
        }
    }

    void FinishSection()
    {
        switch (mSection) {
        case Section::None:
            break;
        case Section::Chapter:
            FinishChapter();
            break;
        case Section::Model:
            FinishModel();
            break;
        case Section::Question:
            FinishQuestion();
            break;
        case Section::Key:
            FinishKey();
            break;
        }
        mSection = Section::None;
    }

    void FinishChapter()
    {
        if (mChapter.Id <= 0) {
            Fail("a chapter needs an id of 1 or more", mSectionLine);
        }
        for (const Chapter& other : mSource.Chapters) {
            if (other.Id == mChapter.Id) {
                Fail("chapter " + std::to_string(mChapter.Id) + " given twice", mSectionLine);
            }
        }
        mSource.Chapters.push_back(mChapter);
    }

    void FinishModel()
    {
        if (mModel.Trade.empty() || mModel.Model.empty()) {
            Fail("a model needs a trade and a model id", mSectionLine);
        }
        mModel.Line = mSectionLine;
        mSource.Models.push_back(mModel);
    }

    void FinishQuestion()
    {
        Question& q = mQuestion;
        if (!mQuestionIdGiven) {
            if (mNextQuestionId > kMaxQuestionId) {
                Fail("question id " + std::to_string(mNextQuestionId) + " (the one after the highest) is not 1 to " +
                         std::to_string(kMaxQuestionId),
                     mSectionLine);
            }
            q.Id = static_cast<int>(mNextQuestionId);
        }
        if (!mQuestionIds.insert(q.Id).second) {
            Fail("question id " + std::to_string(q.Id) + " is given twice", mSectionLine);
        }
        mNextQuestionId = std::max(mNextQuestionId, std::int64_t{q.Id} + 1);
        if (q.Chapter <= 0) {
            Fail("a question needs a chapter of 1 or more", mSectionLine);
        }
        if (q.Type < 1 || q.Type > 3) {
            Fail("question type must be 1, 2 or 3", mSectionLine);
        }
        if (q.Text.empty()) {
            Fail("a question needs a text", mSectionLine);
        }
        if (q.Type == 1 && q.Options.empty()) {
            q.Options = {"正确", "错误"};
        }
        std::string digits = q.Answer;
        std::sort(digits.begin(), digits.end());
        const bool distinct = std::adjacent_find(digits.begin(), digits.end()) == digits.end();
        const bool single = q.Type != 3;
        if (digits.empty() || !distinct || (single && digits.size() != 1)) {
            Fail(single ? "the answer must be one option digit" : "the answer must be distinct option digits",
                 mSectionLine);
        }
        for (const char digit : digits) {
            const int option = digit - '0';
            if (option < 1 || option > static_cast<int>(q.Options.size()) || q.Options[option - 1].empty()) {
                Fail("answer digit " + std::string(1, digit) + " names no option", mSectionLine);
            }
        }
        q.Answer = digits;
        q.Line = mSectionLine;
        mSource.Questions.push_back(std::move(q));
    }

    void FinishKey()
    {
        if (mKey.Id < 1 || mKey.Id > 12) {
            Fail("key slot id must be 1 to 12", mSectionLine);
        }
        if (mKey.Code && (*mKey.Code < 0 || *mKey.Code > 255)) {
            Fail("key code must be 0 to 255", mSectionLine);
        }
        if (!mKey.Code) {
            mKey.Name.clear();
        }
        mSource.Keys[mKey.Id - 1] = mKey;
    }

    std::string_view mText;
    std::filesystem::path mBaseDir;
    std::string mOrigin;
    int mLine = 0;
    int mSectionLine = 0;
    Section mSection = Section::None;
    Source mSource;
    bool mChaptersGiven = false;
    Chapter mChapter;
    ExamModel mModel;
    Question mQuestion;
    bool mQuestionIdGiven = false;
    std::int64_t mNextQuestionId = 1;
    std::set<std::int64_t> mQuestionIds;
    KeySlot mKey;
};

} // namespace

std::vector<KeySlot> DefaultKeySlots()
{
    return {
        {1, 65, "A"},      {2, 66, "B"},       {3, 8, "←"},        {4, 103, "Num 7"},
        {5, 105, "Num 9"}, {6, 104, "Num 8"},  {7, 97, "Num 1"},   {8, 98, "Num 2"},
        {9, 99, "Num 3"},  {10, 100, "Num 4"}, {11, 101, "Num 5"}, {12, 102, "Num 6"},
    };
}

std::vector<Chapter> DefaultChapters()
{
    return {{1, "职业道德、法规A模块"}, {2, "车身修复F模块"}, {3, "车身涂装G模块"}};
}

std::string ReadPicture(const std::filesystem::path& file, std::string* bytes)
{
    // Only a regular file (or a link to one) is read: opening a FIFO waits for a writer forever,
    // and a device or folder is no picture.
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0) {
        return errno == ENOENT ? "does not exist" : ReadError();
    }
    if (const char* kind = NotARegularFile(info.st_mode)) {
        return kind;
    }
    // The name may be given to something else between the look and the open: the open does not
    // wait on a FIFO, and what was opened is looked at again.
    const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return ReadError();
    }
    const FdCloser closer(fd);
    if (::fstat(fd, &info) != 0) {
        return ReadError();
    }
    if (const char* kind = NotARegularFile(info.st_mode)) {
        return kind;
    }
    if (info.st_size == 0) {
        return "is empty";
    }
    if (bytes == nullptr) {
        return {};
    }
    bytes->clear();
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return ReadError();
        }
        if (got == 0) {
            break;
        }
        bytes->append(buffer, static_cast<std::size_t>(got));
    }
    return bytes->empty() ? "is empty" : "";
}

Source ParseSource(std::string_view text, const std::filesystem::path& baseDir, const std::string& origin)
{
    return Parser(text, baseDir, origin).Run();
}

Source ParseSourceFile(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        throw BankError("cannot read " + file.string());
    }
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return ParseSource(text, file.parent_path(), file.string());
}

namespace {

// The scoring sums a paper's points in 16 bits.
constexpr double kMinScore = -32768;
constexpr double kMaxScore = 32767;

// The trades the program's trade chooser offers, as it stores them in Exam_Model.ApplyType.
constexpr const char* kChooserTrades[] = {"钣金（车身修复）技术人员", "涂漆（车身涂装）技术人员"};

std::string NumberText(double value)
{
    std::ostringstream text;
    text.precision(15);
    text << value;
    return text.str();
}

} // namespace

std::vector<std::string> CheckSource(const Source& source)
{
    const auto fail = [&source](int line, const std::string& message) {
        throw BankError(source.Origin + ":" + std::to_string(line > 0 ? line : 1) + ": " + message);
    };
    if (source.Questions.empty()) {
        fail(1, "the source holds no question");
    }

    // The program counts the chapter rows and draws chapters 1 to that count.
    std::set<int> chapters;
    for (const Chapter& chapter : source.Chapters) {
        chapters.insert(chapter.Id);
    }
    for (const Chapter& chapter : source.Chapters) {
        if (chapter.Id > static_cast<int>(chapters.size())) {
            fail(chapter.Line, "chapter " + std::to_string(chapter.Id) + " leaves a gap: chapters are numbered 1 to " +
                                   std::to_string(chapters.size()));
        }
    }
    std::map<std::pair<int, int>, int> available; // (chapter, type) -> questions
    for (const Question& question : source.Questions) {
        if (chapters.count(question.Chapter) == 0) {
            fail(question.ChapterLine, "question " + std::to_string(question.Id) + ": chapter " +
                                           std::to_string(question.Chapter) + " is not in the chapter list");
        }
        ++available[{question.Chapter, question.Type}];
    }

    std::map<std::string, int> modelLines; // model id -> line of the model that has it
    bool anyActive = false;
    for (const ExamModel& model : source.Models) {
        int id = 0;
        const char* end = model.Model.data() + model.Model.size();
        const auto [stop, ec] = std::from_chars(model.Model.data(), end, id);
        if (ec != std::errc() || stop != end) {
            fail(model.ModelLine, "model id \"" + model.Model + "\" is not a whole number");
        }
        if (const auto [first, added] = modelLines.emplace(model.Model, model.Line); !added) {
            fail(model.ModelLine,
                 "model id " + model.Model + " is already used by the model at line " + std::to_string(first->second));
        }
        for (const Quota& quota : model.Quotas) {
            if (chapters.count(quota.Chapter) == 0) {
                fail(quota.Line, "quota chapter " + std::to_string(quota.Chapter) + " is not in the chapter list");
            }
            if (quota.Type < 1 || quota.Type > 3) {
                fail(quota.Line, "quota type " + std::to_string(quota.Type) + " is not 1, 2 or 3");
            }
            // Every row is stored, also a second row of a chapter and type that never draws, and
            // whole points as a 64-bit integer: points beyond the score are a mistake in any row.
            if (quota.Points < kMinScore || quota.Points > kMaxScore) {
                fail(quota.Line,
                     "quota points " + NumberText(quota.Points) + " are beyond the score's -32768 to 32767");
            }
        }
        // The program reads only active models, but a model is made active in the bank itself; one
        // that could not give a paper then must not be waiting there.
        anyActive = anyActive || model.Status == 1;
        if (model.ExamTime < 1 || model.ExamTime > 546) {
            fail(model.TimeLine > 0 ? model.TimeLine : model.Line,
                 "exam time " + std::to_string(model.ExamTime) + " is not 1 to 546 minutes");
        }
        if (model.Quotas.empty()) {
            fail(model.Line, "model " + model.Model + " has no quota");
        }
        // Only the first quota row of a chapter and type draws; the scoring sums a paper's points and
        // the exam screen counts its questions in 16 bits.
        std::set<std::pair<int, int>> drawn;
        double gained = 0;
        double lost = 0;
        long questions = 0;
        for (const Quota& quota : model.Quotas) {
            if (!drawn.insert({quota.Chapter, quota.Type}).second) {
                continue;
            }
            if (quota.Count < 1) {
                fail(quota.Line, "a quota asks for 1 question or more");
            }
            const int have = available[{quota.Chapter, quota.Type}];
            if (quota.Count > have) {
                fail(quota.Line, "the quota asks for " + std::to_string(quota.Count) + " questions of chapter " +
                                     std::to_string(quota.Chapter) + ", type " + std::to_string(quota.Type) +
                                     "; the source has " + std::to_string(have));
            }
            (quota.Points > 0 ? gained : lost) += quota.Points * quota.Count;
            questions += quota.Count;
        }
        if (questions > 32767) {
            fail(model.Line, "a paper of model " + model.Model + " holds " + std::to_string(questions) +
                                 " questions, beyond 32767");
        }
        if (std::nearbyint(gained) > kMaxScore || std::nearbyint(lost) < kMinScore) {
            fail(model.Line, "a paper of model " + model.Model + " holds " +
                                 NumberText(std::nearbyint(gained) > kMaxScore ? gained : lost) +
                                 " points, beyond the score's -32768 to 32767");
        }
    }
    if (!anyActive) {
        fail(1, "the source holds no active exam model");
    }
    // A source for one trade only is plausible (a test bank, a trade's own bank), so this is said
    // rather than refused.
    std::vector<std::string> warnings;
    for (const char* trade : kChooserTrades) {
        const bool active = std::any_of(source.Models.begin(), source.Models.end(), [trade](const ExamModel& model) {
            return model.Status == 1 && model.Trade == trade;
        });
        if (!active) {
            warnings.push_back(source.Origin + ": no active exam model for the trade " + trade +
                               ": the program offers it, but a mock exam of it can get no paper");
        }
    }
    return warnings;
}

} // namespace Bank
