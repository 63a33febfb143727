#pragma once

#include "calc/Pricing.h"
#include <map>

#include "data/DataModule.h"
#include "DesignScreen.h"
#include "data/MainWindowHooks.h"
#include "design/GridModel.h"

#include <QMainWindow>
#include <functional>

class QCheckBox;
class QLabel;
class QTabWidget;
class QToolButton;
class QAction;
class QGroupBox;
class QMenu;

namespace ui::compliance {
class TRationalPage;
class TResultsPanel;
class TSANSForm;
class TSansPage;
}
namespace ui::exchange {
class TImportForm;
class TProjectRefForm;
}
namespace ui::exchange {
class TProjectFolderCommands;
}
namespace widgets {
class DBComboBox;
class DBEdit;
class DBGrid;
}  // namespace widgets

namespace ui::main {

inline const QString NeedsReferenceMessage =
    QStringLiteral("A project needs a reference before you go on");

class TAboutForm;
class TDetailsForm;
class TSearchForm;

// The main window: the current project in the header, the design screen,
// the project summary and the compliance pages below it. Its code is kept by
// concern: MainForm.cpp (life cycle and the shared steps), MainMenus.cpp (the
// menus: add a menu item there), MainPages.cpp (the page control: add a page
// in buildPages) and ProjectHeader.cpp (the PROJECT header and its commands).
class TMainForm : public QMainWindow, public data::MainWindowHooks {
    Q_OBJECT
public:
    TMainForm(data::TDM& dm, data::Messages& messages, QWidget* parent = nullptr);
    ~TMainForm() override;

    // The design page fills these in; until then the steps that need it are skipped.
    void setDesignScreen(DesignScreen* screen) { designScreen_ = screen; }
    QWidget* designPage() const { return TabSheet1; }

    // Life cycle (MainForm.cpp).
    void FormCreate();
    void FormActivate();
    void FormClose();
    void DesignBtnClick();
    void SaveDesign();
    // Help, "&Rebuild": verifies and rebuilds every table of the data folder.
    void Rebuid1Click();
    // Help, "&User Manual": opens the manual, or says where it was looked for.
    void UserManualClick();
    // Loads the shown design's stored cells into the grid; `force` reloads the
    // design already shown (after its cells were rewritten from outside).
    void LoadGraphic(bool force = false);
    void SetTableRelationships();
    void ClearTableRelationships();
    data::DlgButton MessageDlg(const QString& msg, data::DlgType type, const QList<data::DlgButton>& buttons);
    void ShowMessage(const QString& msg);

    // Project records (ProjectHeader.cpp).
    void PrevProjectClick();
    void NextProjectClick();
    void AddProjectClick();
    // After a deletion: stands on the nearest project of the user's own
    // rather than on a standard one.
    // Opens where the user left the window, else at its designed size within
    // the screen (maximised on a smaller one); remembered at closing.
    void restorePlace();
    void savePlace();
    void showOwnProject();
    void DeleteProjectClick();
    void FindProjectClick();
    void FindProject2Click();
    void DetailsClick();
    void CopyProjectImageClick();
    // Project → Import from earlier version…
    void QuoteSettingsClick();
    // Project → "Office Server…": chooses the data folder or a server for the
    // next start, and offers to start again now.
    void OfficeServerClick();
    // Saves what the window holds, starts glazecalc again on the same working
    // folder and closes this one; false (said) when either step failed.
    bool restartProgram();
    // Reads the SUMMARY grid's prices and the project's total again.
    void refreshSummaryPrices();
    QString summaryPriceText(const std::function<QVariant(const QString&)>& field, bool line) const;
    void ImportClick();
    void ClearImageClick();
    // Project folders: export a project, load a folder.
    void SaveProject1Click();
    void LoadProject1Click();

    // MainWindowHooks
    bool mainWindowVisible() const override { return isVisible(); }
    void clearDesign() override { ClearImageClick(); }
    void setContinuousItems(const QStringList& items) override;
    void showSupplierPicture(const QString& file) override;
    void setGlazingInfoEnabled(bool enabled) override;

    // The shown design's cells and spans.
    ::design::GridModel Grid;
    bool WarningsOff = true;
    bool FirstActivation = true;

    // Controls, named as the rest of the program refers to them.
    widgets::DBEdit* ProjectRefEdit;
    widgets::DBEdit* ProjectNameEdit;
    widgets::DBComboBox* WLoadCB;
    widgets::DBComboBox* FinCB;
    widgets::DBEdit* ProjectDateEdit;
    widgets::DBEdit* DesignedByEdit;
    QToolButton *PrevProjectBtn, *NextProjectBtn, *AddProjectBtn, *DeleteProjectBtn, *FindProjectBtn;
    QToolButton *FindProject2Btn, *DetailsBtn;
    QToolButton* CopyProjectBtn;
    QAction* CopyProjectAction;
    ui::exchange::TProjectRefForm* ProjectRefForm;
    QAction* ImportAction;
    ui::exchange::TImportForm* ImportForm = nullptr;
    QTabWidget* PageControl1;
    QWidget *TabSheet1, *TabSheet2, *TabSheet3, *TabSheet4, *TabSheet6;
    widgets::DBGrid* SummaryGrid;
    QCheckBox* HideWarningsCB;
    QToolButton* PrintSummaryBtn;
    QToolButton* ElevationSheetBtn;
    QToolButton* QuotationBtn;
    QCheckBox* ShowPricesCB;
    QLabel* SummaryTotalLabel;
    ui::compliance::TRationalPage* RationalPage;
    QAction* RationalAction;
    ui::compliance::TSansPage* SansPage;
    ui::compliance::TResultsPanel* ResultsPage;
    ui::compliance::TSANSForm* SANSForm = nullptr;
    QAction *SansAction, *SansCalcAction;
    QAction *NewProjectAction, *DeleteProjectAction, *ExitAction, *AboutAction, *UserManualAction;
    QAction* RebuildAction = nullptr;
    QAction *SaveProjectAction, *LoadProjectAction;

    TSearchForm* SearchForm;
    TDetailsForm* DetailsForm;
    TAboutForm* AboutForm;
    ui::exchange::TProjectFolderCommands* ProjectFolders;

    // Called instead of ending the process when the disclaimer is declined (tests).
    std::function<void()> onDecline;
    // The file the user manual entry opens (set by tests to watch it).
    std::function<void(const QString&)> openDocument;
    // Starts a program detached (tests watch it instead).
    std::function<bool(const QString& program, const QStringList& args, const QString& dir)> startProgram;
    // This run's server was given with --server, which wins over the setting.
    bool ServerFromCommandLine = false;

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildMenus();
    QGroupBox* buildHeader();
    QTabWidget* buildPages();
    QWidget* buildSummaryPage();
    void pageChanged(int index);
    void pageShown(int index);
    void pageHidden(int index);
    // The SANS 204 pages and menu entries (MainCompliance.cpp).
    void buildSansPages();
    void addSansActions(QMenu* compliance);
    void sansPageShown(int index);
    void sansPageHidden(int index);
    void focusChanged(QWidget* old, QWidget* now);
    // The user came back from another program: the activation steps.
    void applicationStateChanged(Qt::ApplicationState state);
    void projectTextChanged();
    void updateRefReadOnly();
    void postProject();
    // Runs a user command; an error of the store ends it with the standard box.
    void guarded(const std::function<void()>& command);

    data::TDM& DM;
    data::Messages& messages_;
    DesignScreen* designScreen_ = nullptr;
    int currentPage_ = 0;
    bool activating_ = false;
    bool applicationActive_ = false;
    bool activatedOnce_ = false;
    bool closed_ = false;
    QString loadedRef_;
    int loadedNo_ = -1;
    // The SUMMARY grid's unit prices by design number, and their currency.
    std::map<int, calc::DesignPrice> summaryPrices_;
    QString summaryCurrency_;
    bool summaryPricesPending_ = false;
};

}  // namespace ui::main
