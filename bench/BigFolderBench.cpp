// A large office's data folder and the program on it:
//
//   big_folder_bench make DIR [PROJECTS DESIGNS]
//       makes the working folder DIR (shipped catalogue and sample project)
//       and adds PROJECTS projects (10,000) with DESIGNS designs (100,000) in
//       all, each design a copy of one of the sample project's, cells included;
//   big_folder_bench start DIR
//       times start-up to the main window on DIR (data module, main window,
//       DESIGN page, shown), then the project search window's searches.
//
// Figures are wall time of this one process, in ms.
#include "SilentMessages.h"
#include "data/DataModule.h"
#include "store/Database.h"
#include "store/Schema.h"
#include "ui/design/DesignPage.h"
#include "ui/main/Application.h"
#include "ui/main/MainForm.h"
#include "ui/main/SearchForm.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sqlite3.h>

namespace {

// Statement text copying the sample design `?3`'s rows of `table` to project
// `?1`, design number `?2`.
QByteArray copyStatement(const QString& table) {
    const store::TableDef* def = store::schema::find(table);
    QStringList cols, values;
    for (const store::FieldDef& f : def->fields) {
        cols << store::sql::quoteIdentifier(f.name);
        values << (f.name == QLatin1String("Project_Ref")  ? QStringLiteral("?1")
                   : f.name == QLatin1String("Design_No") ? QStringLiteral("?2")
                                                           : cols.last());
    }
    return QStringLiteral("INSERT INTO %1 (%2) SELECT %3 FROM %1 WHERE \"Project_Ref\"='SAMPLE-HOUSE' "
                          "AND \"Design_No\"=?3")
        .arg(store::sql::quoteIdentifier(table), cols.join(QLatin1String(", ")),
             values.join(QLatin1String(", ")))
        .toUtf8();
}

void check(sqlite3* db, int rc) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "%s\n", sqlite3_errmsg(db));
        std::exit(1);
    }
}

int make(const QString& dir, int projects, int designs) {
    QElapsedTimer timer;
    timer.start();
    SilentMessages messages;
    data::TDM dm(messages, dir);
    sqlite3* db = dm.database()->connection().handle();
    std::vector<int> sample;
    {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, "SELECT Design_No FROM Design WHERE Project_Ref='SAMPLE-HOUSE' ORDER BY Design_No",
                           -1, &st, nullptr);
        while (sqlite3_step(st) == SQLITE_ROW)
            sample.push_back(sqlite3_column_int(st, 0));
        sqlite3_finalize(st);
    }
    if (sample.empty()) {
        std::fprintf(stderr, "The folder has no sample project to copy designs from.\n");
        return 1;
    }
    sqlite3_stmt* project = nullptr;
    check(db, sqlite3_prepare_v2(db,
                                 "INSERT INTO Project (Project_Ref, Project_Name, Designed_By) "
                                 "VALUES (?1, ?2, ?3)",
                                 -1, &project, nullptr));
    std::vector<sqlite3_stmt*> copies;
    for (const char* table : {"Design", "DesignImage", "DesignMerge"}) {
        const QByteArray text = copyStatement(QString::fromLatin1(table));
        sqlite3_stmt* st = nullptr;
        check(db, sqlite3_prepare_v2(db, text.constData(), -1, &st, nullptr));
        copies.push_back(st);
    }
    check(db, sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr));
    int made = 0;
    for (int p = 0; p < projects; ++p) {
        const QByteArray ref = QStringLiteral("BIG-%1").arg(p + 1, 5, 10, QLatin1Char('0')).toUtf8();
        const QByteArray name = QStringLiteral("Office block %1").arg(p + 1).toUtf8();
        const QByteArray client = QStringLiteral("Designer %1").arg(p % 97 + 1).toUtf8();
        sqlite3_bind_text(project, 1, ref.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(project, 2, name.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(project, 3, client.constData(), -1, SQLITE_TRANSIENT);
        check(db, sqlite3_step(project));
        sqlite3_reset(project);
        // The designs spread evenly over the projects.
        const int count = designs / projects + (p < designs % projects ? 1 : 0);
        for (int n = 1; n <= count; ++n, ++made)
            for (sqlite3_stmt* st : copies) {
                sqlite3_bind_text(st, 1, ref.constData(), -1, SQLITE_TRANSIENT);
                sqlite3_bind_int(st, 2, n);
                sqlite3_bind_int(st, 3, sample[size_t(made) % sample.size()]);
                check(db, sqlite3_step(st));
                sqlite3_reset(st);
            }
    }
    check(db, sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr));
    sqlite3_finalize(project);
    for (sqlite3_stmt* st : copies)
        sqlite3_finalize(st);
    std::printf("made %d projects and %d designs in %s (%.1f s)\n", projects, made,
                qPrintable(dm.database()->file()), double(timer.elapsed()) / 1000);
    return 0;
}

int start(int argc, char* argv[], const QString& dir) {
    QElapsedTimer timer;
    timer.start();
    QApplication application(argc, argv);
    ui::main::setUpApplication();
    SilentMessages messages;
    const qint64 app = timer.elapsed();
    data::TDM dm(messages, dir);
    const qint64 data = timer.elapsed();
    ui::main::TMainForm form(dm, messages);
    ui::design::TDesignPage page(dm, form, messages);
    // The disclaimer waits for the user; the steps of the first activation
    // (the first design loaded and shown) are timed without it.
    form.FirstActivation = false;
    form.show();
    form.FormActivate();
    QApplication::processEvents();
    const qint64 shown = timer.elapsed();
    std::printf("%-44s %10s\n", "step", "ms");
    std::printf("%-44s %10lld\n", "application object", app);
    std::printf("%-44s %10lld\n", "data module open", data - app);
    std::printf("%-44s %10lld\n", "main window and DESIGN page shown", shown - data);
    std::printf("%-44s %10lld  (target < 500)\n", "start-up to the main window", shown);

    ui::main::TSearchForm search(dm.ProjectQuery, &form);
    search.show();
    QApplication::processEvents();
    for (const char* text : {"", "BIG-0999", "block 12", "no such project"}) {
        QElapsedTimer t;
        t.start();
        search.SearchEdit->setText(QString::fromLatin1(text));
        search.Search();
        QApplication::processEvents();
        std::printf("search \"%s\"%*s %10lld  (target < 100, %d rows)\n", text,
                    int(35 - std::strlen(text)), "", t.elapsed(), dm.ProjectQuery.recordCount());
    }
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc >= 3 && qstrcmp(argv[1], "make") == 0)
        return make(QString::fromLocal8Bit(argv[2]), argc > 3 ? std::atoi(argv[3]) : 10000,
                    argc > 4 ? std::atoi(argv[4]) : 100000);
    if (argc >= 3 && qstrcmp(argv[1], "start") == 0)
        return start(argc, argv, QString::fromLocal8Bit(argv[2]));
    std::fprintf(stderr, "usage: big_folder_bench make DIR [PROJECTS DESIGNS]\n"
                         "       big_folder_bench start DIR\n");
    return 2;
}
