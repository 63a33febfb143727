// The editable grids typed into as the user types (F2, the text, then Enter,
// Tab or Esc) on the main window's pages, and a new project walked from its
// first design to its certificate.
#include "compliance/Storeys.h"
#include "reports/Output.h"
#include "reports/SansReport.h"
#include "store/Query.h"
#include "support/CliRun.h"
#include "data/Paths.h"
#include "support/PageFixture.h"
#include "ui/compliance/ResultsPage.h"
#include "ui/design/DesignGrid.h"
#include "ui/exchange/ProjectFolderCommands.h"
#include "ui/reports/Preview.h"
#include "widgets/DataControls.h"
#include "widgets/RefusedInput.h"
#include "ui/compliance/SansPage.h"
#include "widgets/DataSetModel.h"

#include <QAction>
#include <QClipboard>
#include <QScreen>
#include <QSettings>
#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <map>

namespace {

struct Typing : Page {
    // Types `text` into a cell: the cell made current, F2, the text over what
    // was there, then `finish`.
    void typeInto(widgets::DBGrid* grid, int row, int column, const QString& text,
                  Qt::Key finish = Qt::Key_Return) {
        grid->setFocus();
        grid->setCurrentIndex(grid->model()->index(row, column));
        QApplication::processEvents();
        QTest::keyClick(grid, Qt::Key_F2);
        QWidget* editor = QApplication::focusWidget();
        ASSERT_TRUE(editor && editor != grid) << "no editor opened";
        if (auto* box = qobject_cast<QComboBox*>(editor)) editor = box->lineEdit();
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, finish);
        // The delegate commits Enter after the key has been handled.
        QApplication::processEvents();
        QApplication::processEvents();
    }
    // The stored value of a field, read past every cursor of the program.
    QVariant stored(const QString& table, const QString& where, const QVariantList& values,
                    const QString& field) {
        store::Query q(dm->database(), QString());
        q.setSql(QStringLiteral("Select * from %1 Where %2").arg(table, where), values);
        q.open();
        return q.isEmpty() ? QVariant(QStringLiteral("<no row>")) : q.fieldByName(field).value();
    }
    QVariant storey(const QString& floor, const char* field) {
        return stored("ProjectFloors", "Project_Ref=? and Floor=?", {ref(), floor},
                      QString::fromLatin1(field));
    }
    // The sample project's SANS 204 page, shown as the menu shows it.
    void openSansPage() {
        ASSERT_TRUE(dm->ProjectTable.findKey({"SAMPLE-HOUSE"}));
        form->DesignBtnClick();
        form->SansAction->trigger();
        QApplication::processEvents();
    }
    int rowOf(widgets::DBGrid* grid, int column, const QString& text) {
        for (int r = 0; r < grid->model()->rowCount(); ++r)
            if (grid->model()->index(r, column).data().toString() == text) return r;
        return -1;
    }
};

} // namespace

TEST_F(Typing, TheStoreyGridStoresWhatIsTypedAfterAnalyseAndAnotherProgramsChange) {
    openSansPage();
    widgets::DBGrid* grid = form->SansPage->DBGrid2;
    // The ground floor is listed first, and as "G".
    ASSERT_EQ(grid->model()->rowCount(), 2);
    EXPECT_EQ(grid->model()->index(0, 1).data().toString(), "G");
    EXPECT_EQ(grid->model()->index(1, 1).data().toString(), "1");

    typeInto(grid, 0, 3, "95");
    EXPECT_EQ(storey("G", "Effective_Area").toDouble(), 95);
    typeInto(grid, 1, 3, "61.5", Qt::Key_Tab);
    EXPECT_EQ(storey("1", "Effective_Area").toDouble(), 61.5);
    // Tab on to the default P/H: typed, then Tab fills the storey's factors.
    typeInto(grid, 1, 4, "0.20", Qt::Key_Tab);
    QApplication::processEvents();
    EXPECT_DOUBLE_EQ(storey("1", "Shading_Ratio").toDouble(), 0.2);
    EXPECT_FALSE(storey("1", "N_Factor").isNull());
    // Esc keeps what was stored.
    typeInto(grid, 0, 3, "7", Qt::Key_Escape);
    EXPECT_EQ(storey("G", "Effective_Area").toDouble(), 95);
    EXPECT_TRUE(messages.errors.isEmpty()) << messages.errors.join("|").toStdString();

    // After Analyse and Calculate, back on the page, typing still lands.
    form->SansPage->SANSCalcBtn->click();
    form->ResultsPage->Image20->click();
    form->SansAction->trigger();
    QApplication::processEvents();
    typeInto(grid, 0, 3, "80");
    EXPECT_EQ(storey("G", "Effective_Area").toDouble(), 80);

    // Another program on the same folder changes the first floor's row; the
    // typing lands beside its change.
    {
        auto other = store::Database::open(dm->database()->file());
        store::Table f(other.get(), "ProjectFloors");
        f.open();
        ASSERT_TRUE(f.findKey({"SAMPLE-HOUSE", "1"}));
        f.edit();
        f.fieldByName("Total_Area").setAsFloat(99);
        f.post();
    }
    typeInto(grid, 1, 3, "44");
    EXPECT_EQ(storey("1", "Effective_Area").toDouble(), 44);
    EXPECT_EQ(storey("1", "Total_Area").toDouble(), 99);
    EXPECT_TRUE(messages.errors.isEmpty()) << messages.errors.join("|").toStdString();
}

namespace {

// The fabricator's day: a new two-storey house from an empty project to its
// SANS 204 certificate, through the windows with key and mouse events.
struct UserDay : Typing {
    // Chooses from a drop-down by typing its entry, as the keyboard does.
    void choose(QComboBox* box, const QString& entry) {
        box->setFocus();
        if (box->currentText() != entry) QTest::keyClicks(box, entry);
        QTest::keyClick(box, Qt::Key_Tab);
        QApplication::processEvents();
        EXPECT_EQ(box->currentText(), entry);
    }
    // A choice from a list whose page logic runs on the list's own signal.
    void pick(QComboBox* box, const QString& entry) {
        box->setFocus();
        box->setCurrentIndex(box->findText(entry));
        emit box->activated(box->currentIndex());
        QApplication::processEvents();
        ASSERT_EQ(box->currentText(), entry);
    }
    void typeBox(QLineEdit* box, const QString& text) {
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Tab);
        QApplication::processEvents();
    }
    QAction* menuItem(const QString& text) {
        for (QAction* a : page->PopupMenu1->actions())
            if (a->text() == text) return a;
        return nullptr;
    }
    // One fixed window of `width` x `height` mm drawn on a new design.
    void drawDesign(const QString& designRef, const QString& width, const QString& height,
                    const QString& storey, const QString& orientation) {
        QTest::mouseClick(page->AddBtn, Qt::LeftButton);
        QTest::keyClicks(page->DesignRefEdit, designRef);
        pick(page->SystemTypeCB, "Casement");
        pick(page->SystemNameCB, "Casement 38");
        pick(page->SupplierCB, "Orvane");
        pick(page->GlazingCB, "OR-4CL");
        page->KGrid1->setFocus();
        QApplication::processEvents();
        page->KGrid1->setSelection({0, 0, 0, 0});
        page->UpdatePopup();
        ASSERT_NE(menuItem("Fixed"), nullptr);
        menuItem("Fixed")->trigger();
        // The dimension boxes of the typed cells open as the grid draws them.
        page->KGrid1->repaint();
        QApplication::processEvents();
        typeBox(page->DimH[0], width);
        typeBox(page->DimV[0], height);
        choose(page->FloorCB, storey);
        choose(page->ElevationCB, orientation);
        QTest::mouseClick(page->CalcBtn, Qt::LeftButton);
        QApplication::processEvents();
    }
    std::map<QString, QVariantMap> storeyResults() {
        std::map<QString, QVariantMap> rows;
        store::Query q(dm->database(), QString());
        q.setSql("Select * from ProjectResults Where Project_Ref=?", {ref()});
        q.open();
        for (; !q.eof(); q.next()) {
            QVariantMap m;
            for (int i = 0; i < q.fieldCount(); ++i)
                m[q.def().fields[size_t(i)].name] = q.field(i).value();
            rows[m["Floor"].toString()] = m;
        }
        return rows;
    }
    // Pictures of the windows for the documentation, when asked for.
    void shoot(QWidget* w, const char* name) {
        const QString dir = qEnvironmentVariable("QUORVEX_SHOTS");
        if (dir.isEmpty()) return;
        QApplication::processEvents();
        w->grab().save(QDir(dir).filePath(QString::fromLatin1(name)));
    }
};

} // namespace

TEST_F(UserDay, ANewTwoStoreyHouseFromFirstDesignToCertificate) {
    form->resize(1280, 800);
    // A new project, its reference and name typed.
    QTest::mouseClick(form->AddProjectBtn, Qt::LeftButton);
    QTest::keyClicks(form->ProjectRefEdit, "NEW-HOUSE");
    QTest::keyClick(form->ProjectRefEdit, Qt::Key_Tab);
    QTest::keyClicks(form->ProjectNameEdit, "Two Storey House");
    QTest::keyClick(form->ProjectNameEdit, Qt::Key_Tab);
    QApplication::processEvents();
    ASSERT_EQ(ref(), "NEW-HOUSE");

    // Two designs drawn, each given its storey and orientation on the DESIGN page.
    drawDesign("W01", "1200", "1500", "G", "N");
    drawDesign("W02", "900", "1200", "1", "E");
    shoot(form.get(), "design-storey-orientation.png");
    EXPECT_EQ(stored("Design", "Project_Ref=? and Design_No=1", {ref()}, "Floor").toString(), "G");
    EXPECT_EQ(stored("Design", "Project_Ref=? and Design_No=2", {ref()}, "Elevation").toString(), "E");
    EXPECT_GT(stored("Design", "Project_Ref=? and Design_No=2", {ref()}, "U_Factor").toDouble(), 0);

    // On the SUMMARY grid: the second design turns to face north-east, two of them.
    form->PageControl1->setCurrentIndex(1);
    QApplication::processEvents();
    widgets::DBGrid* summary = form->SummaryGrid;
    const int w02 = rowOf(summary, 1, "W02");
    ASSERT_GE(w02, 0);
    typeInto(summary, w02, 9, "NE");
    typeInto(summary, w02, 2, "2", Qt::Key_Tab);
    shoot(form.get(), "summary-orientation-storey.png");
    EXPECT_EQ(stored("Design", "Project_Ref=? and Design_No=2", {ref()}, "Elevation").toString(), "NE");
    EXPECT_EQ(stored("Design", "Project_Ref=? and Design_No=2", {ref()}, "Design_Qty").toInt(), 2);

    // The SANS 204 page: the zone, then each storey's area and default P/H.
    form->SansAction->trigger();
    QApplication::processEvents();
    choose(form->SansPage->ClimateZoneCB, "Zone 1 - Cold Interior");
    widgets::DBGrid* storeys = form->SansPage->DBGrid2;
    ASSERT_EQ(storeys->model()->rowCount(), 2);
    EXPECT_EQ(storeys->model()->index(0, 1).data().toString(), "G");
    typeInto(storeys, 0, 3, "95", Qt::Key_Tab);
    typeInto(storeys, 0, 4, "0.20", Qt::Key_Tab);
    typeInto(storeys, 1, 3, "12", Qt::Key_Tab);
    shoot(form.get(), "storey-grid-typing.png");
    typeInto(storeys, 1, 4, "0.30", Qt::Key_Tab);
    QApplication::processEvents();
    EXPECT_EQ(storey("G", "Effective_Area").toDouble(), 95);
    EXPECT_DOUBLE_EQ(storey("1", "Shading_Ratio").toDouble(), 0.3);
    EXPECT_FALSE(storey("1", "N_Factor").isNull());

    // Analyse, a design's P/H set on the RESULTS grid, Calculate.
    QTest::mouseClick(form->SansPage->SANSCalcBtn, Qt::LeftButton);
    ASSERT_EQ(form->PageControl1->currentIndex(), 3) << messages.texts.join("|").toStdString();
    widgets::DBGrid* designs = form->ResultsPage->DBGrid4;
    typeInto(designs, 1, 11, "0.50");
    QTest::mouseClick(form->ResultsPage->Image20, Qt::LeftButton);
    shoot(form.get(), "results.png");
    EXPECT_DOUBLE_EQ(stored("DesignResults", "Project_Ref=? and Design_No=2", {ref()},
                            "Shading_Ratio").toDouble(),
                     0.5);
    const auto window = storeyResults();
    ASSERT_EQ(window.size(), 2u);
    EXPECT_EQ(window.at("G")["Exempt"].toBool(), true); // 1.8 m2 of 95 m2
    EXPECT_EQ(window.at("1")["Exempt"].toBool(), false); // 2.16 m2 of 12 m2
    EXPECT_TRUE(messages.errors.isEmpty()) << messages.errors.join("|").toStdString();

    // The certificate previews (closed at once here) and is written as a PDF.
    bool previewed = false;
    QTimer::singleShot(200, [&] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            previewed = true;
            w->close();
        }
    });
    QTest::mouseClick(form->ResultsPage->Image19, Qt::LeftButton);
    EXPECT_TRUE(previewed);
    const QString pdf = QDir(work.path()).filePath("certificate.pdf");
    QString error;
    ASSERT_TRUE(::reports::saveDocument(::reports::sansReport(*dm), pdf, &error)) << error.toStdString();
    if (!qEnvironmentVariable("QUORVEX_SHOTS").isEmpty())
        QFile::copy(pdf, QDir(qEnvironmentVariable("QUORVEX_SHOTS")).filePath("certificate.pdf"));

    // The command line judges the same project to the same figures.
    const testing_support::CliRun cli =
        testing_support::runCli({"--workdir", work.path(), "sans204", "NEW-HOUSE", "--keep-ph"});
    ASSERT_EQ(cli.rc, 0) << cli.err.toStdString();
    const QStringList lines = cli.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[1].startsWith("G\t")); // the ground floor first
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QStringList c = lines[i].split('\t');
        const QVariantMap& w = window.at(c[0]);
        EXPECT_DOUBLE_EQ(c[2].toDouble(), w["Window_Area"].toDouble()) << c[0].toStdString();
        EXPECT_DOUBLE_EQ(c[4].toDouble(), w["U_Total"].toDouble()) << c[0].toStdString();
        EXPECT_DOUBLE_EQ(c[6].toDouble(), w["SHGC_Total"].toDouble()) << c[0].toStdString();
        EXPECT_EQ(c[7], w["U_Result"].toString());
        EXPECT_EQ(c[8], w["SHGC_Result"].toString());
    }
}

TEST_F(Typing, TheSummaryAndResultsGridsTakeWhatTheirCaptionsPromise) {
    ASSERT_TRUE(dm->ProjectTable.findKey({"SAMPLE-HOUSE"}));
    form->DesignBtnClick();
    form->PageControl1->setCurrentIndex(1);
    QApplication::processEvents();
    widgets::DBGrid* summary = form->SummaryGrid;
    EXPECT_EQ(summary->model()->headerData(9, Qt::Horizontal).toString(), "Orientation");
    EXPECT_EQ(summary->model()->headerData(10, Qt::Horizontal).toString(), "Storey");
    const int no = summary->model()->index(1, 0).data().toInt();
    auto design = [&](const char* field) {
        return stored("Design", "Project_Ref=? and Design_No=?", {ref(), no}, field);
    };
    typeInto(summary, 1, 2, "3");
    EXPECT_EQ(design("Design_Qty").toInt(), 3);
    typeInto(summary, 1, 1, "W-NEW", Qt::Key_Tab);
    EXPECT_EQ(design("Design_Ref").toString(), "W-NEW");
    typeInto(summary, 1, 9, "SW");
    EXPECT_EQ(design("Elevation").toString(), "SW");
    typeInto(summary, 1, 10, " 1 ");
    EXPECT_EQ(design("Floor").toString(), "1"); // stored without its blanks
    typeInto(summary, 1, 9, "W", Qt::Key_Escape);
    EXPECT_EQ(design("Elevation").toString(), "SW");
    // A quantity that is not a number is refused in words, and nothing stored.
    typeInto(summary, 1, 2, "x");
    EXPECT_EQ(design("Design_Qty").toInt(), 3);
    EXPECT_EQ(messages.errors.last(), "Qty must be a whole number");

    // The RESULTS grid after Analyse: orientation, storey and P/H per design.
    form->SansAction->trigger();
    QApplication::processEvents();
    messages.answers = {data::DlgButton::Yes};
    QTest::mouseClick(form->SansPage->SANSCalcBtn, Qt::LeftButton);
    ASSERT_EQ(form->PageControl1->currentIndex(), 3) << messages.texts.join("|").toStdString();
    widgets::DBGrid* results = form->ResultsPage->DBGrid4;
    const int resultNo = results->model()->index(0, 1).data().toInt();
    auto result = [&](const char* field) {
        return stored("DesignResults", "Project_Ref=? and Design_No=?", {ref(), resultNo}, field);
    };
    typeInto(results, 0, 4, "S");
    EXPECT_EQ(result("Elevation").toString(), "S");
    typeInto(results, 0, 5, "1", Qt::Key_Tab);
    EXPECT_EQ(result("Floor").toString(), "1");
    typeInto(results, 0, 11, "0.40");
    EXPECT_DOUBLE_EQ(result("Shading_Ratio").toDouble(), 0.4);
    QTest::mouseClick(form->ResultsPage->Image20, Qt::LeftButton);
    EXPECT_EQ(form->ResultsPage->DBGrid3->model()->index(0, 1).data().toString(), "G");
    EXPECT_EQ(messages.errors, QStringList({"Qty must be a whole number"}));
}

TEST_F(UserDay, TheDesignPageGivesEveryDesignAStoreyAndAnOrientation) {
    EXPECT_EQ(page->FloorCB->count(), 21);
    EXPECT_EQ(page->ElevationCB->count(), 8);
    QTest::mouseClick(page->AddBtn, Qt::LeftButton);
    // A new design starts on the ground floor facing north.
    EXPECT_EQ(page->FloorCB->currentText(), "G");
    EXPECT_EQ(page->ElevationCB->currentText(), "N");
    choose(page->FloorCB, "3");
    choose(page->ElevationCB, "SW");
    form->SaveDesign();
    EXPECT_EQ(stored("Design", "Project_Ref=? and Design_No=?", {ref(), designNo()}, "Floor").toString(), "3");
    EXPECT_EQ(stored("Design", "Project_Ref=? and Design_No=?", {ref(), designNo()}, "Elevation").toString(), "SW");
}

TEST_F(UserDay, AFailingMullionStaysInSightAndItsWarningComesOncePerChange) {
    ASSERT_TRUE(dm->ProjectTable.findKey({"SAMPLE-HOUSE"}));
    form->DesignBtnClick();
    store::Table& D = dm->DesignTable;
    for (D.first(); !D.eof() && D.fieldByName("Continuous").asString() != "Vertical"; D.next()) {}
    ASSERT_FALSE(D.eof());
    form->DesignBtnClick();
    form->WarningsOff = false;
    page->Calc.WarningsOff = false;
    // A wind load the mullion cannot carry.
    page->WindLoadCB->setFocus();
    page->WindLoadCB->lineEdit()->selectAll();
    QTest::keyClicks(page->WindLoadCB, "9000");
    QTest::keyClick(page->WindLoadCB, Qt::Key_Tab);
    messages.texts.clear();
    QTest::mouseClick(page->CalcBtn, Qt::LeftButton);
    const double req = D.fieldByName("ReqIx").asFloat(), act = D.fieldByName("ActualIx").asFloat();
    ASSERT_GT(req, act);
    EXPECT_EQ(messages.texts.filter("will fail").size(), 1) << messages.texts.join("|").toStdString();
    EXPECT_EQ(page->StructuralLabel->text(),
              QStringLiteral("Mullion fails: actual Ix %1 below the required %2")
                  .arg(act, 0, 'f', 2)
                  .arg(req, 0, 'f', 2));
    form->showNormal();
    form->resize(1280, 800);
    shoot(form.get(), "design-failing-mullion.png");
    // Switching to the SUMMARY tab and back shows no warning again.
    messages.texts.clear();
    form->PageControl1->setCurrentIndex(1);
    form->PageControl1->setCurrentIndex(0);
    QApplication::processEvents();
    EXPECT_TRUE(messages.texts.filter("will fail").isEmpty()) << messages.texts.join("|").toStdString();
    EXPECT_FALSE(page->StructuralLabel->text().isEmpty());
}

TEST_F(UserDay, ANumberBoxSaysWhatItRefusesAndRefusesAPasteWhole) {
    QTest::mouseClick(page->AddBtn, Qt::LeftButton);
    pick(page->SystemTypeCB, "Casement");
    pick(page->SystemNameCB, "Casement 38");
    page->KGrid1->setSelection({0, 0, 0, 0});
    page->UpdatePopup();
    ASSERT_NE(menuItem("Fixed"), nullptr);
    menuItem("Fixed")->trigger();
    page->KGrid1->repaint();
    QApplication::processEvents();
    widgets::DBEdit* box = page->DimH[0];
    ASSERT_TRUE(box->isEnabled());
    auto* watch = box->findChild<widgets::RefusedInput*>();
    ASSERT_NE(watch, nullptr);
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, "1O50");
    // The letter was refused where the user looks: counted, flashed, hinted.
    EXPECT_EQ(watch->refusals(), 1);
    EXPECT_TRUE(box->styleSheet().contains("background"));
    EXPECT_EQ(box->text(), "150");
    box->selectAll();
    QApplication::clipboard()->setText("1O50");
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(box->text(), "150"); // the paste refused whole
    EXPECT_EQ(watch->refusals(), 2);
    QApplication::clipboard()->setText("1050");
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(box->text(), "1050");
}

TEST_F(UserDay, NothingTheUserMadeOrOpenedVanishes) {
    // A new project without a reference stays, with what was typed, and says why.
    QTest::mouseClick(form->AddProjectBtn, Qt::LeftButton);
    form->ProjectNameEdit->setFocus();
    QTest::keyClicks(form->ProjectNameEdit, "No Ref Yet");
    QTest::mouseClick(form->NextProjectBtn, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_TRUE(messages.errors.contains(ui::main::NeedsReferenceMessage))
        << messages.errors.join("|").toStdString();
    EXPECT_EQ(dm->ProjectTable.state(), store::DataSet::State::Insert);
    EXPECT_EQ(form->ProjectNameEdit->text(), "No Ref Yet");
    form->ProjectRefEdit->setFocus();
    QTest::keyClicks(form->ProjectRefEdit, "ZZ-OWN");
    form->ProjectNameEdit->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(stored("Project", "Project_Ref=?", {"ZZ-OWN"}, "Project_Name").toString(), "No Ref Yet");

    // Deleting the sample lands on the user's own project, not a standard one.
    ASSERT_TRUE(dm->ProjectTable.findKey({"SAMPLE-HOUSE"}));
    const QString folder = QDir(work.path()).filePath("sample-folder");
    QDir().mkpath(folder);
    form->ProjectFolders->chooseSaveFile = [&](const QString&, const QString&) {
        return QDir(folder).filePath("TProject.db");
    };
    form->ProjectFolders->chooseProject = [] { return QStringLiteral("SAMPLE-HOUSE"); };
    form->SaveProject1Click();
    messages.answers = {data::DlgButton::Yes};
    QTest::mouseClick(form->DeleteProjectBtn, Qt::LeftButton);
    EXPECT_EQ(ref(), "ZZ-OWN");

    // Loading the folder shows the project it brought.
    form->ProjectFolders->chooseOpenFile = [&](const QString&, const QString&) {
        return QDir(folder).filePath("TProject.db");
    };
    form->LoadProject1Click();
    EXPECT_TRUE(messages.texts.contains("Information - Project Loaded Successfully!"))
        << messages.texts.join("|").toStdString();
    EXPECT_EQ(ref(), "SAMPLE-HOUSE");
}

TEST(MainWindowPlace, TheWindowFitsTheScreenAndComesBackWhereItWasLeft) {
    QTemporaryDir work, config;
    testing_support::RecordingMessages messages;
    data::TDM dm(messages, work.path(), store::AliasRegistry(QDir(config.path()).filePath("a.ini")));
    // Opened without a remembered place on a screen smaller than the window.
    QSettings(data::userSettingsFile(), QSettings::IniFormat).remove("MainWindow");
    {
        ui::main::TMainForm form(dm, messages);
        form.FirstActivation = false;
        form.show();
        const QRect free = form.screen()->availableGeometry();
        ASSERT_LT(free.width(), 1280);
        // The client area is no larger than the screen's free area (the
        // status bar in sight), and the window is maximised.
        EXPECT_LE(form.geometry().width(), free.width());
        EXPECT_LE(form.geometry().height(), free.height());
        EXPECT_TRUE(form.isMaximized());
        form.showNormal();
        form.setGeometry(QRect(free.topLeft() + QPoint(10, 20), QSize(700, 500)));
        form.close();
    }
    ui::main::TMainForm again(dm, messages);
    EXPECT_EQ(again.geometry().size(), QSize(700, 500));
    // The design report is offered under the project's and design's names.
    EXPECT_EQ(ui::reports::designReportFileName("SAMPLE-HOUSE", "W/01"),
              "SAMPLE-HOUSE W-01 \u2013 Fenestration Design Report.pdf");
    EXPECT_TRUE(ui::reports::reportSavedMessage("/tmp/a.pdf").endsWith("/tmp/a.pdf"));
}
