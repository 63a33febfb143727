#pragma once

#include <functional>

#include "store/Query.h"

#include <QDialog>
#include <QLabel>

class QPushButton;
class QToolButton;

namespace data {
class TDM;
}
namespace widgets {
class DBGrid;
}

namespace ui::exchange {

class TImageForm;

// A picture box that shows its picture centred and as large as fits, with
// its proportions kept.
class ProportionalPicture : public QLabel {
    Q_OBJECT
public:
    explicit ProportionalPicture(QWidget* parent = nullptr);
    void showPicture(const QString& file);
    QString file() const { return file_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void rescale();
    QPixmap picture_;
    QString file_;
};

// "Select Standard Design": the standard designs of the design's system, the
// picture of the chosen one and the thumbnail index. OK applies the chosen
// design to the current design of the data module.
class TStandardsForm : public QDialog {
    Q_OBJECT
public:
    TStandardsForm(data::TDM& dm, QWidget* parent);

    // The system whose standard designs are offered (the design's system name).
    void setSystemName(const QString& name) { systemName_ = name; }
    QString systemName() const { return systemName_; }

    // The index opens with the window; tests turn that off to drive it.
    bool showIndexOnOpen = true;

    void FormShow();
    void ShowPicture();
    void IndexImageClick();
    void OKBtnClick();
    void CancelBtnClick();

    store::Query StandardsQuery;
    // Run right after a standard design has been applied, while this window is
    // still open: the page loads the new cells into its grid before closing
    // the window hands the focus back, whose save would otherwise write the
    // old grid over them.
    std::function<void()> applied;
    widgets::DBGrid* DBGrid1;
    ProportionalPicture* Image;
    QToolButton *FirstBtn, *PriorBtn, *NextBtn, *LastBtn;
    QPushButton *IndexImageBtn, *OKBtn, *CancelBtn;
    TImageForm* ImageForm;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void updateButtons();
    data::TDM& DM;
    QString systemName_;
};

} // namespace ui::exchange
