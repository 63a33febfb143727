#pragma once

#include "data/MainWindowHooks.h"
#include "data/Messages.h"
#include "store/Database.h"

#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <memory>

namespace testing_support {

// Records every message text and answers questions as the test scripts it.
class RecordingMessages : public data::Messages {
public:
    void showMessage(const QString& text) override { texts << text; }
    data::DlgButton messageDlg(const QString& text, data::DlgType, const QList<data::DlgButton>&) override {
        texts << text;
        if (answers.empty()) return data::DlgButton::No;
        const data::DlgButton b = answers.front();
        answers.pop_front();
        return b;
    }
    void showError(const QString& text) override {
        texts << text;
        errors << text;
    }
    QStringList texts;
    QStringList errors;
    std::deque<data::DlgButton> answers;
};

// A main window stand-in that records what the data module asks of it.
class FakeMainWindow : public data::MainWindowHooks {
public:
    bool mainWindowVisible() const override { return visible; }
    void clearDesign() override {
        ++clearCount;
        if (onClear) onClear();
    }
    void setContinuousItems(const QStringList& items) override { continuousItems = items; }
    void showSupplierPicture(const QString& file) override { supplierPicture = file; }
    void setGlazingInfoEnabled(bool enabled) override { glazingInfoEnabled = enabled; }

    bool visible = true;
    int clearCount = 0;
    std::function<void()> onClear;
    QStringList continuousItems{QStringLiteral("untouched")};
    QString supplierPicture;
    bool glazingInfoEnabled = false;
};

// A scratch database file with the data folder's tables and nothing in them;
// in a run against a server (QUORVEX_TEST_SERVER=1), a fresh schema of the
// throwaway cluster, and file() the connection string that reaches it.
struct ScratchDatabase {
    ScratchDatabase();
    QTemporaryDir dir;
    std::unique_ptr<store::Database> db;
    QString file() const;

private:
    QString location_;
};

QString fixturesDir();
// Number of rows in a table, counted below every cursor.
int rowCount(store::Database& db, const QString& table, const QString& where = QString(),
             const QVariantList& params = {});

}  // namespace testing_support
