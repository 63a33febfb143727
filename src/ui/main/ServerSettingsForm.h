#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace data {
class Messages;
class TDM;
} // namespace data
namespace store {
class StoreError;
}

namespace ui::main {

// Project → "Office Server…": where this workstation keeps its tables, the
// working folder's data folder or an office's PostgreSQL server. OK keeps the
// choice in the settings file; it takes effect when glazecalc starts again.
class TServerSettingsForm : public QDialog {
    Q_OBJECT
public:
    // `inUse`: the store this run works on, as the About window names it;
    // `dataFolder`: the working folder's data folder; `fromCommandLine`: the
    // server of this run was given with --server.
    TServerSettingsForm(const QString& inUse, const QString& dataFolder, bool fromCommandLine,
                        data::Messages& messages, QWidget* parent = nullptr);

    // The choice as the window shows it: empty for the data folder.
    QString chosenServer() const;
    // Whether OK changed the setting.
    bool changed() const { return changed_; }

    QLabel *InUseLabel, *CommandLineLabel, *TestResultLabel;
    QRadioButton *FolderRB, *ServerRB;
    QLineEdit* AddressEdit;
    QPushButton* TestConnectionBtn;

public slots:
    void accept() override;
    void TestConnectionClick();

private:
    // The typed address refused with the reason, or empty when it may be kept.
    QString refusal() const;
    void chosen();

    data::Messages& messages_;
    QString stored_;
    bool changed_ = false;
};

// The store the data module works on, for the window: "The data folder …" or
// the server as the About window names it.
QString storeInUseText(const data::TDM& dm);

// The store's message for the standard error box; a server that cannot be
// reached also points to where the data folder can be chosen instead.
QString storeErrorText(const store::StoreError& e);

} // namespace ui::main
