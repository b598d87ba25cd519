#include "ProgramRuntime.h"

#include "AppResources.h"

#include <CipherError.h>
#include <QuBootProgres.h>
#include <QuButton.h>
#include <QuXPProgress.h>
#include <Runtime.h>

#include <QString>

#include <exception>
#include <optional>

namespace {

// The cipher knows nothing of the forms runtime, so its errors would reach the error guard as
// unknown exceptions (error 440); the standard box must show the number and text the cipher raised.
std::optional<TrappedError> TranslateCipherError(const std::exception_ptr& error)
{
    try {
        std::rethrow_exception(error);
    } catch (const CipherError& cipherError) {
        return TrappedError{cipherError.Number(), QString::fromStdString(cipherError.Text())};
    } catch (...) {
        return std::nullopt;
    }
}

} // namespace

void InitProgramRuntime()
{
    static const bool initialised = [] {
        InitAppResources();
        QuButton::Register();
        QuXPProgress::Register();
        QuBootProgres::Register();
        RegisterErrorTranslator(TranslateCipherError);
        return true;
    }();
    (void)initialised;
}
