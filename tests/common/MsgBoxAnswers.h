#pragma once

#include <MsgBox.h>

#include <deque>
#include <vector>

namespace qkmtest {

// Answers the message boxes shown while it lives ("the next box gets Yes") and records what
// they showed. Boxes beyond the queued answers get their default button. Outside any instance
// the test main answers every box with its default button, so no test ever waits on a box.
class MsgBoxAnswers {
public:
    MsgBoxAnswers();
    ~MsgBoxAnswers();
    MsgBoxAnswers(const MsgBoxAnswers&) = delete;
    MsgBoxAnswers& operator=(const MsgBoxAnswers&) = delete;

    // Queues the answer of the next box (vbYes, vbNo, vbOK, vbCancel...).
    MsgBoxAnswers& Next(int result);
    const std::vector<MessageBoxRequest>& Shown() const { return mShown; }

private:
    std::deque<int> mAnswers;
    std::vector<MessageBoxRequest> mShown;
    MsgBoxResponder mPrevious;
};

// The boxes answered by the test main's fallback since the last call (and forgets them).
std::vector<MessageBoxRequest> TakeUnexpectedBoxes();

} // namespace qkmtest
