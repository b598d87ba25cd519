#pragma once

#include "BankSource.h"

#include <filesystem>
#include <string>

// Writes and reads question-bank files: SQLCipher databases keyed with the bank password, with the
// tables the program reads and writes and every question text in stored cipher text.
namespace Bank {

// Builds the bank of `source` at `out`. The file is written under a temporary name beside `out` and
// renamed over it only when complete, so a failed build leaves no half-written bank and keeps an
// existing one; temporary files of builds killed midway are removed first. Throws BankError.
void Build(const Source& source, const std::filesystem::path& out);

// A readable listing of a bank, texts deciphered (UTF-8): chapters, exam models with their quotas,
// questions with chapter, type, options and answer, and the key slots. Throws BankError for a file
// that is missing, not a bank, or keyed with another password.
std::string List(const std::filesystem::path& bank);

} // namespace Bank
