#include "ProcessLauncher.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <algorithm>
#include <cctype>

namespace velnet::platform {

namespace {

ProcessLauncher* installed = nullptr;

QStringList toQt(const std::vector<std::string>& list)
{
    QStringList out;
    for (const auto& s : list)
        out << QString::fromStdString(s);
    return out;
}

bool startEditor(const QString& command, const QString& path)
{
    QStringList words = QProcess::splitCommand(command);
    if (words.isEmpty())
        return false;
    const QString program = QStandardPaths::findExecutable(words.takeFirst());
    if (program.isEmpty())
        return false;
    words << path;
    return QProcess::startDetached(program, words);
}

} // namespace

std::string SystemProcessLauncher::linuxProgramName(const std::string& windowsName)
{
    std::string name = windowsName;
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (name.size() > 4 && name.ends_with(".exe"))
        name.resize(name.size() - 4);
    return name;
}

std::string SystemProcessLauncher::findProgram(const std::string& program)
{
    if (program.find('/') != std::string::npos)
        return QFileInfo(QString::fromStdString(program)).isExecutable() ? program : std::string();
    const QString name = QString::fromStdString(linuxProgramName(program));
    QStringList beside;
    if (QCoreApplication::instance())
        beside << QCoreApplication::applicationDirPath();
    QString found = QStandardPaths::findExecutable(name, beside);
    if (found.isEmpty())
        found = QStandardPaths::findExecutable(name);
    return found.toStdString();
}

bool SystemProcessLauncher::start(const std::string& program,
                                  const std::vector<std::string>& arguments)
{
    const std::string file = findProgram(program);
    if (file.empty())
        return false;
    return QProcess::startDetached(QString::fromStdString(file), toQt(arguments));
}

bool SystemProcessLauncher::openInTextEditor(const std::string& path)
{
    const QString file = QString::fromStdString(path);
    const QString xdgOpen = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (!xdgOpen.isEmpty())
        return QProcess::startDetached(xdgOpen, {file});
    for (const char* variable : {"VISUAL", "EDITOR"}) {
        const QString command = qEnvironmentVariable(variable);
        if (!command.isEmpty() && startEditor(command, file))
            return true;
    }
    return false;
}

ProcessLauncher& processLauncher()
{
    static SystemProcessLauncher system;
    return installed ? *installed : system;
}

ProcessLauncher* setProcessLauncher(ProcessLauncher* launcher)
{
    ProcessLauncher* previous = installed;
    installed = launcher;
    return previous;
}

} // namespace velnet::platform
