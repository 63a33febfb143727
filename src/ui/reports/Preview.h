#pragma once

#include "reports/Output.h"

class QWidget;

namespace data {
class Messages;
class TDM;
} // namespace data
namespace design {
class GridModel;
}

namespace ui::reports {

// The preview window, maximised, with printing and a save command for the
// four formats; a failed save is reported through `messages`. Returns when
// the window closes.
void previewDocument(const ::reports::Document& doc, ::reports::Zoom zoom,
                     data::Messages& messages, QWidget* parent = nullptr);

// The design report command: picture, then the preview (whole page).
void previewDesignReport(data::TDM& dm, const ::design::GridModel& grid, data::Messages& messages,
                         QWidget* parent = nullptr);

// The project report previews (zoomed to the page width). Both close the data
// module's design and glass queries afterwards.
void previewSummaryReport(data::TDM& dm, data::Messages& messages, QWidget* parent = nullptr);
void previewRationalReport(data::TDM& dm, data::Messages& messages, QWidget* parent = nullptr);
void previewSansReport(data::TDM& dm, data::Messages& messages, QWidget* parent = nullptr);

} // namespace ui::reports
