#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>

#include <cstdio>

#include "platform/ui/qt/QtConvert.h"
#include "platform/ui/qt/QtUi.h"

namespace ui::qt {

QStringList NameFilters(const std::vector<TFileFilter>& filters)
{
    QStringList result;
    for (const TFileFilter& f : filters) {
        QStringList patterns;
        for (const std::string& p : f.patterns) patterns << (p == "*.*" ? QStringLiteral("*") : QString::fromStdString(p));
        // The toolkit reads the patterns from the last parenthesised group.
        result << QString::fromStdString(f.description) + " (" + patterns.join(' ') + ")";
    }
    return result;
}

bool TQtDialogs::FileDialog(TFileDialogRequest& request)
{
    QFileDialog dialog(QApplication::activeWindow(), QString::fromStdString(request.title),
                       QString::fromStdString(request.initialDir));
    // The toolkit's own dialog everywhere: the same behaviour on every desktop, and the
    // overwrite question is the file dialog component's.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (request.save)
        dialog.setFileMode(QFileDialog::AnyFile);
    else if (request.options.Contains(ofAllowMultiSelect))
        dialog.setFileMode(QFileDialog::ExistingFiles);
    else
        dialog.setFileMode(request.options.Contains(ofFileMustExist) ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    const QStringList filters = NameFilters(request.filters);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
            dialog.selectNameFilter(filters[request.filterIndex - 1]);
    }
    if (!request.fileName.empty()) dialog.selectFile(QString::fromStdString(request.fileName));
    if (dialog.exec() != QDialog::Accepted) return false;
    request.files.clear();
    for (const QString& f : dialog.selectedFiles()) request.files.push_back(f.toStdString());
    const qsizetype chosen = filters.indexOf(dialog.selectedNameFilter());
    if (chosen >= 0) request.filterIndex = static_cast<int>(chosen) + 1;
    return !request.files.empty();
}

bool TQtDialogs::ColorDialog(rtl::TColor& color)
{
    const QColor chosen = QColorDialog::getColor(ToQColor(color), QApplication::activeWindow());
    if (!chosen.isValid()) return false;
    color = FromQColor(chosen);
    return true;
}

bool TQtDialogs::AskColor(TColorDialogRequest& request)
{
    // The toolkit keeps 16 custom colours; entries "ColorA" to "ColorP" fill them in order.
    for (const std::string& entry : request.customColors) {
        const auto eq = entry.find('=');
        if (eq != 6 || entry.compare(0, 5, "Color") != 0 || entry[5] < 'A' || entry[5] > 'P') continue;
        bool ok = false;
        const uint bgr = QString::fromStdString(entry.substr(eq + 1)).toUInt(&ok, 16);
        if (ok) QColorDialog::setCustomColor(entry[5] - 'A', ToQColor(static_cast<rtl::TColor>(bgr & 0xFFFFFF)));
    }
    if (!ColorDialog(request.color)) return false;
    request.customColors.clear();
    for (int i = 0; i < QColorDialog::customCount(); ++i) {
        const rtl::TColor c = FromQColor(QColorDialog::customColor(i));
        char hex[8];
        std::snprintf(hex, sizeof hex, "%06x", static_cast<unsigned>(c) & 0xFFFFFFu);
        request.customColors.push_back(std::string("Color") + static_cast<char>('A' + i) + "=" + hex);
    }
    return true;
}

bool TQtDialogs::FontDialog(classes::TFont& font)
{
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, ToQFont(font), QApplication::activeWindow());
    if (!ok) return false;
    FromQFont(chosen, font);
    return true;
}

}  // namespace ui::qt
