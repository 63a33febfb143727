#pragma once

#include <QDialog>

class QLabel;

namespace ui::compliance {

// The climate-zone map: one picture filling the window; a click closes it.
class TClimateZoneForm : public QDialog {
    Q_OBJECT
public:
    TClimateZoneForm(const QString& workDir, QWidget* parent = nullptr);
    QLabel* Image1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
};

} // namespace ui::compliance
