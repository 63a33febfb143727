#include "data/DataModule.h"
#include "store/Query.h"
#include "store/Table.h"
#include "support/TestSupport.h"
#include "ui/exchange/ImageForm.h"
#include "ui/exchange/RefForms.h"
#include "ui/exchange/StandardsForm.h"
#include "widgets/DataSetModel.h"

#include <QApplication>
#include <QDir>
#include <QGridLayout>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace ui::exchange;
using testing_support::RecordingMessages;

namespace {

// The windows on a working folder seeded with the shipped data; the installed
// pictures are hidden so that each test decides which pictures exist.
struct Forms : ::testing::Test {
    void SetUp() override {
        qputenv("QUORVEX_IMAGES_DIR", noPictures.path().toUtf8());
        dm = std::make_unique<data::TDM>(
            messages, work.path(), store::AliasRegistry(QDir(config.path()).filePath("a.ini")));
        ASSERT_TRUE(dm->tablesOpen());
        dm->DesignTable.close();
        dm->DesignTable.setMasterFields({"Project_Ref"});
        dm->DesignTable.setMaster(&dm->ProjectTable);
        dm->DesignTable.open();
        ASSERT_TRUE(dm->ProjectTable.findKey({"SAMPLE-HOUSE"}));
        picture("Blank.jpg", Qt::white);
    }
    void TearDown() override {
        dm.reset();
        qunsetenv("QUORVEX_IMAGES_DIR");
    }
    void picture(const QString& name, Qt::GlobalColor colour) {
        QDir(work.path()).mkpath("Images/Standards");
        QImage image(300, 150, QImage::Format_RGB32);
        image.fill(colour);
        ASSERT_TRUE(image.save(QDir(work.path()).filePath("Images/Standards/" + name), "JPG"));
    }
    QTemporaryDir work, config, noPictures;
    RecordingMessages messages;
    std::unique_ptr<data::TDM> dm;
};

} // namespace

TEST_F(Forms, TheReferenceWindowsKeepTheirTextAndTheProjectOneRefusesAnExistingReference) {
    QWidget main;
    TDesignRefForm design(&main);
    EXPECT_EQ(design.windowTitle(), "Copy Design");
    EXPECT_EQ(design.RefEdit->maxLength(), 10);
    EXPECT_EQ(design.OKBtn->text(), "OK");
    QTimer::singleShot(0, [&] {
        design.RefEdit->setText("W01-B");
        design.OKBtn->click();
    });
    EXPECT_EQ(design.exec(), QDialog::Accepted);
    QTimer::singleShot(0, [&] { design.CancelBtn->click(); });
    EXPECT_EQ(design.exec(), QDialog::Rejected);
    EXPECT_EQ(design.RefEdit->text(), "W01-B"); // kept for the next use

    TProjectRefForm project(*dm, &main);
    EXPECT_EQ(project.windowTitle(), "Copy Project");
    EXPECT_EQ(project.RefEdit->maxLength(), 15);
    QTimer::singleShot(0, [&] {
        project.RefEdit->setText("_Slider 30");
        project.OKBtn->click();
    });
    EXPECT_EQ(project.exec(), QDialog::Rejected);
    EXPECT_EQ(messages.texts,
              QStringList{"WARNING - Project Reference Already Exists, project NOT Copied"});
    EXPECT_EQ(dm->ProjectTable.fieldByName("Project_Ref").asString(), "_Slider 30");
    QTimer::singleShot(0, [&] {
        project.RefEdit->setText("FRESH");
        project.OKBtn->click();
    });
    EXPECT_EQ(project.exec(), QDialog::Accepted);
    EXPECT_EQ(messages.texts.size(), 1);
}

TEST_F(Forms, TheIndexHasSixtySlotsAndTheThirdSelectsTheThirdDesign) {
    // The Slider 30 range lists S30-01 .. S30-04; only the third and fourth have pictures.
    picture("S30-03.jpg", Qt::red);
    picture("S30-04.jpg", Qt::blue);
    store::Query standards(dm->database(), QString());
    TImageForm index(
        standards, dm->WorkDir, [] { return QStringLiteral("Slider 30"); }, nullptr);
    ASSERT_EQ(index.Image.size(), 60u);
    auto* grid = qobject_cast<QGridLayout*>(index.Image[0]->parentWidget()->layout());
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->rowCount(), 10);
    EXPECT_EQ(grid->columnCount(), 6);
    int row, col, rs, cs;
    grid->getItemPosition(grid->indexOf(index.Image[7]), &row, &col, &rs, &cs);
    EXPECT_EQ(std::make_pair(row, col), std::make_pair(1, 1));
    EXPECT_EQ(index.Image[0]->size(), QSize(150, 100));

    QTimer::singleShot(0, [&] {
        // Pictures are scaled into the slot with their proportions: 300 x 150 becomes 150 x 75.
        EXPECT_EQ(index.Image[2]->pixmap().size(), QSize(150, 75));
        EXPECT_EQ(index.indexSlots()[0].row, -1);
        EXPECT_EQ(index.indexSlots()[2].row, 2);
        QTest::mouseClick(index.Image[2], Qt::LeftButton);
    });
    EXPECT_EQ(index.exec(), QDialog::Accepted);
    EXPECT_EQ(standards.fieldByName("Design_Ref").asString(), "S30-03");
    EXPECT_EQ(index.indexSlots()[2].row, -1); // the bookmarks are released on closing

    // A blank slot (no picture, or no design at all) only closes the index.
    for (int slot : {1, 40}) {
        QTimer::singleShot(0, [&] {
            standards.moveTo(3);
            QTest::mouseClick(index.Image[size_t(slot)], Qt::LeftButton);
        });
        index.exec();
        EXPECT_EQ(standards.fieldByName("Design_Ref").asString(), "S30-04") << slot;
    }
}

TEST_F(Forms, ThePickerListsTheSystemsDesignsShowsTheirPicturesAndAppliesTheChoice) {
    picture("C38-02.jpg", Qt::green);
    ASSERT_TRUE(dm->DesignTable.findKey({"SAMPLE-HOUSE", 1}));
    TStandardsForm form(*dm, nullptr);
    EXPECT_EQ(form.windowTitle(), "Select Standard Design");
    form.setSystemName("Casement 38");
    form.showIndexOnOpen = false;
    QTimer::singleShot(0, [&] {
        QTimer::singleShot(0, [&] {
            EXPECT_EQ(form.DBGrid1->gridModel()->rowCount(), 7);
            EXPECT_EQ(form.DBGrid1->gridModel()
                          ->headerData(0, Qt::Horizontal, Qt::DisplayRole)
                          .toString(),
                      "Design Ref");
            EXPECT_EQ(form.DBGrid1->gridModel()
                          ->headerData(2, Qt::Horizontal, Qt::DisplayRole)
                          .toString(),
                      "Area");
            EXPECT_TRUE(form.Image->file().endsWith("Blank.jpg")); // C38-01 has no picture here
            form.NextBtn->click();
            EXPECT_TRUE(form.Image->file().endsWith("C38-02.jpg"));
            EXPECT_TRUE(form.OKBtn->isEnabled());
            form.OKBtn->click();
        });
    });
    EXPECT_EQ(form.exec(), QDialog::Accepted);
    EXPECT_EQ(dm->DesignTable.fieldByName("Design_Ref").asString(), "W01");
    EXPECT_EQ(testing_support::rowCount(
                  *dm->database(), "Design",
                  "Project_Ref = 'SAMPLE-HOUSE' AND Design_No = 1 AND DimH1 = "
                  "(SELECT DimH1 FROM Design WHERE Design_Ref = 'C38-02') AND DimV2 = "
                  "(SELECT DimV2 FROM Design WHERE Design_Ref = 'C38-02')"),
              1);
}

TEST_F(Forms, OKOnAnEmptyListChangesNothing) {
    ASSERT_TRUE(dm->DesignTable.findKey({"SAMPLE-HOUSE", 1}));
    const double width = dm->DesignTable.fieldByName("DimH1").asFloat();
    TStandardsForm form(*dm, nullptr);
    form.setSystemName("No Such System");
    form.showIndexOnOpen = false;
    QTimer::singleShot(0, [&] {
        QTimer::singleShot(0, [&] {
            EXPECT_FALSE(form.OKBtn->isEnabled());
            form.OKBtnClick(); // as a double click on the empty list would
            EXPECT_TRUE(form.isVisible());
            form.CancelBtn->click();
        });
    });
    EXPECT_EQ(form.exec(), QDialog::Rejected);
    EXPECT_FALSE(form.StandardsQuery.active());
    EXPECT_EQ(dm->DesignTable.fieldByName("DimH1").asFloat(), width);
    EXPECT_GT(width, 0);
}

TEST_F(Forms, ThePickerOpensWithTheIndex) {
    picture("TT60-02.jpg", Qt::yellow);
    TStandardsForm form(*dm, nullptr);
    form.setSystemName("TiltTurn 60");
    // The index comes first; a click on its second slot, then Cancel on the list.
    bool indexSeen = false, cancelled = false;
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == form.ImageForm && !indexSeen) {
            indexSeen = true;
            QTest::mouseClick(form.ImageForm->Image[1], Qt::LeftButton);
        } else if (modal == &form && indexSeen && !cancelled) {
            cancelled = true;
            EXPECT_EQ(form.StandardsQuery.fieldByName("Design_Ref").asString(), "TT60-02");
            form.CancelBtn->click();
        }
    });
    driver.start(10);
    EXPECT_EQ(form.exec(), QDialog::Rejected);
    EXPECT_TRUE(indexSeen);
    EXPECT_TRUE(form.Image->file().endsWith("TT60-02.jpg"));
}
