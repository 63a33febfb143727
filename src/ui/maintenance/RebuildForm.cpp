#include "RebuildForm.h"

#include "store/FolderMark.h"

#include <QApplication>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace ui::maintenance {

using namespace ::maintenance;

TRebuildForm::TRebuildForm(const QString& dataFolder, data::Messages& messages, QWidget* parent)
    : QDialog(parent), dataFolder_(dataFolder), messages_(messages) {
    setWindowTitle(QStringLiteral("Rebuild All Tables"));
    util_ = std::make_unique<TBDEUtil>();
    auto* status = new QGroupBox(QStringLiteral(" Status: "));
    auto* grid = new QGridLayout(status);
    int row = 0;
    for (const char* caption : {"Header:", "Indexes:", "Data:", "Rebuild:"}) {
        Bars[row] = new QProgressBar;
        Bars[row]->setRange(0, 100);
        grid->addWidget(new QLabel(QLatin1String(caption)), row, 0);
        grid->addWidget(Bars[row], row, 1);
        ++row;
    }
    Log = new QPlainTextEdit;
    Log->setReadOnly(true);
    Log->setLineWrapMode(QPlainTextEdit::NoWrap);
    RebuildBtn = new QPushButton(QStringLiteral("&Rebuild"));
    ExitBtn = new QPushButton(QStringLiteral("Exit"));
    connect(RebuildBtn, &QPushButton::clicked, this, [this] {
        try {
            RebuildBtnClick();
        } catch (const store::StoreError& e) {
            QApplication::restoreOverrideCursor();
            messages_.showError(e.message());
        }
    });
    connect(ExitBtn, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(RebuildBtn);
    buttons->addWidget(ExitBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(status);
    layout->addWidget(new QLabel(QStringLiteral("Success of rebuild per table:")));
    layout->addWidget(Log, 1);
    layout->addLayout(buttons);
    setFixedSize(453, 317);
}

TRebuildForm::~TRebuildForm() = default;

void TRebuildForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Log->clear();
    Log->repaint();
}

void TRebuildForm::ResetProgress() {
    for (QProgressBar* bar : Bars)
        bar->setValue(0);
}

void TRebuildForm::DeleteWorkTables() {
    ::maintenance::DeleteWorkTables(dataFolder_);
}

void TRebuildForm::RebuildBtnClick() {
    Log->clear();
    Log->repaint();
    DeleteWorkTables();
    RepairAllTables();
    if (!RebuildError) {
        accept();
        DeleteWorkTables();
    }
}

void TRebuildForm::RepairAllTables() {
    RebuildError = false;
    // Held for the whole run, so no program opens the folder half-way; this
    // program's own mark on it does not count.
    const auto mark = store::FolderMark::take(dataFolder_, store::FolderMark::Kind::Exclusive);
    if (!mark) {
        RebuildError = true;
        Log->setPlainText(store::FolderMark::inUseMessage());
        messages_.showMessage(store::FolderMark::inUseMessage());
        return;
    }
    DatabaseRebuild run;
    int logged = 0;
    run.eachTable = [this, &run, &logged] {
        // The lines of the tables done so far, shown while the next one runs.
        for (; logged < run.log.size(); ++logged)
            Log->appendPlainText(run.log[logged]);
        ResetProgress();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        run.RebuildDatabaseTables(dataFolder_, *util_);
    } catch (...) {
        QApplication::restoreOverrideCursor();
        Log->setPlainText(run.log.join(QLatin1Char('\n')));
        throw;
    }
    QApplication::restoreOverrideCursor();
    Log->setPlainText(run.log.join(QLatin1Char('\n')));
    RebuildError = run.RebuildError;
    if (!run.keptIn.isEmpty()) messages_.showMessage(keptInText(run.keptIn));
    if (RebuildError) {
        messages_.showMessage(
            QStringLiteral("An error occurred while trying to rebuild one or more the tables. "
                           "Please phone Zendrix for more information on how to correct this "
                           "error."));
    } else {
        messages_.showMessage(QStringLiteral(
            "All tables were successfully rebuilt. You may now continue without any problems."));
        accept();
    }
}

} // namespace ui::maintenance
