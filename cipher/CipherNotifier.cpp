#include "CipherNotifier.h"

#include "CodePage.h"

#include <iostream>
#include <string>
#include <utility>

namespace {

void WriteToStandardError(std::u16string_view text)
{
    std::cerr << CodePage::ToUtf8(text) << '\n';
}

CipherNotifier& Installed()
{
    static CipherNotifier notifier = WriteToStandardError;
    return notifier;
}

} // namespace

CipherNotifier SetCipherNotifier(CipherNotifier notifier)
{
    if (!notifier) {
        notifier = WriteToStandardError;
    }
    return std::exchange(Installed(), std::move(notifier));
}

void CipherNotify(std::u16string_view text)
{
    Installed()(text);
}
