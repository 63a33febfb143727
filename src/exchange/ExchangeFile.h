#pragma once

#include "store/DataSet.h"
#include "store/Schema.h"

#include <QString>
#include <memory>
#include <vector>

namespace exchange {

// Why a project folder is not loaded: the file at fault and what is wrong with it.
struct FolderRefused {
    QString file;
    QString problem;
    QString message() const;
};

// The checked rows of one exchange file, held in memory as a data set so that
// the store's bulk mover takes them as its source. Values are in the form the
// data table's cursors give them (dates as QDate); no text is longer than its field.
class ExchangeRows : public store::DataSet {
public:
    ExchangeRows(const store::TableDef& dataTable, std::vector<std::vector<QVariant>> rows);
    void open() override;
    const std::vector<std::vector<QVariant>>& rows() const { return rows_; }

protected:
    int rowCount() const override { return int(rows_.size()); }
    std::vector<QVariant> fetchRow(int row) override { return rows_[size_t(row)]; }

private:
    std::vector<std::vector<QVariant>> rows_;
};

// Opens an exchange file read-only and checks it before anything of it is
// used: an undamaged SQLite database holding the data table by name, with every
// field of it in a compatible type, every value fitting its field and every key
// field filled. Throws FolderRefused naming the file's `displayName`.
std::unique_ptr<ExchangeRows> readExchangeFile(const QString& path, const QString& displayName,
                                               const store::TableDef& dataTable);

} // namespace exchange
