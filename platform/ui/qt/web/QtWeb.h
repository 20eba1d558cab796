#pragma once
// The browser control's window: a Qt WebEngine view.

namespace ui::qt {

// Call before the application object exists (before qt::Install): lets the engine share
// its graphics contexts, turns the engine's sandbox off when the program runs as root (the
// engine refuses to start there otherwise; said once on standard error), gives browser
// controls their view, and readies the windows of forms that hold one (and of MDI frames)
// to show pages without being made anew. Calling it again does nothing.
void PrepareWebBrowser();

}  // namespace ui::qt
