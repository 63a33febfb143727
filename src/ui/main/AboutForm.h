#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace ui::main {

// The disclaimer window: "Accept" closes it, "Decline" ends the program.
class TAboutForm : public QDialog {
    Q_OBJECT
public:
    TAboutForm(const QString& workDir, QWidget* parent = nullptr);
    // Says where the tables are kept and how (see TDM::storeText); empty
    // when no store is open.
    void setStoreText(const QString& text);
    QPushButton* acceptButton() const { return accept_; }
    QPushButton* declineButton() const { return decline_; }

signals:
    void declined();

protected:
    // Only "Accept" and "Decline" answer the disclaimer: Esc and the window
    // manager's close are ignored.
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QPushButton* accept_;
    QLabel* journal_ = nullptr;
    QPushButton* decline_;
};

}  // namespace ui::main
