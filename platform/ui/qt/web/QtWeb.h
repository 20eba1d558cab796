#pragma once
// The browser control's window: a Qt WebEngine view, made by the engine's module (PageView.h)
// the first time the control shows, so that the engine costs nothing before.

namespace ui::qt {

// Call before the application object exists (before qt::Install): turns the engine's sandbox
// off when the program runs as root (the engine refuses to start there otherwise; said once
// on standard error), and gives browser controls their view. Calling it again does nothing.
void PrepareWebBrowser();

}  // namespace ui::qt
