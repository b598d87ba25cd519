#include "BankSource.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

namespace Bank {

namespace {

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
        mSource.Keys = DefaultKeySlots();
        std::size_t pos = 0;
        if (mText.substr(0, 3) == "\xEF\xBB\xBF") {
            pos = 3;
        }
        while (pos <= mText.size()) {
            const std::size_t end = std::min(mText.find('\n', pos), mText.size());
            ++mLine;
            HandleLine(Trim(mText.substr(pos, end - pos)));
            pos = end + 1;
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

    double ToNumber(std::string_view value, const std::string& what) const
    {
        value = Trim(value);
        double result = 0;
        const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), result);
        if (value.empty() || ec != std::errc() || end != value.data() + value.size()) {
            Fail(what + " is not a number: \"" + std::string(value) + "\"");
        }
        return result;
    }

    void HandleLine(std::string_view line)
    {
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
        } else if (key == "status") {
            mModel.Status = ToInt(value, "model status");
        } else if (key == "time") {
            mModel.ExamTime = ToInt(value, "exam time");
        } else if (key == "quota") {
            std::istringstream fields{std::string(value)};
            const std::vector<std::string> parts{std::istream_iterator<std::string>(fields),
                                                 std::istream_iterator<std::string>()};
            if (parts.size() != 4) {
                Fail("a quota is \"<chapter> <type> <points> <count>\"");
            }
            mModel.Quotas.push_back(Quota{ToInt(parts[0], "quota chapter"), ToInt(parts[1], "quota type"),
                                          ToNumber(parts[2], "quota points"), ToInt(parts[3], "quota count")});
        } else {
            Fail("unknown model key \"" + std::string(key) + "\"");
        }
    }

    void QuestionKey(std::string_view key, std::string_view value)
    {
        if (key == "id") {
            mQuestion.Id = ToInt(value, "question id");
            mQuestionIdGiven = true;
        } else if (key == "chapter") {
            mQuestion.Chapter = ToInt(value, "chapter");
        } else if (key == "type") {
            mQuestion.Type = ToInt(value, "question type");
        } else if (key == "text") {
            mQuestion.Text = value;
        } else if (key == "option") {
            if (mQuestion.Options.size() == 4) {
                Fail("a question has at most four options");
            }
            mQuestion.Options.emplace_back(value);
        } else if (key == "answer") {
            mQuestion.Answer = value;
        } else if (key == "picture") {
            mQuestion.Picture = value.empty() ? std::filesystem::path() : mBaseDir / std::filesystem::path(value);
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
        mSource.Models.push_back(mModel);
    }

    void FinishQuestion()
    {
        Question& q = mQuestion;
        if (!mQuestionIdGiven) {
            q.Id = mNextQuestionId;
        }
        if (q.Id <= 0 || !mQuestionIds.insert(q.Id).second) {
            Fail("question id " + std::to_string(q.Id) + " is not positive or given twice", mSectionLine);
        }
        mNextQuestionId = std::max(mNextQuestionId, q.Id + 1);
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
    int mNextQuestionId = 1;
    std::set<int> mQuestionIds;
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

} // namespace Bank
