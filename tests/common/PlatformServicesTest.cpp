// SPDX-License-Identifier: MIT
#include "common/platform/FakeProcessLauncher.h"
#include "common/platform/FakeRestart.h"
#include "common/platform/HelpViewer.h"
#include "common/platform/ProcessLauncher.h"
#include "common/platform/Restart.h"
#include "common/platform/SingleInstance.h"
#include "tests/support/TempDir.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest/QTest>
#include <cstdlib>
#include <filesystem>

using namespace velnet::platform;

// The start, restart and single-instance services of the platform layer.
class PlatformServicesTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QCOMPARE(QApplication::topLevelWidgets().size(), 0); }

    void secondStartAsksTheFirstToRaise()
    {
        SingleInstance first(QStringLiteral("platform-test"));
        QVERIFY(first.start());
        QSignalSpy raised(&first, &SingleInstance::raiseRequested);

        SingleInstance second(QStringLiteral("platform-test"));
        QVERIFY(!second.start());
        QVERIFY(raised.wait(2000));
        QCOMPARE(raised.size(), 1);
    }

    void lockIsFreeAgainWhenTheFirstEnds()
    {
        {
            SingleInstance first(QStringLiteral("platform-test-2"));
            QVERIFY(first.start());
        }
        SingleInstance again(QStringLiteral("platform-test-2"));
        QVERIFY(again.start());
    }

    void staleLockOfACrashedCopyDoesNotBlock()
    {
        SingleInstance probe(QStringLiteral("platform-test-3"));
        // A lock file as a copy leaves it when it is killed: its process is gone.
        QProcess gone;
        gone.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("exit 0")});
        QVERIFY(gone.waitForStarted());
        const qint64 deadPid = gone.processId();
        QVERIFY(gone.waitForFinished());
        QFile lock(probe.lockFilePath());
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write(QByteArray::number(deadPid) + "\ncardcheck\n" +
                   QSysInfo::machineHostName().toUtf8() + "\n");
        lock.close();
        // And a socket file nobody listens on.
        QFile socket(probe.socketPath());
        QVERIFY(socket.open(QIODevice::WriteOnly));
        socket.close();

        QVERIFY(probe.start());
        SingleInstance second(QStringLiteral("platform-test-3"));
        QSignalSpy raised(&probe, &SingleInstance::raiseRequested);
        QVERIFY(!second.start());
        QVERIFY(raised.wait(2000));
    }

    void windowsProgramNamesMapToLinuxOnes()
    {
        QCOMPARE(SystemProcessLauncher::linuxProgramName("traymon.exe"), std::string("traymon"));
        QCOMPARE(SystemProcessLauncher::linuxProgramName("WINMSD.EXE"), std::string("winmsd"));
        QCOMPARE(SystemProcessLauncher::linuxProgramName("NOTEPAD"), std::string("notepad"));
        QCOMPARE(SystemProcessLauncher::linuxProgramName(".exe"), std::string(".exe"));
    }

    void programsAreFoundBesideTheExecutableFirst()
    {
        velnet::test::TempDir dir;
        const QString beside =
            QCoreApplication::applicationDirPath() + QStringLiteral("/velnet-probe-tool");
        QFile tool(beside);
        QVERIFY(tool.open(QIODevice::WriteOnly));
        tool.write("#!/bin/sh\n");
        tool.close();
        tool.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const std::string found = SystemProcessLauncher::findProgram("VELNET-PROBE-TOOL.EXE");
        QFile::remove(beside);
        QCOMPARE(QString::fromStdString(found), beside);
        QVERIFY(SystemProcessLauncher::findProgram("no-such-program-anywhere.exe").empty());
        SystemProcessLauncher launcher;
        QVERIFY(!launcher.start("no-such-program-anywhere.exe", {}));
    }

    // Installed, the helpers only cardcheck starts sit in ../lib/velnet and
    // the help files in ../share/velnet, not beside the program.
    void helpersAndHelpFilesAreFoundInTheInstallationsFolders()
    {
        const QString top = QCoreApplication::applicationDirPath() + QStringLiteral("/..");
        const QString files[] = {top + QStringLiteral("/lib/velnet/velnet-probe-helper"),
                                 top + QStringLiteral("/share/velnet/") +
                                     QFileInfo(QCoreApplication::applicationFilePath()).fileName() +
                                     QStringLiteral(".hlp")};
        for (const QString& file : files) {
            QVERIFY(QDir().mkpath(QFileInfo(file).absolutePath()));
            QFile made(file);
            QVERIFY(made.open(QIODevice::WriteOnly));
            made.write("#!/bin/sh\n");
            made.close();
            made.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        const std::string helper = SystemProcessLauncher::findProgram("VELNET-PROBE-HELPER.EXE");
        const std::string help = velnet::platform::helpFilePath();
        for (const QString& file : files)
            QFile::remove(file);
        QCOMPARE(QString::fromStdString(helper), QDir::cleanPath(files[0]));
        QCOMPARE(QString::fromStdString(help), QDir::cleanPath(files[1]));
    }

    void startPassesArgumentsWithoutAShell()
    {
        velnet::test::TempDir dir;
        const std::string out = dir.file("args");
        SystemProcessLauncher launcher;
        // A shell would expand the $HOME and split at the blank.
        QVERIFY(
            launcher.start("/bin/sh", {"-c", "printf '%s|' \"$@\" > \"$0\"", out, "$HOME", "a b"}));
        QTRY_VERIFY(QFileInfo::exists(QString::fromStdString(out)) &&
                    QFileInfo(QString::fromStdString(out)).size() > 0);
        QCOMPARE(velnet::test::readFile(out), std::string("$HOME|a b|"));
    }

    void reportOpensWithTheDesktopOrATerminalEditorInsideATerminal()
    {
        velnet::test::TempDir dir;
        const std::string log = dir.file("started");
        // Each stand-in writes its name and arguments, one line per start.
        auto tool = [&](const std::string& name) {
            const std::string script = dir.file("bin/" + name);
            velnet::test::writeFile(script, "#!/bin/sh\nprintf '%s' \"${0##*/}\" >> " + log +
                                                "\nprintf ' %s' \"$@\" >> " + log +
                                                "\nprintf '\\n' >> " + log + "\n");
            QFile::setPermissions(QString::fromStdString(script),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        };
        std::filesystem::create_directories(dir.file("bin"));
        tool("xdg-open");
        tool("x-terminal-emulator");
        tool("vi");
        const std::string text = dir.file("report.txt");

        const QByteArray path = qgetenv("PATH");
        const QByteArray visual = qgetenv("VISUAL");
        const QByteArray editor = qgetenv("EDITOR");
        qputenv("PATH", QByteArray::fromStdString(dir.file("bin")));
        qunsetenv("VISUAL");
        qputenv("EDITOR", "vi -n");
        SystemProcessLauncher launcher;
        auto started = [&](const std::string& expected) {
            QTRY_COMPARE(velnet::test::readFile(log), expected);
            std::filesystem::remove(log);
        };

        // The desktop's handler first.
        QVERIFY(launcher.openInTextEditor(text));
        started("xdg-open " + text + "\n");
        // A handler that finds no program for the file says so by its status.
        velnet::test::writeFile(dir.file("bin/xdg-open"), "#!/bin/sh\nexit 3\n");
        bool noViewer = false;
        QVERIFY(launcher.openInTextEditor(text, [&] { noViewer = true; }));
        QTRY_VERIFY(noViewer);
        // Without one, the terminal editor runs inside a terminal emulator.
        std::filesystem::remove(dir.file("bin/xdg-open"));
        QVERIFY(launcher.openInTextEditor(text));
        started("x-terminal-emulator -e " + dir.file("bin/vi") + " -n " + text + "\n");
        // Without a terminal emulator the editor is not started at all.
        std::filesystem::remove(dir.file("bin/x-terminal-emulator"));
        const bool withoutTerminal = launcher.openInTextEditor(text);
        qunsetenv("EDITOR");
        tool("x-terminal-emulator");
        const bool withoutEditor = launcher.openInTextEditor(text);

        qputenv("PATH", path);
        if (!visual.isNull())
            qputenv("VISUAL", visual);
        if (!editor.isNull())
            qputenv("EDITOR", editor);
        QVERIFY(!withoutTerminal);
        QVERIFY(!withoutEditor);
        QTest::qWait(200);
        QVERIFY(!QFileInfo::exists(QString::fromStdString(log)));
    }

    void fakeLauncherRecordsAndRestoresTheSystemOne()
    {
        ProcessLauncher* system = &processLauncher();
        {
            FakeProcessLauncher fake;
            QCOMPARE(&processLauncher(), static_cast<ProcessLauncher*>(&fake));
            processLauncher().start("traymon.exe", {"-on"});
            QCOMPARE(fake.starts.size(), std::size_t{1});
            QCOMPARE(fake.starts[0].program, std::string("traymon.exe"));
            QCOMPARE(fake.starts[0].arguments, std::vector<std::string>{"-on"});
        }
        QCOMPARE(&processLauncher(), system);
    }

    void restartIsOnlyLoggedWhenDisabled()
    {
        // The test environment always carries VELNET_NO_RESTART=1; without
        // it this test must not run at all.
        if (qgetenv("VELNET_NO_RESTART") != "1")
            QSKIP("VELNET_NO_RESTART is not 1");
        QVERIFY(SystemRestart::disabledByEnvironment());
        QCOMPARE(SystemRestart().reboot(), Restart::Result::Skipped);

        FakeRestart fake;
        QCOMPARE(restart().reboot(), Restart::Result::Requested);
        QCOMPARE(fake.reboots, 1);
    }
};

QTEST_MAIN(PlatformServicesTest)
#include "PlatformServicesTest.moc"
