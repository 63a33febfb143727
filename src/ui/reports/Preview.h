#pragma once

#include "reports/Output.h"

#include <QString>

class QWidget;

namespace data {
class Messages;
class TDM;
} // namespace data
namespace design {
class GridModel;
}

namespace ui::reports {

// A page the user may add to a report from the preview's tool bar; the
// choice is remembered in the user's settings under `settingsKey`.
struct OptionalPage {
    QString caption, toolTip, settingsKey;
    bool onByDefault = false;
    ::reports::Document withPage; // the report with the page added
};

// The preview window, maximised, with printing and a save command for the
// four formats; a failed save is reported through `messages`. With
// `optional`, a switch in the tool bar shows, prints and saves the report
// with or without that page. Returns when the window closes.
// `proposedName` is the file name the save dialog offers (the title without).
// A saved report is confirmed with the place it was written to.
void previewDocument(const ::reports::Document& doc, ::reports::Zoom zoom,
                     data::Messages& messages, QWidget* parent = nullptr,
                     const OptionalPage* optional = nullptr, const QString& proposedName = {});

// The file name offered for a design report: "<project> <design ref> –
// Fenestration Design Report.pdf", without characters a file name cannot hold.
QString designReportFileName(const QString& projectRef, const QString& designRef);
// The message confirming a saved report.
QString reportSavedMessage(const QString& file);

// The settings key of the design report's "Elevation" page.
inline constexpr const char* kDesignElevationPageKey = "Preview/DesignReportElevationPage";

// The design report command: picture, then the preview (whole page), with the
// design's elevation as a second page when the user has switched it on.
void previewDesignReport(data::TDM& dm, const ::design::GridModel& grid, data::Messages& messages,
                         QWidget* parent = nullptr);

// The project report previews (zoomed to the page width). Both close the data
// module's design and glass queries afterwards.
void previewSummaryReport(data::TDM& dm, data::Messages& messages, QWidget* parent = nullptr,
                          bool showPrices = false);
void previewRationalReport(data::TDM& dm, data::Messages& messages, QWidget* parent = nullptr);
void previewSansReport(data::TDM& dm, data::Messages& messages, QWidget* parent = nullptr);

// The open project's quotation (zoomed to the page width). Designs without a
// price are named first; the user calculates them or leaves them out.
void previewQuotation(data::TDM& dm, data::Messages& messages, QWidget* parent = nullptr);

// Every design of the open project drawn to one scale on A4 landscape pages,
// with references and quantities; saved as PDF.
void previewProjectSheet(data::TDM& dm, data::Messages& messages, QWidget* parent = nullptr);

} // namespace ui::reports
