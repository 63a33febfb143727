#include "ParadoxFixture.h"

#include "exchange/ParadoxHeader.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <cstring>
#include <gtest/gtest.h>

// pxlib declares its functions without C linkage for C++.
extern "C" {
#include <paradox.h>
}

namespace testing_support {

using namespace exchange;

namespace {

void putValue(pxdoc_t* px, char* data, const PxFieldSpec& f, const QVariant& v) {
    memset(data, 0, size_t(f.size));
    if (!v.isValid() || v.isNull()) return;
    switch (f.type) {
    case PxAlpha: {
        QByteArray bytes = v.typeId() == QMetaType::QByteArray ? v.toByteArray() : v.toString().toLatin1();
        memcpy(data, bytes.constData(), size_t(std::min<qsizetype>(bytes.size(), f.size)));
        break;
    }
    case PxDate: {
        const QDate d = v.toDate();
        PX_put_data_long(px, data, 4, int(PX_GregorianToSdn(d.year(), d.month(), d.day()) - 1721425));
        break;
    }
    case PxShort: PX_put_data_short(px, data, 2, short(v.toInt())); break;
    case PxLong:
    case PxAutoInc:
    case PxTime: PX_put_data_long(px, data, 4, v.toInt()); break;
    case PxCurrency:
    case PxNumber:
    case PxTimestamp: PX_put_data_double(px, data, 8, v.toDouble()); break;
    case PxLogical: PX_put_data_byte(px, data, 1, char(v.toInt())); break;
    case PxBcd: {
        QByteArray text = v.toString().toLatin1();
        PX_put_data_bcd(px, data, f.decimals, text.data());
        break;
    }
    case PxBytes: {
        const QByteArray bytes = v.toByteArray();
        memcpy(data, bytes.constData(), size_t(std::min<qsizetype>(bytes.size(), f.size)));
        break;
    }
    default: break;  // blob references stay empty
    }
}

}  // namespace

void writeParadoxTable(const QString& path, const std::vector<PxFieldSpec>& fields,
                       const std::vector<std::vector<QVariant>>& rows, const PxTableOptions& options) {
    QFile::remove(path);
    pxdoc_t* px = PX_new();
    // pxlib keeps the field array and frees it with the document.
    auto* pf = static_cast<pxfield_t*>(px->malloc(px, sizeof(pxfield_t) * fields.size(), "fixture fields"));
    for (size_t i = 0; i < fields.size(); ++i) {
        pf[i].px_fname = PX_strdup(px, fields[i].name);
        pf[i].px_ftype = char(fields[i].type);
        pf[i].px_flen = fields[i].type == PxBcd ? 17 : fields[i].size;
        pf[i].px_fdc = fields[i].decimals;
    }
    ASSERT_EQ(PX_create_file(px, pf, int(fields.size()), QFile::encodeName(path).constData(),
                             options.keyFields > 0 ? pxfFileTypIndexDB : pxfFileTypNonIndexDB),
              0);
    // pxlib leaves these unset when it creates a file; a stray key would make
    // the table look password protected.
    px->px_head->px_encryption = 0;
    px->px_head->px_modifiedflags1 = 0;
    px->px_head->px_modifiedflags2 = 0;
    px->px_head->px_refintegrity = 0;
    px->px_head->px_doscodepage = options.codePage;
    px->px_head->px_fileversion = options.versionId >= 12 ? 70 : options.versionId >= 5 ? 50 : 35;
    if (options.keyFields > 0) PX_set_value(px, "numprimkeys", float(options.keyFields));
    PX_set_tablename(px, "fixture");  // rewrites the header in the chosen version
    int recordSize = 0;
    for (const PxFieldSpec& f : fields) recordSize += f.type == PxBcd ? 17 : f.size;
    std::vector<char> record(static_cast<size_t>(recordSize));
    for (const auto& row : rows) {
        int at = 0;
        for (size_t i = 0; i < fields.size(); ++i) {
            putValue(px, record.data() + at, fields[i], i < row.size() ? row[i] : QVariant());
            at += fields[i].type == PxBcd ? 17 : fields[i].size;
        }
        ASSERT_GE(PX_put_record(px, record.data()), 0);
    }
    PX_close(px);
    PX_delete(px);
    // pxlib writes 5.0 or 7 headers only; older versions differ in the id byte
    // (and 3.5 also lacks the data header, which pxlib left out above).
    if (options.versionId != 11 && options.versionId != 12) patchFile(path, 0x39, QByteArray(1, char(options.versionId)));
    // Before 4.0 an unprotected table has no key marker at all.
    if (options.versionId < 5) patchFile(path, 0x25, QByteArray(4, '\0'));
}

void patchFile(const QString& path, qint64 offset, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.seek(offset);
    f.write(bytes);
}

void truncateFile(const QString& path, qint64 size) {
    QFile f(path);
    ASSERT_TRUE(f.resize(size));
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

void writeLegacyFolder(const QString& folder, int designsOfP1) {
    QDir().mkpath(folder);
    const QDir dir(folder);
    using Row = std::vector<QVariant>;
    const QVariant null;
    writeParadoxTable(dir.filePath(QStringLiteral("Project.DB")),
                      {{"Project_Ref", PxAlpha, 15}, {"Project_Name", PxAlpha, 30}, {"Project_Date", PxDate, 4},
                       {"Def_Finish", PxAlpha, 15}, {"Def_WL", PxLong, 4}, {"Designed_By", PxAlpha, 20},
                       {"Detail1", PxAlpha, 70}, {"Detail2", PxAlpha, 70}, {"Detail3", PxAlpha, 70},
                       {"Detail4", PxAlpha, 70}},
                      {Row{"P1", "Smith House", QDate(2003, 4, 5), "Anodised", 1500, "J. Smith", "Erf 12", null, null, null},
                       Row{"P2", "Empty Project", null, null, null, null, null, null, null, null},
                       Row{"_CASEMENT", "Standard casements", QDate(2002, 1, 1), "Powder Coat", 1000},
                       Row{QByteArray("Caf\xe9"), QByteArray("Caf\xe9 R\xe9nov\xe9"), QDate(2004, 12, 31), "Natural",
                           1000, QByteArray("Ren\xe9")}},
                      {12, 1252, 1});

    std::vector<PxFieldSpec> design = {
        {"Design_No", PxShort, 2},       {"Project_Ref", PxAlpha, 15},   {"Floor", PxAlpha, 2},
        {"Design_Ref", PxAlpha, 10},     {"Design_Qty", PxLong, 4},      {"System_Type", PxAlpha, 20},
        {"System_Name", PxAlpha, 30},    {"Finish", PxAlpha, 15},        {"Glass_Code", PxAlpha, 20},
        {"Sash_Type", PxAlpha, 10},      {"Wind_Load", PxNumber, 8},     {"Elevation", PxAlpha, 2}};
    static const char* dims[] = {"DimH1", "DimH2", "DimH3", "DimH4", "DimH5", "DimH6", "DimH7", "DimH8",
                                 "DimH9", "DimH10", "DimV1", "DimV2", "DimV3", "DimV4", "DimV5"};
    for (const char* d : dims) design.push_back({d, PxNumber, 8});
    for (const char* n : {"Window_Area", "U_Factor", "SHGC"}) design.push_back({n, PxNumber, 8});
    static const char* profiles[] = {"Profile1", "Profile2", "Profile3", "Profile4", "Profile5"};
    static const char* dies[] = {"Die1", "Die2", "Die3", "Die4", "Die5"};
    for (const char* p : profiles) design.push_back({p, PxAlpha, 30});
    for (const char* d : dies) design.push_back({d, PxAlpha, 13});
    design.push_back({"Glass_Supplier", PxAlpha, 20});
    design.push_back({"Continuous", PxAlpha, 10});
    for (const char* n : {"Profile_Length", "SpanL", "SpanR", "ActualIx", "ReqIx"}) design.push_back({n, PxNumber, 8});

    auto designRow = [&](const QVariant& ref, int no, bool full) {
        Row r{no, ref, full ? " G" : "1", QStringLiteral("W%1").arg(no, 2, 10, QLatin1Char('0')), full ? 2 : QVariant(),
              "Casement", "Casement 38", "Anodised", "6CL-12-6CL", null, full ? 1500.0 : QVariant(), "N"};
        for (int i = 0; i < 15; ++i) r.push_back(i == 0 ? QVariant(600.0) : i == 10 ? QVariant(1200.0) : null);
        for (const QVariant& v : {QVariant(0.72), QVariant(5.12345), QVariant(0.61234)}) r.push_back(full ? v : null);
        for (int i = 0; i < 5; ++i) r.push_back(i == 0 ? QVariant("Head 38") : null);
        for (int i = 0; i < 5; ++i) r.push_back(i == 0 ? QVariant("D1001") : null);
        r.push_back("Orvane");
        r.push_back("Vertical");
        for (const QVariant& v : {QVariant(1200.0), QVariant(600.0), null, QVariant(12.5), QVariant(10.25)})
            r.push_back(full ? v : null);
        return r;
    };
    std::vector<Row> designs, images, merges;
    auto addCells = [&](const QVariant& ref, int no) {
        for (int row = 0; row < 5; ++row)
            for (int col = 0; col < 10; ++col) {
                const char* mode = row == 0 && col == 0 ? "FIXED" : row == 0 && col == 1 ? "TOP" : "NONE";
                images.push_back({ref, no, row, col, mode, "6CL-12-6CL"});
                merges.push_back({ref, no, row, col, 1, row == 0 && col == 1 ? 2 : 1});
            }
    };
    for (int no = 1; no <= designsOfP1; ++no) {
        designs.push_back(designRow("P1", no, no % 2 == 1));
        addCells("P1", no);
    }
    designs.push_back(designRow("_CASEMENT", 1, true));
    addCells("_CASEMENT", 1);
    designs.push_back(designRow(QByteArray("Caf\xe9"), 1, true));
    addCells(QByteArray("Caf\xe9"), 1);
    writeParadoxTable(dir.filePath(QStringLiteral("Design.DB")), design, designs, {12, 1252, 0});
    writeParadoxTable(dir.filePath(QStringLiteral("DesignImage.DB")),
                      {{"Project_Ref", PxAlpha, 15}, {"Design_No", PxLong, 4}, {"Row", PxShort, 2},
                       {"Column", PxShort, 2}, {"ModeOfCell", PxAlpha, 10}, {"Glass_Code", PxAlpha, 20}},
                      images, {11, 1252, 0});
    writeParadoxTable(dir.filePath(QStringLiteral("DesignMerge.DB")),
                      {{"Project_Ref", PxAlpha, 15}, {"Design_No", PxLong, 4}, {"Row", PxLong, 4},
                       {"Column", PxLong, 4}, {"RowSpan", PxShort, 2}, {"ColSpan", PxShort, 2}},
                      merges, {9, 1252, 0});
}

}  // namespace testing_support
