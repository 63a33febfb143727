#pragma once

#include <QString>
#include <QVariant>
#include <stdexcept>
#include <vector>

namespace exchange {

// A table of the earlier version that cannot be read, or an import that
// cannot go on; the message is what the user sees.
class LegacyError : public std::runtime_error {
public:
    explicit LegacyError(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};

struct LegacyField {
    QString name;
    int type = 0;  // a ParadoxType
    int size = 0;
    int decimals = 0;
};

// The rows of one table, each value typed as its field (text QString, date
// QDate, integers qlonglong, numbers double, logical bool, time QTime,
// timestamp QDateTime, BCD its decimal text, bytes QByteArray) or null when
// empty. Read back from a dump every value is text.
struct LegacyTable {
    QString file;
    int codePage = 437;
    std::vector<LegacyField> fields;
    std::vector<std::vector<QVariant>> rows;

    // Paradox field names ignore letter case; -1 when there is no such field.
    int fieldIndex(const QString& name) const;
};

}  // namespace exchange
