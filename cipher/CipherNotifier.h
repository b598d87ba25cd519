#pragma once

#include <functional>
#include <string_view>

// The cipher's message boxes (one OK button, the application's default title). The cipher has no
// user interface of its own: it hands each message to the installed notifier and carries on once
// the notifier returns. The default notifier writes the text and a line feed to standard error;
// the application installs one that shows the platform's message box, tests one that records.
using CipherNotifier = std::function<void(std::u16string_view text)>;

// Installs `notifier` (an empty one restores the default) and returns the one it replaces.
CipherNotifier SetCipherNotifier(CipherNotifier notifier);

// Shows `text` through the installed notifier.
void CipherNotify(std::u16string_view text);
