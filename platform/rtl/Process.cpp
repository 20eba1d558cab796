#include "platform/rtl/Process.h"

#include "platform/rtl/Files.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <csignal>
#include <filesystem>
#include <system_error>

namespace rtl {

namespace {

// "scheme:" at the start, as in "https://..." or "mailto:...": letters first, then letters,
// digits, "+", "-" or "."; at least two characters, so that nothing path-like counts.
bool HasUrlScheme(const std::string& text)
{
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos || colon < 2) {
        return false;
    }
    for (std::size_t i = 0; i < colon; ++i) {
        const char c = text[i];
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        const bool other = (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
        if (!letter && (i == 0 || !other)) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool StartDetached(const std::string& program, const std::vector<std::string>& args)
{
    if (program.empty()) {
        return false;
    }
    QStringList arguments;
    arguments.reserve(static_cast<qsizetype>(args.size()));
    for (const std::string& arg : args) {
        arguments << QString::fromStdString(arg);
    }
    // QProcess reports a program that cannot be executed as a failed start; it needs no
    // application object.
    return QProcess::startDetached(QString::fromStdString(program), arguments);
}

bool OpenWithDesktop(const std::string& addressOrFile)
{
    if (addressOrFile.empty()) {
        return false;
    }
    std::string target = addressOrFile;
    if (!HasUrlScheme(target)) {
        // An absolute path also keeps a name starting with "-" from reading as an option.
        std::error_code ec;
        target = std::filesystem::absolute(target, ec).string();
        if (ec || !(FileExists(target) || DirectoryExists(target))) {
            return false;
        }
    }
    const std::string opener = DesktopOpener();
    if (opener.empty()) {
        return false;
    }
    return StartDetached(opener, {target});
}

std::string FindExecutable(const std::string& name)
{
    if (name.empty()) {
        return {};
    }
    if (name.find('/') != std::string::npos) {
        const QFileInfo info(QString::fromStdString(name));
        return info.isFile() && info.isExecutable() ? info.absoluteFilePath().toStdString() : std::string();
    }
    return QStandardPaths::findExecutable(QString::fromStdString(name)).toStdString();
}

std::string DesktopOpener() { return FindExecutable("xdg-open"); }

bool RunAndCapture(const std::string& program, const std::vector<std::string>& args, std::string& output,
                   int timeoutMs)
{
    output.clear();
    if (program.empty()) {
        return false;
    }
    QStringList arguments;
    for (const std::string& arg : args) {
        arguments << QString::fromStdString(arg);
    }
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(QString::fromStdString(program), arguments, QIODevice::ReadOnly);
    if (!process.waitForStarted(timeoutMs)) {
        return false;
    }
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(1000);
        return false;
    }
    output = process.readAllStandardOutput().toStdString();
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

void IgnoreFileSizeSignal() { std::signal(SIGXFSZ, SIG_IGN); }

}  // namespace rtl
