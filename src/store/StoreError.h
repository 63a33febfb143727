#pragma once

#include <QString>
#include <stdexcept>

namespace store {

// Every failing store operation throws this; the message is what the user sees.
class StoreError : public std::runtime_error {
public:
    explicit StoreError(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};

// Another program kept the database locked for longer than the busy timeout.
// The operation changed nothing.
class BusyError : public StoreError {
public:
    using StoreError::StoreError;
};

// A write would have stored a second row under a key that is taken.
class KeyViolation : public StoreError {
public:
    using StoreError::StoreError;
};

}  // namespace store
