#include "ParadoxReader.h"

#include "ParadoxHeader.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTime>
#include <algorithm>
#include <climits>
#include <cmath>
#include <iconv.h>
#include <memory>

// pxlib declares its functions without C linkage for C++.
extern "C" {
#include <paradox.h>
}

namespace exchange {

namespace {

// Paradox counts dates in days from 1 January of year 1; pxlib's calendar
// routines count from the start of the Julian period.
constexpr long kSdnOffset = 1721425;
constexpr double kMsPerDay = 86400000.0;

// Text of the table's DOS or Windows code page to Unicode. Bytes the code
// page does not define become U+FFFD instead of ending the read.
class CodePage {
public:
    explicit CodePage(int codePage) {
        cd_ = iconv_open("UTF-8", QStringLiteral("CP%1").arg(codePage).toLatin1().constData());
    }
    ~CodePage() {
        if (valid()) iconv_close(cd_);
    }
    CodePage(const CodePage&) = delete;
    CodePage& operator=(const CodePage&) = delete;
    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    QString decode(const char* data, size_t length) {
        QByteArray out;
        char buffer[1024];
        char* in = const_cast<char*>(data);
        size_t left = length;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        while (left > 0) {
            char* o = buffer;
            size_t room = sizeof buffer;
            const size_t rc = iconv(cd_, &in, &left, &o, &room);
            out.append(buffer, int(o - buffer));
            if (rc == size_t(-1) && errno != E2BIG) {
                out.append("\xEF\xBF\xBD");  // U+FFFD
                ++in;
                --left;
            }
        }
        return QString::fromUtf8(out);
    }

private:
    iconv_t cd_;
};

struct PxDocDeleter {
    void operator()(pxdoc_t* doc) const { PX_delete(doc); }
};
struct FileCloser {
    void operator()(FILE* f) const { fclose(f); }
};

// pxlib reports through this instead of printing; the last message is kept.
void collectError(pxdoc_t*, int level, const char* message, void* data) {
    if (level != PX_Warning && data) *static_cast<QString*>(data) = QString::fromLocal8Bit(message);
}

bool allZero(const char* data, int size) {
    return std::all_of(data, data + size, [](char c) { return c == 0; });
}

QDate dateFromDays(long days) {
    if (days <= 0 || days > 3652059) return {};  // 1 January 1 … 31 December 9999
    int y = 0, m = 0, d = 0;
    PX_SdnToGregorian(days + kSdnOffset, &y, &m, &d);
    return QDate(y, m, d);
}

// An empty long reads back as INT_MIN from pxlib 0.6.8 on 64-bit machines,
// so emptiness is judged on the raw bytes and that value is never a number.
bool readLong(pxdoc_t* doc, char* data, long* value) {
    if (allZero(data, 4)) return false;
    return PX_get_data_long(doc, data, 4, value) > 0 && *value != INT_MIN;
}

QVariant readValue(pxdoc_t* doc, const LegacyField& f, char* data, CodePage& codePage) {
    switch (f.type) {
    case PxAlpha: {
        if (data[0] == 0) return {};
        const char* end = std::find(data, data + f.size, '\0');
        return codePage.decode(data, size_t(end - data));
    }
    case PxDate: {
        long v = 0;
        if (!readLong(doc, data, &v)) return {};
        const QDate d = dateFromDays(v);
        return d.isValid() ? QVariant(d) : QVariant();
    }
    case PxShort: {
        short v = 0;
        if (allZero(data, 2) || PX_get_data_short(doc, data, 2, &v) <= 0) return {};
        return qlonglong(v);
    }
    case PxLong:
    case PxAutoInc: {
        long v = 0;
        return readLong(doc, data, &v) ? QVariant(qlonglong(v)) : QVariant();
    }
    case PxCurrency:
    case PxNumber: {
        double v = 0;
        if (allZero(data, 8) || PX_get_data_double(doc, data, 8, &v) <= 0 || !std::isfinite(v)) return {};
        return v;
    }
    case PxLogical: {
        char v = 0;
        if (PX_get_data_byte(doc, data, 1, &v) <= 0) return {};
        return v != 0;
    }
    case PxTime: {
        long v = 0;
        if (!readLong(doc, data, &v) || v < 0 || v >= 86400000) return {};
        return QTime::fromMSecsSinceStartOfDay(int(v));
    }
    case PxTimestamp: {
        double v = 0;
        if (allZero(data, 8) || PX_get_data_double(doc, data, 8, &v) <= 0 || !std::isfinite(v)) return {};
        const double days = std::floor(v / kMsPerDay);
        const QDate date = dateFromDays(long(days));
        if (!date.isValid()) return {};
        const int ms = int(std::llround(v - days * kMsPerDay));
        return QDateTime(date, QTime::fromMSecsSinceStartOfDay(std::min(ms, 86399999)));
    }
    case PxBcd: {
        char* text = nullptr;
        if (PX_get_data_bcd(doc, reinterpret_cast<unsigned char*>(data), f.decimals, &text) <= 0 || !text)
            return {};
        QString s = QString::fromLatin1(text);
        doc->free(doc, text);
        // pxlib writes the decimal point of the C locale in force.
        for (QChar& c : s)
            if (!c.isDigit() && c != QLatin1Char('-')) c = QLatin1Char('.');
        return s;
    }
    default:  // memo: its text would be in the memo file
        return {};
    }
}

// Types the import never uses: their fields are passed over, not read.
bool passedOver(int type) {
    switch (type) {
    case PxBlob:
    case PxFmtMemo:
    case PxOle:
    case PxGraphic:
    case PxBytes: return true;
    default: return false;
    }
}

}  // namespace

LegacyTable readParadoxTable(const QString& path) {
    ParadoxHeader header;
    if (const QString reason = checkParadoxFile(path, &header); !reason.isEmpty()) throw LegacyError(reason);
    const QString name = QDir::toNativeSeparators(path);

    // Opened here, read-only: pxlib's own open asks for write access too.
    std::unique_ptr<FILE, FileCloser> file(fopen(QFile::encodeName(path).constData(), "rb"));
    if (!file) throw LegacyError(QStringLiteral("%1 cannot be opened.").arg(name));
    QString pxError;
    std::unique_ptr<pxdoc_t, PxDocDeleter> doc(PX_new3(collectError, nullptr, nullptr, nullptr, &pxError));
    if (!doc) throw LegacyError(QStringLiteral("%1 cannot be read: out of memory.").arg(name));
    if (PX_open_fp(doc.get(), file.get()) < 0)
        throw LegacyError(QStringLiteral("%1 cannot be read: %2").arg(name, pxError));
    pxhead_t* h = doc->px_head;
    if (h->px_numfields != int(header.fields.size()) || h->px_recordsize != header.recordSize ||
        h->px_numrecords != header.numRecords)
        throw LegacyError(QStringLiteral("%1 cannot be read: its header is not understood.").arg(name));

    CodePage codePage(header.codePage);
    if (!codePage.valid())
        throw LegacyError(QStringLiteral("%1 cannot be read: its code page %2 is not known on this computer.")
                              .arg(name)
                              .arg(header.codePage));
    LegacyTable table;
    table.file = path;
    table.codePage = header.codePage;
    std::vector<int> offsets;
    int offset = 0;
    for (int i = 0; i < h->px_numfields; ++i) {
        const int at = offset;
        offset += header.fields[size_t(i)].size;
        if (passedOver(header.fields[size_t(i)].type)) continue;
        const pxfield_t* pf = PX_get_field(doc.get(), i);
        LegacyField f;
        const char* raw = pf->px_fname ? pf->px_fname : "";
        f.name = codePage.decode(raw, qstrlen(raw));
        f.type = header.fields[size_t(i)].type;
        f.size = header.fields[size_t(i)].size;
        f.decimals = header.fields[size_t(i)].decimals;
        table.fields.push_back(f);
        offsets.push_back(at);
    }

    std::vector<char> record(size_t(header.recordSize));
    table.rows.reserve(size_t(header.numRecords));
    for (int r = 0; r < header.numRecords; ++r) {
        if (!PX_get_record(doc.get(), r, record.data()))
            throw LegacyError(QStringLiteral("%1 cannot be read: record %2 is damaged.").arg(name).arg(r + 1));
        std::vector<QVariant> row;
        row.reserve(table.fields.size());
        for (size_t i = 0; i < table.fields.size(); ++i)
            row.push_back(readValue(doc.get(), table.fields[i], record.data() + offsets[i], codePage));
        table.rows.push_back(std::move(row));
    }
    return table;
}

}  // namespace exchange
