#include "AboutForm.h"

#include "data/Paths.h"

#include <QCloseEvent>
#include <QDir>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace ui::main {

namespace {

QLabel* picture(const QString& workDir, const QString& name, int width) {
    auto* label = new QLabel;
    const QPixmap pix(data::resolvePicture(workDir, name));
    if (!pix.isNull()) label->setPixmap(pix.scaledToWidth(width, Qt::SmoothTransformation));
    label->setAlignment(Qt::AlignCenter);
    return label;
}

const char* kDisclaimer =
    "<p><b>Disclaimer</b></p>"
    "<p>The Quorvex U-Value Calculator estimates the area, whole-window thermal transmittance "
    "(U-factor), solar heat gain coefficient and structural adequacy of aluminium windows and doors "
    "from the reference values supplied with the program and the dimensions and choices entered by "
    "the user.</p>"
    "<p>The results are only as good as the data entered. They are intended to assist fabricators and "
    "specifiers and do not replace the judgement of a competent person. The user remains responsible "
    "for checking every design against the manufacturer's current documentation, the applicable "
    "building regulations and the site conditions before fabrication or submission.</p>"
    "<p>No liability is accepted for any loss or damage arising from the use of the program or of its "
    "results, whether in calculation, quotation, fabrication or building-plan submission.</p>"
    "<p>By choosing <b>Accept</b> you confirm that you have read and accept these terms. Choosing "
    "<b>Decline</b> closes the program.</p>";

}  // namespace

TAboutForm::TAboutForm(const QString& workDir, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Quorvex"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(picture(workDir, QStringLiteral("Images/AboutBanner.jpg"), 560));
    auto* texts = new QHBoxLayout;
    auto* column = new QVBoxLayout;
    for (const char* t : {"Version 5.0", "Compiled : 01 November 2022", "Complies with SANS 10400-XA:2021 Edition 2"}) {
        auto* l = new QLabel(QString::fromUtf8(t));
        column->addWidget(l);
    }
    // Where this installation keeps its data, for support calls and backups.
    auto* folder = new QLabel(QStringLiteral("Working folder : %1").arg(QDir::toNativeSeparators(workDir)));
    folder->setObjectName(QStringLiteral("WorkFolderLabel"));
    folder->setTextInteractionFlags(Qt::TextSelectableByMouse);
    folder->setWordWrap(true);
    column->addWidget(folder);
    journal_ = new QLabel;
    journal_->setObjectName(QStringLiteral("JournalModeLabel"));
    journal_->setVisible(false);
    column->addWidget(journal_);
    column->addStretch();
    texts->addLayout(column, 1);
    texts->addWidget(picture(workDir, QStringLiteral("Images/AboutPicture.jpg"), 160));
    layout->addLayout(texts);
    auto* text = new QTextBrowser;
    text->setHtml(QString::fromUtf8(kDisclaimer));
    text->setMinimumHeight(180);
    layout->addWidget(text, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    accept_ = new QPushButton(QStringLiteral("Accept"));
    decline_ = new QPushButton(QStringLiteral("Decline"));
    accept_->setDefault(true);
    buttons->addWidget(accept_);
    buttons->addWidget(decline_);
    layout->addLayout(buttons);
    connect(accept_, &QPushButton::clicked, this, &QDialog::accept);
    connect(decline_, &QPushButton::clicked, this, [this] {
        emit declined();
        reject();
    });
    resize(600, 520);
}

void TAboutForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TAboutForm::closeEvent(QCloseEvent* event) {
    // A close the user asks for (the window manager's close, Alt+F4) would end
    // the dialog without an answer; our own accept() and reject() hide it.
    if (event->spontaneous())
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void TAboutForm::setStoreText(const QString& text) {
    journal_->setText(text);
    journal_->setVisible(!text.isEmpty());
}

}  // namespace ui::main
