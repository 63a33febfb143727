#include "ServerSettingsForm.h"

#include "data/DataModule.h"
#include "data/Messages.h"
#include "data/ServerStore.h"
#include "store/StoreError.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

namespace ui::main {

namespace {

QLabel* wrapped(const QString& text) {
    auto* l = new QLabel(text);
    l->setWordWrap(true);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return l;
}

// The wait cursor while a connection is tried: libpq's connect_timeout bounds the wait.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

} // namespace

TServerSettingsForm::TServerSettingsForm(const QString& inUse, const QString& dataFolder,
                                         bool fromCommandLine, data::Messages& messages,
                                         QWidget* parent)
    : QDialog(parent), messages_(messages), stored_(data::settingsServer()) {
    setWindowTitle(QStringLiteral("Office Server"));

    auto* inUseBox = new QGroupBox(QStringLiteral("IN USE NOW"));
    auto* inUseLayout = new QVBoxLayout(inUseBox);
    InUseLabel = wrapped(inUse);
    inUseLayout->addWidget(InUseLabel);
    CommandLineLabel =
        wrapped(QStringLiteral("glazecalc was started with --server: the command line wins over "
                               "the setting below for as long as it is started that way."));
    CommandLineLabel->setVisible(fromCommandLine);
    inUseLayout->addWidget(CommandLineLabel);

    auto* choiceBox = new QGroupBox(QStringLiteral("KEEP THE TABLES IN"));
    auto* grid = new QGridLayout(choiceBox);
    FolderRB = new QRadioButton(QStringLiteral("the data folder of the working folder"));
    auto* folderLabel = wrapped(QDir::toNativeSeparators(dataFolder));
    folderLabel->setIndent(24);
    ServerRB = new QRadioButton(QStringLiteral("an office server"));
    AddressEdit = new QLineEdit(stored_);
    AddressEdit->setPlaceholderText(
        QStringLiteral("postgresql://user@host/database  or  service=NAME"));
    AddressEdit->setMinimumWidth(360);
    TestConnectionBtn = new QPushButton(QStringLiteral("Test Connection"));
    TestResultLabel = wrapped(QString());
    auto* passwordNote =
        wrapped(QStringLiteral("The password comes from ~/.pgpass, the service file or "
                               "PGPASSWORD, never from the address."));
    passwordNote->setStyleSheet(QStringLiteral("color: #606060"));
    grid->addWidget(FolderRB, 0, 0, 1, 3);
    grid->addWidget(folderLabel, 1, 0, 1, 3);
    grid->addWidget(ServerRB, 2, 0, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Address :")), 3, 0);
    grid->addWidget(AddressEdit, 3, 1);
    grid->addWidget(TestConnectionBtn, 3, 2);
    grid->addWidget(TestResultLabel, 4, 1, 1, 2);
    grid->addWidget(passwordNote, 5, 1, 1, 2);
    grid->setColumnStretch(1, 1);
    (stored_.isEmpty() ? FolderRB : ServerRB)->setChecked(true);

    auto* note = wrapped(QStringLiteral("The choice takes effect when glazecalc starts again."));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    auto* layout = new QVBoxLayout(this);
    // The window grows with a long reason shown under the address.
    layout->setSizeConstraint(QLayout::SetMinimumSize);
    layout->addWidget(inUseBox);
    layout->addWidget(choiceBox);
    layout->addWidget(note);
    layout->addStretch();
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &TServerSettingsForm::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(TestConnectionBtn, &QPushButton::clicked, this,
            &TServerSettingsForm::TestConnectionClick);
    connect(ServerRB, &QRadioButton::toggled, this, &TServerSettingsForm::chosen);
    // A result shown belongs to the address it was tried with.
    connect(AddressEdit, &QLineEdit::textChanged, TestResultLabel, &QLabel::clear);
    chosen();
    resize(560, 0);
    if (layout->hasHeightForWidth()) resize(560, layout->totalHeightForWidth(560));
}

void TServerSettingsForm::chosen() {
    AddressEdit->setEnabled(ServerRB->isChecked());
    TestConnectionBtn->setEnabled(ServerRB->isChecked());
    if (ServerRB->isChecked()) AddressEdit->setFocus();
}

QString TServerSettingsForm::chosenServer() const {
    return ServerRB->isChecked() ? AddressEdit->text().trimmed() : QString();
}

QString TServerSettingsForm::refusal() const {
    if (!ServerRB->isChecked()) return {};
    if (chosenServer().isEmpty())
        return QStringLiteral(
            "Type the server's address (postgresql://user@host/db or service=NAME), or "
            "choose the data folder.");
    try {
        data::checkServerAddress(chosenServer());
    } catch (const store::StoreError& e) {
        return e.message();
    }
    return {};
}

void TServerSettingsForm::TestConnectionClick() {
    TestResultLabel->clear();
    if (const QString why = refusal(); !why.isEmpty()) {
        TestResultLabel->setText(why);
        return;
    }
    QString said;
    bool ok = false;
    {
        WaitCursor wait;
        try {
            said = QStringLiteral("Connected to %1.").arg(data::testServer(chosenServer()));
            ok = true;
        } catch (const store::StoreError& e) {
            said = e.message();
        }
    }
    TestResultLabel->setStyleSheet(ok ? QStringLiteral("color: #006000")
                                      : QStringLiteral("color: #b00000"));
    TestResultLabel->setText(said);
    // Wrapped lines need more height at the window's width than its minimum gives.
    if (layout()->hasHeightForWidth())
        resize(width(), std::max(height(), layout()->totalHeightForWidth(width())));
}

void TServerSettingsForm::accept() {
    if (const QString why = refusal(); !why.isEmpty()) {
        messages_.showMessage(why);
        return; // the window stays open with what was typed
    }
    if (chosenServer() != stored_) {
        try {
            data::setSettingsServer(chosenServer());
        } catch (const store::StoreError& e) {
            messages_.showError(e.message());
            return;
        }
        changed_ = true;
    }
    QDialog::accept();
}

QString storeInUseText(const data::TDM& dm) {
    if (dm.database() && dm.database()->isServer()) return dm.storeText();
    return QStringLiteral("The data folder %1").arg(QDir::toNativeSeparators(dm.dataFolder()));
}

QString storeErrorText(const store::StoreError& e) {
    if (!dynamic_cast<const store::ServerError*>(&e)) return e.message();
    return e.message() +
           QStringLiteral(
               "\nShould the server stay out of reach, Project \u2192 Office Server\u2026 "
               "lets you work on a data folder instead.");
}

} // namespace ui::main
