// SPDX-License-Identifier: MIT
#include "cardcheck/sheet/TrayMonitor.h"

#include "libraries/system/traymon/LinkStatus.h"
#include "tests/support/TempDir.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QtTest/QTest>

using velnet::traymon::LinkStatus;
using velnet::traymon::NicLink;

// The tray monitor program and how cardcheck starts and closes it.
class TrayMonitorTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QCOMPARE(QApplication::topLevelWidgets().size(), 0); }

    void linkStatesOfTheScenario()
    {
        const auto parsed = LinkStatus::parse(R"({"nics": [
            {"type": "VX410", "name": "Server NIC"},
            {"type": "VX410", "link": false},
            {"type": "VX210", "name": "Desktop NIC", "link": "down"},
            {"type": "VX210", "link": "100 Mbps, Full Duplex"}]})");
        QVERIFY2(parsed, parsed.error().c_str());
        const auto& nics = *parsed;
        QCOMPARE(nics.size(), std::size_t{4});
        QCOMPARE(nics[0].name, std::string("Server NIC"));
        QVERIFY(nics[0].linkUp);
        QCOMPARE(nics[1].name, std::string("VX410"));
        QVERIFY(!nics[1].linkUp);
        QVERIFY(!nics[2].linkUp);
        QVERIFY(nics[3].linkUp);
        QCOMPARE(LinkStatus::summary({nics[0], nics[2]}),
                 std::string("Server NIC: Connected\nDesktop NIC: Cable unplugged"));
        QCOMPARE(LinkStatus::summary({}), std::string("No network interface cards found"));
    }

    void brokenScenarioGivesNoNicsAndTheReason()
    {
        const auto nics = LinkStatus::parse("{\"nics\": [");
        QVERIFY(!nics);
        QVERIFY(!nics.error().empty());
    }

    void startedMonitorClosesWhenAsked()
    {
        QVERIFY(!velnet::cardcheck::TrayMonitor::closeIfRunning()); // none runs yet
        QProcess monitor;
        monitor.setProcessChannelMode(QProcess::ForwardedChannels);
        monitor.start(QStringLiteral(VELNET_BINARY_DIR "/bin/traymon"), {});
        QVERIFY(monitor.waitForStarted());
        QTRY_VERIFY(QFileInfo::exists(velnet::cardcheck::TrayMonitor::socketPath()));
        // Asked once only: QTRY_VERIFY evaluates its condition again at the end.
        bool asked = false;
        QTRY_VERIFY(asked = asked || velnet::cardcheck::TrayMonitor::closeIfRunning());
        QVERIFY(monitor.waitForFinished(5000));
        QCOMPARE(monitor.exitStatus(), QProcess::NormalExit);
        QCOMPARE(monitor.exitCode(), 0);
        QVERIFY(!velnet::cardcheck::TrayMonitor::closeIfRunning());
    }

    void offSettingEndsAtOnce()
    {
        QProcess monitor;
        monitor.start(QStringLiteral(VELNET_BINARY_DIR "/bin/traymon"), {QStringLiteral("-off")});
        QVERIFY(monitor.waitForFinished(5000));
        QCOMPARE(monitor.exitCode(), 0);
        QVERIFY(!velnet::cardcheck::TrayMonitor::closeIfRunning());
    }
};

QTEST_MAIN(TrayMonitorTest)
#include "TrayMonitorTest.moc"
