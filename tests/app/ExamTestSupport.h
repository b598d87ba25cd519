#pragma once

// Shared by the tests of the exam screen, the scoring and the results: a bank with questions of
// every type (one with a picture, one whose picture bytes are no picture, one with ampersands),
// papers written straight into the bank, stored answers, and the driving of modal forms and timers.

#include "FormTestSupport.h"

#include <Form.h>

#include <QString>

#include <functional>
#include <memory>
#include <ostream>
#include <vector>

// Readable QString values in the failure messages of the tests that include this header.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace qkmtest {

// Question ids of ExamBankSource: 1-20 true/false (chapter 1, right answer 1 for odd ids, 2 for even
// ones), 21-40 single choice (chapter 2, right answer id % 4 + 1), 41-60 multiple choice (chapter 2,
// right answer "134" for odd ids, "24" for even ones), then chapter 3: a single choice with a
// picture, one whose picture is no picture, one with "&" in its texts, a true/false question.
constexpr int kPictureQuestion = 61;
constexpr int kBrokenPictureQuestion = 62;
constexpr int kAmpersandQuestion = 63;
constexpr int kChapter3TrueFalse = 64;
inline const QString kPaperId = QStringLiteral("20240102030405");

Bank::Source ExamBankSource();
// The right answer of a question of ExamBankSource.
QString RightAnswer(int themeId);

// Replaces the paper: entry i (1-based) asks themeIds[i - 1] for `points`, with the question's stored
// right answer; STheme.cfg gets the exam time and the paper id.
void MakePaper(const BankFixture& fixture, const std::vector<int>& themeIds, int examMinutes,
               const QString& paperId = kPaperId, int points = 1);
// The first n questions of the bank as a paper.
std::vector<int> FirstQuestions(int n);

// An answer text in stored form under the question-bank key.
QString Stored(const QString& plain);
// StudentAnswer of a paper entry as stored; "<Null>" for Null.
QString StudentAnswerOf(const BankFixture& fixture, int examId);
int StudentDfOf(const BankFixture& fixture, int examId);

// Shows the exam screen in `mode` through the error guard, as the main menu does.
Form& OpenExam(int mode);

// Counts how often the form's window is shown while the counter lives.
class ShowCounter {
public:
    explicit ShowCounter(Form& form);
    ~ShowCounter();
    ShowCounter(const ShowCounter&) = delete;
    ShowCounter& operator=(const ShowCounter&) = delete;
    int Count() const;

private:
    class Filter;
    std::unique_ptr<Filter> mFilter;
};

// Raises a timer's Tick through the error guard, as the timer would: the real handler runs.
void RaiseTick(Form& form, const QString& timerName, int times = 1);

// Caption of a label (or a label array element) of a form.
QString Caption(Form& form, const QString& name, int index = -1);

} // namespace qkmtest
