#include "MsgBoxAnswers.h"

namespace qkmtest {

namespace {

std::vector<MessageBoxRequest>& Unexpected()
{
    static std::vector<MessageBoxRequest> boxes;
    return boxes;
}

} // namespace

void InstallFallbackMsgBoxResponder()
{
    SetMsgBoxResponder([](const MessageBoxRequest& request) {
        Unexpected().push_back(request);
        return DefaultMsgBoxResult(request.Buttons);
    });
}

std::vector<MessageBoxRequest> TakeUnexpectedBoxes()
{
    std::vector<MessageBoxRequest> boxes;
    boxes.swap(Unexpected());
    return boxes;
}

MsgBoxAnswers::MsgBoxAnswers()
{
    mPrevious = SetMsgBoxResponder([this](const MessageBoxRequest& request) {
        mShown.push_back(request);
        if (mAnswers.empty()) {
            return DefaultMsgBoxResult(request.Buttons);
        }
        const int answer = mAnswers.front();
        mAnswers.pop_front();
        return answer;
    });
}

MsgBoxAnswers::~MsgBoxAnswers()
{
    SetMsgBoxResponder(std::move(mPrevious));
}

MsgBoxAnswers& MsgBoxAnswers::Next(int result)
{
    mAnswers.push_back(result);
    return *this;
}

} // namespace qkmtest
