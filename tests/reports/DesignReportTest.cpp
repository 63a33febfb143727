#include "reports/DesignReport.h"

#include "ReportFixture.h"
#include "data/Paths.h"
#include "calc/Calculation.h"
#include "reports/DesignPicture.h"
#include "store/Table.h"

#include <QDir>

using namespace reports;

namespace {

struct DesignReport : ReportData {
    Document report(int designNo) {
        EXPECT_TRUE(dm->DesignTable.findKey({"SAMPLE-HOUSE", designNo}));
        calc::DesignView view;
        view.grid = &grid;
        calc::showDesignFromRecord(*dm, view);
        return designReportWithPicture(*dm, grid);
    }
    void setSupplier(int designNo, const QString& supplier) {
        store::Table t(dm->database(), "Design");
        t.open();
        ASSERT_TRUE(t.findKey({"SAMPLE-HOUSE", designNo}));
        t.edit();
        t.fieldByName("Glass_Supplier").setAsString(supplier);
        t.post();
        dm->DesignTable.refresh();
    }
    // The picture printed in the box of the given width in pixels.
    static QImage box(const Document& doc, double widthPx) {
        for (const PlacedItem& item : doc.pages[0])
            if (item.kind == Element::Kind::Picture &&
                std::abs(item.rect.width() - pxToMm(widthPx)) < 0.01)
                return item.image;
        ADD_FAILURE() << "no picture box " << widthPx << " wide";
        return QImage();
    }
    design::GridModel grid;
};

const char* Disclaimer = "Telmar's Glass Wholesalers CC";

} // namespace

TEST_F(DesignReport, PrintsEveryBlockInOrderWithTheTelmarDisclaimer) {
    const Document doc = report(5);
    ASSERT_EQ(doc.pages.size(), 1u);
    const QStringList lines = foldedLines(pdfText(doc));
    const QString all = lines.join('\n');
    const QStringList inOrder = {"Fenestration Design Report",
                                 "Printed :",
                                 "Project Ref :",
                                 "SAMPLE-HOUSE",
                                 "Project Date : 15/03/2024",
                                 "Design No. : 5",
                                 "Reference : W04",
                                 "Quantity : 1",
                                 "Product : Hung Slider 35",
                                 "Window Area (m²) : 0.96",
                                 "U-value (W/m²K) : 6.02",
                                 "SHGC : 0.629",
                                 "Finish : Powder Coat",
                                 "Wind Load (Pa) : 1000",
                                 "Korvane Profiles :",
                                 "Hung Slider 35",
                                 "Profile No. Profile Description",
                                 "Head : K35-401 Head 35",
                                 "Meeting Rail : K35-420 Meeting Rail 35",
                                 "Continuous Member : Horizontal",
                                 "Required Ix : 0.79 cm",
                                 "Actual Ix : 9.60 cm",
                                 "Glazing :",
                                 "Telmar 4 mm Clear Float",
                                 "SAGDB No. : ZA-TM-0004",
                                 "Code : TM-4CL",
                                 "Low-e Surface : 0",
                                 "Max Allowable Glass Area (m²) : 1.5",
                                 "U-value COG (W/m²K) : 5.88",
                                 "SHGC COG : 0.85",
                                 "IGDB - Glass 1",
                                 "Gap",
                                 "Glass 2",
                                 "To avoid the possibility of thermal stress fracture",
                                 Disclaimer,
                                 "hereby disclaim all liability howsoever arising",
                                 "Quorvex Version 5.0",
                                 "Page : 1"};
    expectInOrder(all, inOrder);
    EXPECT_FALSE(box(doc, 285).isNull()); // the Telmar logo
    EXPECT_FALSE(box(doc, 400).isNull());
}

TEST_F(DesignReport, SupplierLogoAndDisclaimerFollowTheSupplierCodeExactly) {
    EXPECT_EQ(supplierLogoFile("Orvane"), "Images/OrvaneLogoWhite.jpg");
    EXPECT_EQ(supplierLogoFile("Telmar"), "Images/TelmarLogoWhite.jpg");
    EXPECT_EQ(supplierLogoFile("orvane"), "");
    const Document orvane = report(1);
    EXPECT_FALSE(box(orvane, 285).isNull());
    EXPECT_FALSE(pdfText(orvane).contains(Disclaimer));
    EXPECT_EQ(box(orvane, 285).size(),
              QImage(data::resolvePicture(work.path(), "Images/OrvaneLogoWhite.jpg")).size());
    // After a Telmar report an unknown or lower-case supplier prints an empty box and no
    // disclaimer.
    report(5);
    for (const QString& supplier : {QString("orvane"), QString(), QString("Glassco")}) {
        setSupplier(3, supplier);
        const Document doc = report(3);
        EXPECT_TRUE(box(doc, 285).isNull()) << supplier.toStdString();
        EXPECT_FALSE(pdfText(doc).contains(Disclaimer)) << supplier.toStdString();
    }
}

TEST_F(DesignReport, PicturesAreOfTheReportedDesignAndTheCompanyLogoIsOptional) {
    const Document first = report(1);
    const Document second = report(2);
    EXPECT_EQ(box(first, 400).size(), QSize(300, 150));
    EXPECT_EQ(box(second, 400).size(), QSize(200, 100));
    EXPECT_EQ(box(second, 400), QImage(designPictureFile(work.path())));
    // Screen1.bmp gone: the box is empty rather than showing an earlier picture.
    QFile::remove(designPictureFile(work.path()));
    EXPECT_TRUE(box(designReport(*dm), 400).isNull());

    EXPECT_TRUE(box(second, 160).isNull());
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join("\n").toStdString();
    ASSERT_TRUE(QDir(work.path()).mkpath("Images"));
    QImage logo(160, 80, QImage::Format_RGB32);
    logo.fill(Qt::darkGreen);
    ASSERT_TRUE(logo.save(QDir(work.path()).filePath("Images/CompanyLogo.jpg")));
    EXPECT_EQ(box(report(2), 160).size(), QSize(160, 80));
}
