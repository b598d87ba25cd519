#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// The readable source of a question bank and its parser. Texts are UTF-8 here; the builder turns
// them into the bank's stored forms.
//
// Source format (UTF-8, one "key = value" per line, sections in brackets, "#" starts a comment
// line, blank lines ignored; a section may occur any number of times):
//
//   [chapter]   id = 1            name = 职业道德、法规A模块
//   [model]     trade = 钣金（车身修复）技术人员   model = 1   status = 1   time = 60
//               quota = <chapter> <type> <points> <count>      (repeatable, kept in order)
//   [question]  id = 7 (optional)  chapter = 1   type = 1..3   text = ...
//               option = ...  (up to four, in order; a true/false question without options gets 正确 / 错误)
//               answer = 13   (option digits, 1-based)         picture = pictures/x.png (relative to the source)
//   [key]       id = 1..12    code = 65 (empty: no key)        name = A
//
// Without [chapter] sections the bank gets the three competition modules; key slots not given keep
// their defaults.
namespace Bank {

// A source or bank that cannot be used; the text names the file and line where there is one.
class BankError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Line numbers are 1-based lines of the source, 0 where a value was not given there.
struct Chapter {
    int Id = 0;
    std::string Name;
    int Line = 0; // of its id
};

struct Quota {
    int Chapter = 0;
    int Type = 0;
    double Points = 0;
    int Count = 0;
    int Line = 0;
};

struct ExamModel {
    std::string Trade;
    std::string Model; // text holding a whole number, the key of the quotas
    int Status = 1;
    int ExamTime = 0; // minutes
    std::vector<Quota> Quotas;
    int Line = 0; // of its section header
    int ModelLine = 0;
    int TimeLine = 0;
};

struct Question {
    int Id = 0;
    int Chapter = 0;
    int Type = 0; // 1 true/false, 2 single choice, 3 multiple choice
    std::string Text;
    std::vector<std::string> Options; // at most four
    std::string Answer;               // option digits in ascending order
    std::filesystem::path Picture;    // empty for none; absolute after parsing
    int Line = 0;                     // of its section header
    int ChapterLine = 0;
};

struct KeySlot {
    int Id = 0;
    std::optional<int> Code; // no value: the slot holds no key
    std::string Name;
};

struct Source {
    std::string Origin; // the source's name in messages
    std::vector<Chapter> Chapters;
    std::vector<ExamModel> Models;
    std::vector<Question> Questions;
    std::vector<KeySlot> Keys; // always the twelve slots, IDs 1 to 12 in order
};

// The twelve slots with their default keys.
std::vector<KeySlot> DefaultKeySlots();
// The three competition modules.
std::vector<Chapter> DefaultChapters();

// Parses source text (lines end in CR LF, LF or CR); pictures are resolved against baseDir. `origin`
// names the text in messages. Refuses, besides mistakes of form, a NUL character anywhere; a question
// text or option outside code page 936 (it could not be enciphered as the program deciphers it) or
// of 65536 characters or more as the program reads it back (it would keep the text it showed
// before); a question id outside 1 to 2147483647; and a picture that is missing, empty or not a
// regular file (a link to one is fine).
Source ParseSource(std::string_view text, const std::filesystem::path& baseDir, const std::string& origin = "source");
Source ParseSourceFile(const std::filesystem::path& file);

// Reads a picture into *bytes (only looks when bytes is null) without ever waiting on a FIFO.
// Returns what is wrong with the file ("does not exist", "is a folder", "is empty", ...), or the
// empty text when it is a readable, non-empty regular file.
std::string ReadPicture(const std::filesystem::path& file, std::string* bytes);

// Refuses a source whose bank the program would refuse or misread (the tests build such banks on
// purpose, qkm-bank never does): no question or no active model; chapters not numbered 1 to n (the
// program counts them); a question or quota of a chapter not listed; a quota type other than 1 to
// 3; two models of one id (their quotas would merge); a model id that is not a whole number; quota
// points beyond the score's 16 bits; and, for every model, active or not (a model is made active in
// the bank without qkm-bank), an exam time outside 1 to 546 minutes, no quota, a quota asking for
// fewer than one or more questions than its chapter and type hold, or a paper whose points overflow
// the 16-bit score. Throws BankError "origin:line: what is wrong". Returns warnings, each
// "origin: what": a trade the program offers that has no active model, so gets no paper.
std::vector<std::string> CheckSource(const Source& source);

} // namespace Bank
