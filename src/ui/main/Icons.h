#pragma once

#include <QIcon>

class QLabel;
class QToolButton;

namespace ui::main {

// The command pictures, drawn in one style so that every button matches.
enum class IconKind { Previous, Next, Add, Delete, Find, Details, Browse, Print, Calculate, Save, Copy, Undo, Redo };
QIcon commandIcon(IconKind kind);

// A command picture button with its hint as tool tip and status-bar text.
QToolButton* commandButton(IconKind kind, const QString& hint);
// A field caption, right-aligned against its box. Given the box, the caption
// is its buddy (messages name the box by it) and greys with it.
QLabel* caption(const QString& text, QWidget* box = nullptr);

}  // namespace ui::main
