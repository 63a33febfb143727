#include "LegacyDump.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <charconv>

namespace exchange {

namespace {

QString shortest(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return QString::fromLatin1(buffer, int(result.ptr - buffer));
}

QString clean(const QString& text, bool escaped) {
    QString s;
    s.reserve(text.size());
    for (const QChar c : text) {
        if (escaped) {
            if (c == QLatin1Char('\\'))
                s += QLatin1String("\\\\");
            else if (c == QLatin1Char('\t'))
                s += QLatin1String("\\t");
            else if (c == QLatin1Char('\n'))
                s += QLatin1String("\\n");
            else if (c == QLatin1Char('\r'))
                s += QLatin1String("\\r");
            else
                s += c;
        } else {
            s += (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r')) ? QLatin1Char(' ') : c;
        }
    }
    return s;
}

QString unescape(QStringView text) {
    QString s;
    s.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != QLatin1Char('\\') || i + 1 == text.size()) {
            s += text[i];
            continue;
        }
        const QChar n = text[++i];
        s += n == QLatin1Char('t') ? QChar(u'\t') : n == QLatin1Char('n') ? QChar(u'\n') : n == QLatin1Char('r') ? QChar(u'\r') : n;
    }
    return s;
}

}  // namespace

QString dumpValue(const QVariant& value) {
    if (!value.isValid() || value.isNull()) return {};
    switch (value.typeId()) {
    case QMetaType::Bool: return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case QMetaType::Double: return shortest(value.toDouble());
    case QMetaType::QDate: return value.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    case QMetaType::QTime: return value.toTime().toString(QStringLiteral("HH:mm:ss"));
    case QMetaType::QDateTime: return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    case QMetaType::QByteArray: return QString::fromLatin1(value.toByteArray().toHex());
    default: return value.toString();
    }
}

void writeDump(const LegacyTable& table, QTextStream& out, bool escaped) {
    QStringList line;
    for (const LegacyField& f : table.fields) line << clean(f.name, escaped);
    out << line.join(QLatin1Char('\t')) << '\n';
    for (const auto& row : table.rows) {
        line.clear();
        for (const QVariant& v : row) line << clean(dumpValue(v), escaped);
        out << line.join(QLatin1Char('\t')) << '\n';
    }
}

LegacyTable parseDump(const QByteArray& dump, const QString& file) {
    LegacyTable table;
    table.file = file;
    const QString text = QString::fromUtf8(dump);
    const QList<QStringView> lines = QStringView(text).split(QLatin1Char('\n'));
    if (lines.isEmpty() || lines.first().isEmpty()) throw LegacyError(QStringLiteral("%1 gave no fields.").arg(file));
    for (const QStringView name : lines.first().split(QLatin1Char('\t'))) table.fields.push_back({unescape(name), 0, 0, 0});
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (i == lines.size() - 1 && lines[i].isEmpty()) break;  // the last line's end
        const QList<QStringView> cells = lines[i].split(QLatin1Char('\t'));
        if (cells.size() != qsizetype(table.fields.size()))
            throw LegacyError(QStringLiteral("%1: row %2 has %3 values for %4 fields.")
                                  .arg(file)
                                  .arg(i)
                                  .arg(cells.size())
                                  .arg(table.fields.size()));
        std::vector<QVariant> row;
        row.reserve(cells.size());
        for (const QStringView cell : cells) row.push_back(cell.isEmpty() ? QVariant() : QVariant(unescape(cell)));
        table.rows.push_back(std::move(row));
    }
    return table;
}

int LegacyTable::fieldIndex(const QString& name) const {
    for (size_t i = 0; i < fields.size(); ++i)
        if (fields[i].name.compare(name, Qt::CaseInsensitive) == 0) return int(i);
    return -1;
}

}  // namespace exchange
