#pragma once

#include <QDialog>

class QFileSystemModel;
class QLineEdit;
class QPushButton;
class QTreeView;

namespace tablerepair {

// "Select Store Database": a folder tree over a path box; "&Select" is
// enabled only for a folder that holds a file matching the pattern.
class SelectDatabaseDialog : public QDialog {
    Q_OBJECT
public:
    SelectDatabaseDialog(const QString& startFolder, const QString& pattern,
                         QWidget* parent = nullptr);
    QString folder() const;
    static bool acceptable(const QString& folder, const QString& pattern);

    QTreeView* FolderTree = nullptr;
    QLineEdit* PathEdit = nullptr;
    QPushButton* SelectBtn = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void takePath(const QString& path);
    QFileSystemModel* model_ = nullptr;
    QString pattern_;
};

} // namespace tablerepair
