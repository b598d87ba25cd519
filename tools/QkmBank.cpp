// qkm-bank: builds a question-bank file from readable source data, and lists a bank deciphered.
#include "BankBuilder.h"
#include "BankSource.h"

#include <cstring>
#include <iostream>

namespace {

int Usage()
{
    std::cerr << "usage: qkm-bank build <source> <out.DLL>\n"
                 "       qkm-bank list <bank.DLL>\n";
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        return Usage();
    }
    try {
        if (std::strcmp(argv[1], "build") == 0 && argc == 4) {
            const Bank::Source source = Bank::ParseSourceFile(argv[2]);
            for (const std::string& warning : Bank::CheckSource(source)) {
                std::cerr << "qkm-bank: warning: " << warning << "\n";
            }
            Bank::Build(source, argv[3]);
            std::cout << argv[3] << ": " << source.Questions.size() << " questions, " << source.Models.size()
                      << " exam models\n";
            return 0;
        }
        if (std::strcmp(argv[1], "list") == 0 && argc == 3) {
            std::cout << Bank::List(argv[2]);
            return 0;
        }
    } catch (const std::exception& e) {
        std::cerr << "qkm-bank: " << e.what() << "\n";
        return 1;
    }
    return Usage();
}
