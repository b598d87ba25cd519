#pragma once

#include <QString>

#include <stdexcept>

// A runtime error as the program's procedures raise and trap it: a number and a description.
// Database failures, file failures and the program's own raised errors all travel as this type;
// an untrapped one reaches the one guard at event dispatch, which shows it and ends the program.
class RuntimeError : public std::runtime_error {
public:
    RuntimeError(long number, const QString& description)
        : std::runtime_error(description.toStdString()), mNumber(number), mDescription(description)
    {
    }

    long Number() const noexcept { return mNumber; }
    const QString& Description() const noexcept { return mDescription; }

private:
    long mNumber;
    QString mDescription;
};
