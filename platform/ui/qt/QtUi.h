#pragma once
// The window system of the controls over Qt Widgets: every shown form and control gets a
// widget that mirrors its state and feeds the user's input back to it; the dialog service
// adds the toolkit's file, colour and font dialogs; posted messages and timers run on the
// Qt event loop.

#include <string>
#include <vector>

#include <QStringList>

#include "platform/ui/Dialogs.h"

class QWidget;

namespace ui {
class TControl;
}

namespace ui::qt {

// Creates the QApplication when there is none (taking the platform from QT_QPA_PLATFORM),
// installs the window system, the dialog service, the message queue, the beep and the
// screen's resolution. Installing twice does nothing.
void Install();
// Puts the headless state back (no window system, the standard dialog service).
void Uninstall();

// The widget showing `control`; nullptr while it has none.
QWidget* WidgetOf(const TControl& control);

// The toolkit's name filters for file dialog filters ("Text (*.txt)"): "*.*" becomes "*"
// so that names without an extension show too.
QStringList NameFilters(const std::vector<TFileFilter>& filters);

// The file, colour and font dialogs of the toolkit over the standard service.
class TQtDialogs : public TStandardDialogs {
public:
    bool FileDialog(TFileDialogRequest& request) override;
    bool ColorDialog(rtl::TColor& color) override;
    bool AskColor(TColorDialogRequest& request) override;
    bool FontDialog(classes::TFont& font) override;
};

}  // namespace ui::qt
