#pragma once
// The window system's printers: the system's (CUPS) printers through QPrinter, and the PDF
// printer, which writes the file the printer's FileName names and has no unprintable edge.

#include "platform/ui/Printer.h"

namespace ui::qt {

IPrinterBackend& QtPrinters();

}  // namespace ui::qt
