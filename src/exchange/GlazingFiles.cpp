#include "GlazingFiles.h"

#include "glazing/GlazingRows.h"
#include "store/Query.h"

#include <QSet>

namespace exchange {

namespace {

const QString kCode = QStringLiteral("Glass_Code");

QSet<QString> codesOf(const ExchangeRows& rows) {
    QSet<QString> codes;
    const int i = rows.fieldIndex(kCode);
    for (const auto& row : rows.rows())
        codes.insert(row[size_t(i)].toString());
    return codes;
}

} // namespace

const std::vector<ProjectFolderFile>& glazingFolderFiles() {
    static const std::vector<ProjectFolderFile> files = {
        {QStringLiteral("TGlazing.db"), QStringLiteral("Glazing"), true},
        {QStringLiteral("TSystemGlass.db"), QStringLiteral("SystemGlass"), true},
        {QStringLiteral("TSystemValues.db"), QStringLiteral("SystemValues"), true},
    };
    return files;
}

QStringList madeGlazingsOf(store::Database& db, const QString& projectRef) {
    const QStringList made = glazing::glazingsMadeHere(db);
    QStringList used;
    store::Query q(&db, QString());
    q.setSql(QStringLiteral("Select * from Design Where Project_Ref=?"), {projectRef});
    q.open();
    for (q.first(); !q.eof(); q.next()) {
        const QString code = q.fieldByName(kCode).asString();
        if (made.contains(code) && !used.contains(code)) used << code;
    }
    return used;
}

void checkGlazingFiles(const ReadFiles& files) {
    if (files.empty()) return;
    if (files.front().first->table != QLatin1String("Glazing"))
        throw FolderRefused{
            files.front().first->fileName,
            QStringLiteral("comes without \"%1\"").arg(glazingFolderFiles().front().fileName)};
    const ExchangeRows& glazings = *files.front().second;
    const int notes = glazings.fieldIndex(QStringLiteral("Notes"));
    for (size_t r = 0; r < glazings.rows().size(); ++r) {
        glazing::Unit unit;
        if (!glazing::layersFromNotes(glazings.rows()[r][size_t(notes)].toString(), unit))
            throw FolderRefused{
                files.front().first->fileName,
                QStringLiteral("row %1 is no glazing made from its layers").arg(r + 1)};
    }
    const QSet<QString> codes = codesOf(glazings);
    for (size_t f = 1; f < files.size(); ++f)
        for (const QString& code : codesOf(*files[f].second))
            if (!codes.contains(code))
                throw FolderRefused{
                    files[f].first->fileName,
                    QStringLiteral("holds rows of the glazing \"%1\", which \"%2\" does not hold")
                        .arg(code, files.front().first->fileName)};
}

std::vector<std::unique_ptr<ExchangeRows>> newGlazingRows(store::Database& db,
                                                          const ReadFiles& files) {
    QSet<QString> known;
    store::Query q(&db, QStringLiteral("Select * from Glazing"));
    q.open();
    for (q.first(); !q.eof(); q.next())
        known.insert(q.fieldByName(kCode).asString());
    q.close();
    std::vector<std::unique_ptr<ExchangeRows>> out;
    for (const auto& [file, rows] : files) {
        const int i = rows->fieldIndex(kCode);
        std::vector<std::vector<QVariant>> keep;
        for (const auto& row : rows->rows())
            if (!known.contains(row[size_t(i)].toString())) keep.push_back(row);
        out.push_back(std::make_unique<ExchangeRows>(rows->def(), std::move(keep)));
        out.back()->open();
    }
    return out;
}

} // namespace exchange
