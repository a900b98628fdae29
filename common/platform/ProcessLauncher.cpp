// SPDX-License-Identifier: MIT
#include "common/platform/ProcessLauncher.h"

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

// The user's editor, $VISUAL or else $EDITOR, as a program and its arguments;
// empty when neither names a program.
QStringList editorCommand()
{
    for (const char* variable : {"VISUAL", "EDITOR"}) {
        QStringList words = QProcess::splitCommand(qEnvironmentVariable(variable));
        if (words.isEmpty())
            continue;
        const QString program = QStandardPaths::findExecutable(words.first());
        if (program.isEmpty())
            continue;
        words.first() = program;
        return words;
    }
    return {};
}

// xdg-open ends with a status of its own when it finds no program for the
// file (3) or the one it found fails (4); it is watched, not detached, to
// hear of it. It may also run as long as the viewer it started, so it is
// owned by the application rather than by whoever asked.
bool openWithDesktop(const QString& opener, const QString& file, std::function<void()> noViewer)
{
    auto* process = new QProcess(QCoreApplication::instance());
    process->setProgram(opener);
    process->setArguments({file});
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    QObject::connect(process, &QProcess::finished, process,
                     [process, noViewer](int status, QProcess::ExitStatus how) {
                         process->deleteLater();
                         if ((how != QProcess::NormalExit || status != 0) && noViewer)
                             noViewer();
                     });
    process->start();
    if (!process->waitForStarted()) {
        delete process;
        return false;
    }
    return true;
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
    // Beside the program (the build folder), then in the installation's
    // folder of helpers, which only this program starts and so are not on PATH.
    QStringList beside;
    if (QCoreApplication::instance()) {
        const QString dir = QCoreApplication::applicationDirPath();
        beside << dir << QDir::cleanPath(dir + QStringLiteral("/../lib/velnet"));
    }
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

bool SystemProcessLauncher::openInTextEditor(const std::string& path,
                                             std::function<void()> noViewer)
{
    const QString file = QString::fromStdString(path);
    const QString xdgOpen = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (!xdgOpen.isEmpty())
        return openWithDesktop(xdgOpen, file, std::move(noViewer));
    // $VISUAL and $EDITOR name editors that draw in a terminal: started on
    // their own they would write into ours, out of the user's sight.
    const QString terminal = QStandardPaths::findExecutable(QStringLiteral("x-terminal-emulator"));
    QStringList editor = editorCommand();
    if (terminal.isEmpty() || editor.isEmpty())
        return false;
    editor.prepend(QStringLiteral("-e"));
    editor << file;
    return QProcess::startDetached(terminal, editor);
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
