#pragma once

#include <QDialog>

class QPushButton;

namespace ui::main {

// The disclaimer window: "Accept" closes it, "Decline" ends the program.
class TAboutForm : public QDialog {
    Q_OBJECT
public:
    TAboutForm(const QString& workDir, QWidget* parent = nullptr);
    QPushButton* acceptButton() const { return accept_; }
    QPushButton* declineButton() const { return decline_; }

signals:
    void declined();

private:
    QPushButton* accept_;
    QPushButton* decline_;
};

}  // namespace ui::main
