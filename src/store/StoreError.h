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

// The server could not be reached, refused the connection or lost it part-way:
// the command in progress changed nothing.
class ServerError : public StoreError {
public:
    using StoreError::StoreError;
};

// Another user changed the row since it was read: the post was refused and
// nothing of it was written.
class ConflictError : public StoreError {
public:
    using StoreError::StoreError;
};

// The refusal's words for a row of `table`.
inline QString conflictMessage(const QString& table) {
    const QString what = table.compare(QLatin1String("Design"), Qt::CaseInsensitive) == 0 || table.isEmpty()
                             ? QStringLiteral("design")
                             : QStringLiteral("record (%1)").arg(table);
    return QStringLiteral("Another user changed this %1 since you opened it; your change was not saved").arg(what);
}

}  // namespace store
