#pragma once

namespace ui::main {

// The program's name and version as the desktop and the message boxes see
// them. No display name is set: Qt would append it to every window caption.
void setUpApplication();

} // namespace ui::main
