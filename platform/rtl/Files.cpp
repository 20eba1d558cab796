#include "platform/rtl/Files.h"

#include "platform/rtl/Exceptions.h"

#include <QSaveFile>
#include <QString>

namespace rtl {

void SaveFileAtomically(const std::string& path, std::string_view data)
{
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly)) {
        throw EFCreateError("Cannot create file \"" + path + "\". " + file.errorString().toStdString());
    }
    const qint64 size = static_cast<qint64>(data.size());
    if (file.write(data.data(), size) != size) {
        const std::string reason = file.errorString().toStdString();
        file.cancelWriting();
        throw EInOutError("Cannot write file \"" + path + "\". " + reason);
    }
    if (!file.commit()) {
        throw EInOutError("Cannot save file \"" + path + "\". " + file.errorString().toStdString());
    }
}

}  // namespace rtl
