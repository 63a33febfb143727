// The main window with the program's real message boxes and report preview,
// on the shipped data and sample project.
#include "data/DataModule.h"
#include "data/Paths.h"
#include "support/TestSupport.h"
#include "ui/design/DesignPage.h"
#include "ui/main/MainForm.h"
#include "ui/main/WidgetMessages.h"
#include "ui/reports/Preview.h"
#include "widgets/DataControls.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

// Answers every message box as a user would, a moment after it comes up, and
// keeps what each one said.
class BoxCloser {
public:
    BoxCloser() {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible()) return;
            texts << box->text();
            if (QAbstractButton* ok = box->button(QMessageBox::Ok))
                ok->click();
            else
                box->close();
        });
        timer_.start();
    }
    int count(const QString& start) const {
        int n = 0;
        for (const QString& t : texts)
            n += t.startsWith(start) ? 1 : 0;
        return n;
    }
    QStringList texts;

private:
    QTimer timer_;
};

struct RealWindows : ::testing::Test {
    void SetUp() override {
        qputenv("QUORVEX_DATA_DIR", data::shippedDataDir().toUtf8());
        dm = std::make_unique<data::TDM>(
            messages, work.path(), store::AliasRegistry(QDir(config.path()).filePath("a.ini")));
        ASSERT_TRUE(dm->tablesOpen());
        form = std::make_unique<ui::main::TMainForm>(*dm, messages);
        page = std::make_unique<ui::design::TDesignPage>(*dm, *form, messages);
        messages.setParentWidget(form.get());
        form->FirstActivation = false;
        form->show();
        QApplication::setActiveWindow(form.get());
        QApplication::processEvents();
        ASSERT_TRUE(dm->ProjectTable.findKey({"SAMPLE-HOUSE"}));
        form->FormActivate();
        closer.texts.clear();
    }
    void TearDown() override {
        page.reset();
        form.reset();
        dm.reset();
        qunsetenv("QUORVEX_DATA_DIR");
    }
    QTemporaryDir work, config;
    BoxCloser closer;
    ui::main::WidgetMessages messages;
    std::unique_ptr<data::TDM> dm;
    std::unique_ptr<ui::main::TMainForm> form;
    std::unique_ptr<ui::design::TDesignPage> page;
};

const QString kWarning = QStringLiteral("Warning - The ");

} // namespace

// A mullion too weak for the wind load warns once when calculated; closing the
// warning is no reason to show it again, and only a change of the inputs arms
// it for the next calculation.
TEST_F(RealWindows, TheStructuralWarningShowsOncePerChange) {
    ASSERT_EQ(dm->DesignTable.fieldByName("Continuous").asString(), "Vertical");
    page->WindLoadCB->setFocus();
    page->WindLoadCB->setEditText(QStringLiteral("20000"));
    page->CalcBtn->click();
    QTest::qWait(1500);
    ASSERT_GT(dm->DesignTable.fieldByName("ActualIx").asFloat(), 0);
    ASSERT_GT(dm->DesignTable.fieldByName("ReqIx").asFloat(),
              dm->DesignTable.fieldByName("ActualIx").asFloat());
    EXPECT_EQ(closer.count(kWarning), 1) << closer.texts.join("\n").toStdString();
    EXPECT_TRUE(
        closer.texts.value(0).contains(QStringLiteral(" will fail, please select a stronger ")))
        << closer.texts.value(0).toStdString();

    // Calculating again without a change stays silent.
    page->CalcBtn->click();
    QTest::qWait(300);
    EXPECT_EQ(closer.count(kWarning), 1);

    // A new wind load is a change: the next calculation warns once more.
    page->WindLoadCB->setEditText(QStringLiteral("25000"));
    page->CalcBtn->click();
    QTest::qWait(1000);
    EXPECT_EQ(closer.count(kWarning), 2) << closer.texts.join("\n").toStdString();
}

// A report preview opens over the whole free area of the screen, where nothing
// maximises it for us, at the zoom the report asks for.
TEST_F(RealWindows, ReportPreviewsOpenFullSizeAtTheReportsZoom) {
    const QRect screen = form->screen()->availableGeometry();
    struct Seen {
        QSize size;
        QPrintPreviewWidget::ZoomMode mode = QPrintPreviewWidget::CustomZoom;
        double zoom = 0;
        bool fitChecked = false;
    };
    auto look = [&](const QString& fit) {
        auto seen = std::make_shared<Seen>();
        auto* timer = new QTimer;
        timer->setInterval(20);
        QObject::connect(timer, &QTimer::timeout, [timer, seen, fit] {
            auto* dialog = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible()) return;
            QApplication::processEvents();
            auto* view = dialog->findChild<QPrintPreviewWidget*>();
            seen->size = dialog->size();
            seen->mode = view->zoomMode();
            seen->zoom = view->zoomFactor();
            seen->fitChecked = dialog->findChild<QAction*>(fit)->isChecked();
            timer->stop();
            timer->deleteLater();
            dialog->reject();
        });
        timer->start();
        return seen;
    };
    auto whole = look(QStringLiteral("fitPageAction"));
    page->PrintReportBtn->click();
    EXPECT_GE(whole->size.width(), screen.width() * 9 / 10);
    EXPECT_GE(whole->size.height(), screen.height() * 9 / 10);
    EXPECT_EQ(whole->mode, QPrintPreviewWidget::FitInView);
    EXPECT_TRUE(whole->fitChecked);
    EXPECT_GT(whole->zoom, 0.2);

    auto width = look(QStringLiteral("fitWidthAction"));
    form->PrintSummaryBtn->click();
    EXPECT_GE(width->size.width(), screen.width() * 9 / 10);
    EXPECT_GE(width->size.height(), screen.height() * 9 / 10);
    EXPECT_EQ(width->mode, QPrintPreviewWidget::FitToWidth);
    EXPECT_TRUE(width->fitChecked);
    EXPECT_GT(width->zoom, whole->zoom);
}
