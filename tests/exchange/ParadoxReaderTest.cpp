// The Paradox reader and the dump, on tables written by pxlib.
#include "ParadoxFixture.h"
#include "exchange/LegacyDump.h"
#include "exchange/ParadoxHeader.h"
#include "exchange/ParadoxReader.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace exchange;
using namespace testing_support;

namespace {

QString dump(const LegacyTable& t, bool escaped = false) {
    QString text;
    QTextStream out(&text);
    writeDump(t, out, escaped);
    out.flush();
    return text;
}

class ParadoxReaderTest : public ::testing::Test {
protected:
    QString file(const QString& name) const { return QDir(dir.path()).filePath(name); }
    QTemporaryDir dir;
};

TEST_F(ParadoxReaderTest, EarlierTablesReadByTheirHeaders) {
    writeLegacyFolder(dir.path());
    const LegacyTable project = readParadoxTable(file(QStringLiteral("Project.DB")));
    ASSERT_EQ(project.fields.size(), 10u);
    EXPECT_EQ(project.codePage, 1252);
    ASSERT_EQ(project.rows.size(), 4u);
    EXPECT_EQ(project.fieldIndex(QStringLiteral("def_wl")), 4);
    const auto& p1 = project.rows[0];
    EXPECT_EQ(p1[0].toString(), QStringLiteral("P1"));
    EXPECT_EQ(p1[2].toDate(), QDate(2003, 4, 5));
    EXPECT_EQ(p1[4].toLongLong(), 1500);
    // Empty long, date and text are empty, not INT_MIN or a date of year 1.
    const auto& p2 = project.rows[1];
    EXPECT_FALSE(p2[2].isValid());
    EXPECT_FALSE(p2[4].isValid());
    EXPECT_FALSE(p2[3].isValid());
    // Code page 1252 text arrives as Unicode.
    EXPECT_EQ(project.rows[3][0].toString(), QStringLiteral("Caf\u00e9"));
    EXPECT_EQ(project.rows[3][1].toString(), QStringLiteral("Caf\u00e9 R\u00e9nov\u00e9"));

    const LegacyTable design = readParadoxTable(file(QStringLiteral("Design.DB")));
    EXPECT_EQ(design.fields[0].name, QStringLiteral("Design_No"));
    EXPECT_EQ(design.fields[0].type, PxShort);
    const auto& d1 = design.rows[0];
    EXPECT_EQ(d1[0].toLongLong(), 1);
    EXPECT_EQ(d1[design.fieldIndex(QStringLiteral("Floor"))].toString(), QStringLiteral(" G"));
    EXPECT_DOUBLE_EQ(d1[design.fieldIndex(QStringLiteral("U_Factor"))].toDouble(), 5.12345);
    EXPECT_FALSE(d1[design.fieldIndex(QStringLiteral("DimH2"))].isValid());
    EXPECT_FALSE(design.rows[1][design.fieldIndex(QStringLiteral("Design_Qty"))].isValid());
}

TEST_F(ParadoxReaderTest, DumpWritesEveryTypeAsDocumented) {
    const QString path = file(QStringLiteral("Types.DB"));
    writeParadoxTable(path,
                      {{"Text", PxAlpha, 20}, {"When", PxDate, 4}, {"Small", PxShort, 2}, {"Big", PxLong, 4},
                       {"Price", PxCurrency, 8}, {"Value", PxNumber, 8}, {"Flag", PxLogical, 1},
                       {"Notes", PxMemo, 11}, {"At", PxTime, 4}, {"Stamp", PxTimestamp, 8}, {"Counter", PxAutoInc, 4},
                       {"Exact", PxBcd, 17, 2}, {"Raw", PxBytes, 3}},
                      {{QByteArray("a\tb\nc"), QDate(1999, 12, 31), -7, 100000, 12.5, 0.1, 1, QVariant(), 3723000,
                        63116856306000.0, 5, QStringLiteral("12.34"), QByteArray("\x01\xab\xff", 3)},
                       {QVariant(), QVariant(), 0, 0, QVariant(), 1e21, 0}});
    const LegacyTable t = readParadoxTable(path);
    // Bytes are no type the import uses: passed over, not dumped.
    EXPECT_EQ(dump(t),
              QStringLiteral(
                  "Text\tWhen\tSmall\tBig\tPrice\tValue\tFlag\tNotes\tAt\tStamp\tCounter\tExact\n"
                  "a b c\t1999-12-31\t-7\t100000\t12.5\t0.1\t1\t\t01:02:03\t2001-02-03 "
                  "04:05:06\t5\t12.34\n"
                  "\t\t0\t0\t\t1e+21\t0\t\t\t\t\t\n"));
    // The escaped form gives the text back whole.
    const LegacyTable back = parseDump(dump(t, true).toUtf8(), path);
    EXPECT_EQ(back.rows[0][0].toString(), QStringLiteral("a\tb\nc"));
    EXPECT_EQ(back.rows[0][5].toString(), QStringLiteral("0.1"));
    EXPECT_FALSE(back.rows[1][0].isValid());
}

// Tables from the wild carry fields the import never uses (a graphic with no
// leading bytes is 10 bytes wide): pxlib reads them, so the reader does too,
// passing those fields over and reading the rest at their right offsets.
TEST_F(ParadoxReaderTest, FieldsOfUnusedTypesArePassedOver) {
    const QString path = file(QStringLiteral("Wild.DB"));
    writeParadoxTable(path,
                      {{"Project_Ref", PxAlpha, 15},
                       {"Picture", PxGraphic, 10},
                       {"Design_No", PxShort, 2},
                       {"Data", PxBlob, 10},
                       {"Object", PxOle, 12},
                       {"Styled", PxFmtMemo, 11},
                       {"Stamp", PxBytes, 4},
                       {"Design_Ref", PxAlpha, 10}},
                      {{QStringLiteral("P1"), QVariant(), 3, QVariant(), QVariant(), QVariant(),
                        QByteArray("\x01\x02\x03\x04", 4), QStringLiteral("W3")}});
    ASSERT_EQ(checkParadoxFile(path), QString());
    EXPECT_EQ(dump(readParadoxTable(path)),
              QStringLiteral("Project_Ref\tDesign_No\tDesign_Ref\nP1\t3\tW3\n"));
}

// Every version pxlib reads, with the code pages of the earlier version's users.
TEST_F(ParadoxReaderTest, VersionsAndCodePages) {
    const struct {
        int versionId, codePage;
        QByteArray raw;
        QString text;
    } cases[] = {
        {4, 437, QByteArray("\x82t\x82"), QStringLiteral("\u00e9t\u00e9")},       // 3.5: no code page, 437
        {9, 437, QByteArray("\x82t\x82"), QStringLiteral("\u00e9t\u00e9")},       // 4.0
        {11, 866, QByteArray("\x8f\xe0\xa8\xa2\xa5\xe2"), QStringLiteral("\u041f\u0440\u0438\u0432\u0435\u0442")},
        {12, 1252, QByteArray("\xc9t\xe9"), QStringLiteral("\u00c9t\u00e9")},
        {12, 0, QByteArray("\x9c"), QStringLiteral("\u00a3")},  // code page 0 is 437
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.versionId);
        const QString path = file(QStringLiteral("V%1-%2.DB").arg(c.versionId).arg(c.codePage));
        writeParadoxTable(path, {{"Name", PxAlpha, 12}, {"No", PxLong, 4}}, {{c.raw, 3}, {" G", QVariant()}},
                          {c.versionId, c.codePage, 0});
        ParadoxHeader h;
        ASSERT_EQ(checkParadoxFile(path, &h), QString());
        EXPECT_EQ(h.versionId, c.versionId);
        EXPECT_EQ(dump(readParadoxTable(path)), QStringLiteral("Name\tNo\n%1\t3\n G\t\n").arg(c.text));
    }
}

// Damaged and hostile files are refused by the header check, with a message
// naming the file, before pxlib sees them.
TEST_F(ParadoxReaderTest, DamagedFilesAreRefusedNamingTheFile) {
    const QString good = file(QStringLiteral("Good.DB"));
    writeParadoxTable(good, {{"Name", PxAlpha, 200}, {"No", PxLong, 4}},
                      std::vector<std::vector<QVariant>>(200, {QStringLiteral("row"), 1}));
    ParadoxHeader h;
    ASSERT_EQ(checkParadoxFile(good, &h), QString());
    ASSERT_EQ(h.fileBlocks, 3);
    const qint64 headerSize = h.headerSize;

    auto copy = [&](const QString& name) {
        const QString path = file(name);
        QFile::copy(good, path);
        return path;
    };
    struct Case {
        QString path;
        QString reason;
    };
    std::vector<Case> cases;
    cases.push_back({file(QStringLiteral("Empty.DB")), QStringLiteral("the file is empty")});
    writeBytes(cases.back().path, {});
    cases.push_back({file(QStringLiteral("Garbage.DB")), QStringLiteral("not a Paradox data table")});
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i) garbage += char((i * 7919 + 13) % 251);
    writeBytes(cases.back().path, garbage);
    cases.push_back({copy(QStringLiteral("Truncated.DB")), QStringLiteral("but its header says")});
    truncateFile(cases.back().path, QFileInfo(good).size() - 1000);
    cases.push_back({copy(QStringLiteral("HeaderOnly.DB")), QStringLiteral("but its header says")});
    truncateFile(cases.back().path, headerSize);
    cases.push_back({copy(QStringLiteral("Billions.DB")), QStringLiteral("claims 2000000000 records")});
    patchFile(cases.back().path, 0x06, QByteArray("\x00\x94\x35\x77", 4));
    cases.push_back({copy(QStringLiteral("Fields.DB")), QStringLiteral("impossible field count")});
    patchFile(cases.back().path, 0x21, QByteArray("\x00\x7f", 2));
    cases.push_back({copy(QStringLiteral("Block.DB")), QStringLiteral("impossible block size")});
    patchFile(cases.back().path, 0x05, QByteArray(1, char(99)));
    cases.push_back({copy(QStringLiteral("Record.DB")), QStringLiteral("fields take 204 bytes but its records 210")});
    patchFile(cases.back().path, 0x00, QByteArray("\xd2\x00", 2));
    cases.push_back({copy(QStringLiteral("Loop.DB")), QStringLiteral("loop")});
    patchFile(cases.back().path, headerSize + h.blockSize, QByteArray("\x01\x00", 2));  // block 2 leads back to 1
    cases.push_back({copy(QStringLiteral("Type.DB")), QStringLiteral("unknown type")});
    patchFile(cases.back().path, 0x78, QByteArray(1, char(0x42)));

    // A 3.5 table with the later versions' key marker: pxlib would take an
    // unset key and read noise.
    cases.push_back({file(QStringLiteral("Marker35.DB")), QStringLiteral("protected by a password")});
    writeParadoxTable(cases.back().path, {{"Name", PxAlpha, 10}}, {{QStringLiteral("x")}}, {4, 437, 0});
    patchFile(cases.back().path, 0x25, QByteArray("\x00\xff\x00\xff", 4));

    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        QElapsedTimer timer;
        timer.start();
        const QString message = checkParadoxFile(c.path);
        EXPECT_TRUE(message.startsWith(QDir::toNativeSeparators(c.path))) << message.toStdString();
        EXPECT_TRUE(message.contains(c.reason)) << message.toStdString();
        try {
            readParadoxTable(c.path);
            ADD_FAILURE() << "read a damaged file";
        } catch (const LegacyError& e) {
            EXPECT_EQ(e.message(), message);
        }
        EXPECT_LT(timer.elapsed(), 5000);
    }
}

}  // namespace
