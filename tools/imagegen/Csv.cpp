#include "Csv.h"

#include <QFile>
#include <stdexcept>

namespace csv {

namespace {

std::vector<QStringList> parse(const QString& text) {
    std::vector<QStringList> rows;
    QStringList row;
    QString cell;
    bool quoted = false, started = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"') {
                cell += u'"';
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                cell += c;
            }
        } else if (c == u'"' && !started) {
            quoted = started = true;
        } else if (c == u',') {
            row << cell;
            cell.clear();
            started = false;
        } else if (c == u'\n') {
            row << cell;
            rows.push_back(row);
            row.clear();
            cell.clear();
            started = false;
        } else if (c != u'\r') {
            cell += c;
            started = true;
        }
    }
    if (quoted) throw std::runtime_error("unterminated quote");
    if (started || !row.isEmpty()) {
        row << cell;
        rows.push_back(row);
    }
    return rows;
}

}  // namespace

std::vector<Row> readFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) throw std::runtime_error("cannot read " + path.toStdString());
    const std::vector<QStringList> lines = parse(QString::fromUtf8(f.readAll()));
    std::vector<Row> rows;
    if (lines.empty()) return rows;
    const QStringList& header = lines.front();
    for (size_t i = 1; i < lines.size(); ++i) {
        if (lines[i].size() != header.size())
            throw std::runtime_error(path.toStdString() + ": line " + std::to_string(i + 1) +
                                     " has the wrong number of values");
        Row r;
        for (qsizetype c = 0; c < header.size(); ++c) r.insert(header[c], lines[i][c]);
        rows.push_back(std::move(r));
    }
    return rows;
}

}  // namespace csv
