#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace data {
class TDM;
}

namespace ui::exchange {

// The small modal window that asks for the reference of a copy. Created once
// and reused: the edit keeps the text of the previous use.
class TRefForm : public QDialog {
    Q_OBJECT
public:
    TRefForm(const QString& caption, const QString& group, const QString& label, int maxLength,
             QWidget* parent);

    QLineEdit* RefEdit;
    QPushButton *OKBtn, *CancelBtn;

protected:
    virtual void OKBtnClick() { accept(); }
    void showEvent(QShowEvent* event) override;
};

// "Copy Design": OK and Cancel close the window without checks.
class TDesignRefForm : public TRefForm {
    Q_OBJECT
public:
    explicit TDesignRefForm(QWidget* parent);
};

// "Copy Project": OK refuses a reference that a project already has, and
// that project becomes the current one.
class TProjectRefForm : public TRefForm {
    Q_OBJECT
public:
    TProjectRefForm(data::TDM& dm, QWidget* parent);

protected:
    void OKBtnClick() override;

private:
    data::TDM& DM;
};

} // namespace ui::exchange
