#include "ui/main/MainForm.h"

#include "data/DataModule.h"
#include "data/Paths.h"
#include "support/TestSupport.h"
#include "ui/compliance/RationalPage.h"
#include "ui/main/AboutForm.h"
#include "ui/main/Application.h"
#include "ui/main/DetailsForm.h"
#include "ui/main/SearchForm.h"
#include "widgets/DataControls.h"
#include "widgets/DataSetModel.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace data;
using namespace ui::main;
using testing_support::fixturesDir;
using testing_support::RecordingMessages;
using testing_support::rowCount;

namespace {

// Runs `step` on the modal window as soon as it is up (a modal exec blocks the test).
void whenModal(std::function<void(QWidget*)> step) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, step] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            step(modal);
        }
    });
    timer->start();
}

struct Window : ::testing::Test {
    void start(const QString& shippedData) {
        qputenv("QUORVEX_DATA_DIR", shippedData.toUtf8());
        dm = std::make_unique<TDM>(messages, work.path(), store::AliasRegistry(QDir(config.path()).filePath("a.ini")));
        form = std::make_unique<TMainForm>(*dm, messages);
        form->FirstActivation = false;  // the disclaimer has its own test
        form->show();
        QApplication::setActiveWindow(form.get());
        QApplication::processEvents();
    }
    void start() { start(QDir(fixturesDir()).filePath("data")); }
    void TearDown() override {
        form.reset();
        dm.reset();
        qunsetenv("QUORVEX_DATA_DIR");
    }
    QString currentRef() { return dm->ProjectTable.fieldByName("Project_Ref").asString(); }
    int projects() { return rowCount(*dm->database(), "Project"); }

    QTemporaryDir work, config;
    RecordingMessages messages;
    std::unique_ptr<TDM> dm;
    std::unique_ptr<TMainForm> form;
};

}  // namespace

TEST_F(Window, EmptyFolderShowsAnEmptyHeaderAndStepsDoNothing) {
    QTemporaryDir noRows;
    start(noRows.path());
    EXPECT_EQ(form->windowTitle(), "Quorvex (Version 5.0)");
    EXPECT_TRUE(form->ProjectRefEdit->text().isEmpty());
    EXPECT_TRUE(form->ProjectNameEdit->text().isEmpty());
    form->PrevProjectBtn->click();
    form->NextProjectBtn->click();
    EXPECT_EQ(projects(), 0);
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join("|").toStdString();
    // Only DESIGN and SUMMARY have tabs.
    EXPECT_TRUE(form->PageControl1->isTabVisible(0));
    EXPECT_TRUE(form->PageControl1->isTabVisible(1));
    for (int i = 2; i <= 4; ++i) EXPECT_FALSE(form->PageControl1->isTabVisible(i));
}

TEST_F(Window, StartsOnTheLastDatedProjectAndStepsInKeyOrder) {
    start();
    EXPECT_EQ(form->ProjectRefEdit->text(), "HOUSE");
    EXPECT_EQ(form->ProjectNameEdit->text(), "Smith house, Parktown");
    EXPECT_EQ(form->ProjectDateEdit->text(), "01/04/2026");
    EXPECT_EQ(form->FinCB->currentText(), "Anodised");
    EXPECT_TRUE(form->ProjectRefEdit->isReadOnly());
    // "Previous Project" walks forward in key order, "Next Project" back.
    form->PrevProjectBtn->click();
    EXPECT_EQ(currentRef(), "OFFICE");
    form->PrevProjectBtn->click();
    EXPECT_EQ(form->ProjectRefEdit->text(), "_Casement");
    form->PrevProjectBtn->click();  // at the end: nothing moves
    EXPECT_EQ(currentRef(), "_Casement");
    form->NextProjectBtn->click();
    form->NextProjectBtn->click();
    EXPECT_EQ(currentRef(), "HOUSE");
    form->NextProjectBtn->click();
    EXPECT_EQ(form->ProjectRefEdit->text(), "HOUSE");
}

// The project first in key order is not the latest dated: the window opens on
// the latest dated one all the same.
TEST_F(Window, StartsOnTheLatestDatedProjectNotTheFirstByKey) {
    QTemporaryDir shipped;
    for (const QString& f : QDir(QDir(fixturesDir()).filePath("data")).entryList(QDir::Files))
        ASSERT_TRUE(QFile::copy(QDir(fixturesDir()).filePath("data/" + f), QDir(shipped.path()).filePath(f)));
    QFile projects(QDir(shipped.path()).filePath("Project.csv"));
    QFile::setPermissions(projects.fileName(), QFile::ReadOwner | QFile::WriteOwner);
    ASSERT_TRUE(projects.open(QIODevice::Append));
    projects.write("APARTMENT,Block of flats,2019-06-30,Anodised,1000,,,,,\n");
    projects.close();
    start(shipped.path());
    ASSERT_EQ(rowCount(*dm->database(), "Project", "Project_Ref = 'APARTMENT'"), 1);
    EXPECT_EQ(form->ProjectRefEdit->text(), "HOUSE");
    EXPECT_EQ(currentRef(), "HOUSE");
    // In key order it is the first: "Next Project" from HOUSE reaches it.
    form->NextProjectBtn->click();
    EXPECT_EQ(currentRef(), "APARTMENT");
}

TEST_F(Window, ANewProjectIsPostedWhenItsReferenceBoxIsLeft) {
    start();
    form->AddProjectBtn->click();
    EXPECT_FALSE(form->ProjectRefEdit->isReadOnly());
    EXPECT_EQ(QApplication::focusWidget(), form->ProjectRefEdit);
    EXPECT_EQ(form->FinCB->currentText(), "Powder Coat");
    EXPECT_EQ(form->WLoadCB->currentText(), "1000");
    QTest::keyClicks(form->ProjectRefEdit, "NEW1");
    form->ProjectNameEdit->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(projects(), 4);
    EXPECT_EQ(rowCount(*dm->database(), "Project",
                       "Project_Ref = 'NEW1' AND Def_Finish = 'Powder Coat' AND Def_WL = 1000 AND Project_Date = ?1",
                       {QDate::currentDate().toString(Qt::ISODate)}),
              1);
    EXPECT_TRUE(form->ProjectRefEdit->isReadOnly());
    QTest::keyClicks(form->ProjectNameEdit, "Clinic");
    form->DesignBtnClick();
    EXPECT_EQ(rowCount(*dm->database(), "Project", "Project_Name = 'Clinic'"), 1);
}

TEST_F(Window, AnAbandonedNewProjectIsGoneAfterTheNextSave) {
    start();
    form->AddProjectBtn->click();
    form->ProjectNameEdit->setFocus();  // leaves the reference box empty
    QApplication::processEvents();
    form->DesignBtnClick();
    EXPECT_EQ(projects(), 3);
    EXPECT_EQ(rowCount(*dm->database(), "Project", "Project_Ref IS NULL"), 0);
}

TEST_F(Window, StandardProjectsCannotBeDeletedOthersAfterYes) {
    start();
    dm->ProjectTable.findKey({"_Casement"});
    form->DeleteProjectBtn->click();
    EXPECT_EQ(messages.texts, QStringList{"You may NOT delete standard projects!"});
    EXPECT_EQ(projects(), 3);

    dm->ProjectTable.append();
    dm->ProjectTable.fieldByName("Project_Ref").setAsString("A_B");
    dm->ProjectTable.post();
    messages.texts.clear();
    messages.answers = {DlgButton::No};
    form->DeleteProjectBtn->click();
    EXPECT_EQ(messages.texts, QStringList{"Are you sure you want to Delete this Project?"});
    EXPECT_EQ(projects(), 4);
    messages.answers = {DlgButton::Yes};
    form->DeleteProjectBtn->click();
    EXPECT_EQ(projects(), 3);
    EXPECT_EQ(rowCount(*dm->database(), "Project", "Project_Ref = 'A_B'"), 0);
}

TEST_F(Window, SearchFindsPartOfANameInAnotherLetterCase) {
    start();
    dm->ProjectTable.findKey({"OFFICE"});
    int listed = -1;
    whenModal([&](QWidget*) {
        QTest::keyClicks(form->SearchForm->SearchEdit, "smith");
        QTest::keyClick(form->SearchForm->SearchEdit, Qt::Key_Return);
        listed = dm->ProjectQuery.recordCount();
        form->SearchForm->accept();
    });
    form->FindProjectBtn->click();
    EXPECT_EQ(listed, 1);
    EXPECT_EQ(currentRef(), "HOUSE");
    EXPECT_FALSE(dm->ProjectQuery.active());
    EXPECT_TRUE(messages.texts.isEmpty());
}

TEST_F(Window, ShowStandardsListsTheStandardProjectsOnlyWhenTicked) {
    start();
    QList<int> counts;
    whenModal([&](QWidget*) {
        counts << dm->ProjectQuery.recordCount();
        form->SearchForm->ShowStandards->click();
        counts << dm->ProjectQuery.recordCount();
        form->SearchForm->ShowStandards->click();
        counts << dm->ProjectQuery.recordCount();
        form->SearchForm->reject();
    });
    const QString before = currentRef();
    form->FindProject2Btn->click();
    EXPECT_EQ(counts, (QList<int>{2, 3, 2}));
    EXPECT_EQ(currentRef(), before);
}

// Closing one of our own windows is no activation: RESULTS stays and the
// design screen is not refreshed behind the user's back.
TEST_F(Window, ClosingOurOwnModalWindowIsNoActivation) {
    start();
    form->PageControl1->setTabVisible(3, true);
    form->WarningsOff = true;
    whenModal([&](QWidget* modal) {
        // As a window manager does, the modal window takes the activation.
        QApplication::setActiveWindow(modal);
        form->DetailsForm->Detail[0]->setFocus();
        QTest::keyClicks(form->DetailsForm->Detail[0], "Erf 1234, Parktown");
        modal->close();
    });
    form->DetailsBtn->click();
    QApplication::setActiveWindow(form.get());
    QTest::qWait(200);
    EXPECT_TRUE(form->PageControl1->isTabVisible(3));
    EXPECT_TRUE(form->WarningsOff);
    EXPECT_EQ(rowCount(*dm->database(), "Project", "Detail1 = 'Erf 1234, Parktown'"), 1);
}

// Coming back from another program runs the activation steps, once, and not
// while one of our modal windows is in front.
TEST_F(Window, ComingBackFromAnotherProgramRunsTheActivationSteps) {
    start();
    auto leaveAndComeBack = [&] {
        emit qApp->applicationStateChanged(Qt::ApplicationInactive);
        if (!QApplication::activeModalWidget()) QApplication::setActiveWindow(form.get());
        emit qApp->applicationStateChanged(Qt::ApplicationActive);
        QTest::qWait(50);
    };
    form->PageControl1->setTabVisible(3, true);
    form->WarningsOff = true;
    bool shownWhileModal = false, offWhileModal = false;
    whenModal([&](QWidget* modal) {
        leaveAndComeBack();
        shownWhileModal = form->PageControl1->isTabVisible(3);
        offWhileModal = form->WarningsOff;
        modal->close();
    });
    form->DetailsBtn->click();
    EXPECT_TRUE(shownWhileModal);
    EXPECT_TRUE(offWhileModal);

    leaveAndComeBack();
    EXPECT_FALSE(form->PageControl1->isTabVisible(3));
    EXPECT_FALSE(form->WarningsOff);

    // Being told again that the program is active, without having left it, is
    // no new activation.
    form->PageControl1->setTabVisible(3, true);
    emit qApp->applicationStateChanged(Qt::ApplicationActive);
    QTest::qWait(50);
    EXPECT_TRUE(form->PageControl1->isTabVisible(3));
}

TEST_F(Window, TheSummaryGridIsEnabledOnlyWhileItsPageIsShown) {
    start();
    dm->DesignTable.append();
    dm->DesignTable.fieldByName("Design_Ref").setAsString("W1");
    dm->DesignTable.post();
    EXPECT_FALSE(form->SummaryGrid->isEnabled());
    form->HideWarningsCB->setChecked(true);
    form->PageControl1->setCurrentIndex(1);
    EXPECT_TRUE(form->SummaryGrid->isEnabled());
    EXPECT_TRUE(form->WarningsOff);
    EXPECT_EQ(form->SummaryGrid->model()->rowCount(), 1);
    EXPECT_EQ(form->SummaryGrid->model()->headerData(6, Qt::Horizontal).toString(), "Area(sqm)");
    EXPECT_FALSE(form->SummaryGrid->model()->flags(form->SummaryGrid->model()->index(0, 0)) & Qt::ItemIsEditable);
    EXPECT_TRUE(form->SummaryGrid->model()->flags(form->SummaryGrid->model()->index(0, 1)) & Qt::ItemIsEditable);
    form->PageControl1->setCurrentIndex(0);
    EXPECT_FALSE(form->SummaryGrid->isEnabled());
}

TEST_F(Window, DecliningTheDisclaimerEndsTheProgram) {
    qputenv("QUORVEX_DATA_DIR", QDir(fixturesDir()).filePath("data").toUtf8());
    dm = std::make_unique<TDM>(messages, work.path(), store::AliasRegistry(QDir(config.path()).filePath("a.ini")));
    form = std::make_unique<TMainForm>(*dm, messages);
    bool ended = false;
    form->onDecline = [&] { ended = true; };
    whenModal([&](QWidget* modal) {
        EXPECT_EQ(modal->windowTitle(), "About Quorvex");
        form->AboutForm->declineButton()->click();
    });
    form->FormActivate();
    EXPECT_TRUE(ended);
    EXPECT_FALSE(form->FirstActivation);
}

TEST_F(Window, TheComplianceMenuOpensTheRationalDesignPage) {
    start();
    EXPECT_FALSE(form->PageControl1->isTabVisible(4));
    form->RationalAction->trigger();
    EXPECT_TRUE(form->PageControl1->isTabVisible(4));
    EXPECT_EQ(form->PageControl1->currentIndex(), 4);
    EXPECT_EQ(form->PageControl1->tabText(4), "SANS 10400XA (Rational Design)");
    EXPECT_TRUE(form->RationalPage->isVisible());
}

// The About window names the working folder and how the data folder is written
// (the write-ahead log on a local disk).
TEST_F(Window, AboutNamesTheWorkingFolderAndTheJournalMode) {
    start();
    auto* folder = form->AboutForm->findChild<QLabel*>("WorkFolderLabel");
    auto* journal = form->AboutForm->findChild<QLabel*>("JournalModeLabel");
    ASSERT_TRUE(folder && journal);
    EXPECT_TRUE(folder->text().contains(QDir::toNativeSeparators(dm->WorkDir))) << folder->text().toStdString();
    EXPECT_EQ(journal->text(), "Data folder written with a write-ahead log");
    EXPECT_FALSE(journal->isHidden());
}

// Tab walks the project header in reading order: along the first line, then
// the second, then the third.
TEST_F(Window, TabWalksTheProjectHeaderInReadingOrder) {
    start();
    const QList<QWidget*> expected{
        form->ProjectRefEdit,  form->ProjectNameEdit, form->PrevProjectBtn,
        form->NextProjectBtn,  form->AddProjectBtn,   form->DeleteProjectBtn,
        form->FindProjectBtn,  form->CopyProjectBtn,  form->WLoadCB,
        form->FinCB,           form->ProjectDateEdit, form->DesignedByEdit,
        form->FindProject2Btn, form->DetailsBtn};
    form->ProjectRefEdit->setFocus();
    QList<QWidget*> walked{QApplication::focusWidget()};
    for (int i = 1; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* now = QApplication::focusWidget();
        // An editable list's own line edit stands for the list.
        if (now && now->parentWidget() == form->WLoadCB) now = form->WLoadCB;
        walked << now;
    }
    EXPECT_EQ(walked, expected);
}

// Help, User Manual with no manual anywhere says so and where it looked.
TEST_F(Window, AMissingUserManualIsReportedWithThePlacesLookedIn) {
    start();
    const QStringList places = data::userManualCandidates(dm->WorkDir);
    for (int i = 1; i < places.size(); ++i)
        if (QFileInfo::exists(places.at(i)))
            GTEST_SKIP() << "a manual is installed beside the tests";
    QString opened;
    form->openDocument = [&](const QString& file) { opened = file; };
    form->UserManualAction->trigger();
    EXPECT_TRUE(opened.isEmpty());
    ASSERT_EQ(messages.texts.size(), 1);
    const QString text = messages.texts.first();
    EXPECT_TRUE(text.startsWith("The user manual cannot be found.")) << text.toStdString();
    for (const QString& place : places)
        EXPECT_TRUE(text.contains(QDir::toNativeSeparators(place))) << place.toStdString();

    // With a copy in the working folder, that copy is opened and nothing said.
    QFile manual(places.first());
    ASSERT_TRUE(manual.open(QIODevice::WriteOnly));
    manual.close();
    messages.texts.clear();
    form->UserManualAction->trigger();
    EXPECT_EQ(opened, places.first());
    EXPECT_TRUE(messages.texts.isEmpty());
}

// The search compares letters as the user reads them: "é" finds "É".
TEST_F(Window, SearchFindsAccentedLettersInAnotherCase) {
    start();
    for (const auto& [ref, name] : {std::pair{"ECOLE1", "Musée de l'école"},
                                    std::pair{"ECOLE2", "Ecole secondaire"},
                                    std::pair{"ECOLE3", "ÉCOLE NORMALE"}}) {
        dm->ProjectTable.append();
        dm->ProjectTable.fieldByName("Project_Ref").setAsString(ref);
        dm->ProjectTable.fieldByName("Project_Name").setAsString(QString::fromUtf8(name));
        dm->ProjectTable.post();
    }
    auto search = [&](const char* text) {
        QStringList found;
        whenModal([&](QWidget*) {
            form->SearchForm->SearchEdit->setText(QString::fromUtf8(text));
            QTest::keyClick(form->SearchForm->SearchEdit, Qt::Key_Return);
            for (dm->ProjectQuery.first(); !dm->ProjectQuery.eof(); dm->ProjectQuery.next())
                found << dm->ProjectQuery.fieldByName("Project_Ref").asString();
            form->SearchForm->accept();
        });
        form->FindProjectBtn->click();
        found.sort();
        return found;
    };
    // Stored in small letters, typed in capitals, and the other way round.
    EXPECT_EQ(search("ÉCOLE"), (QStringList{"ECOLE1", "ECOLE3"}));
    EXPECT_EQ(search("école"), (QStringList{"ECOLE1", "ECOLE3"}));
    EXPECT_EQ(search("MUSÉE"), QStringList{"ECOLE1"});
    EXPECT_EQ(currentRef(), "ECOLE1");
}

// Esc does not answer the disclaimer; only Accept does.
TEST_F(Window, EscapeDoesNotCloseTheDisclaimer) {
    start();
    form->AboutForm->show();
    QApplication::setActiveWindow(form->AboutForm);
    QTest::keyClick(form->AboutForm, Qt::Key_Escape);
    QTest::keyClick(form->AboutForm->acceptButton(), Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_TRUE(form->AboutForm->isVisible());
    EXPECT_EQ(form->AboutForm->result(), 0);
    form->AboutForm->acceptButton()->click();
    EXPECT_FALSE(form->AboutForm->isVisible());
    EXPECT_EQ(form->AboutForm->result(), QDialog::Accepted);
}

// Captions are exactly the windows' own: the application sets no display
// name, which Qt would append to every one of them.
TEST_F(Window, CaptionsCarryNoApplicationName) {
    ui::main::setUpApplication();
    EXPECT_EQ(QApplication::applicationName(), "Quorvex U-Value Calculator");
    // A display name that was never set follows the application name.
    QApplication::setApplicationName("probe");
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), "probe");
    ui::main::setUpApplication();
    start();
    EXPECT_EQ(form->windowTitle(), "Quorvex (Version 5.0)");
    EXPECT_EQ(form->SearchForm->windowTitle(), "Search Form");
    EXPECT_EQ(form->AboutForm->windowTitle(), "About Quorvex");
}
