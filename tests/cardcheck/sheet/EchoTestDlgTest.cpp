// SPDX-License-Identifier: MIT
#include "cardcheck/sheet/AnimationControl.h"
#include "cardcheck/sheet/CAdapterPropertyPage.h"
#include "cardcheck/sheet/CDiagnosticsPage.h"
#include "cardcheck/sheet/CEchoTestDlg.h"
#include "common/platform/HelpFile.h"
#include "tests/cardcheck/sheet/PagesFixture.h"
#include "tests/support/ExpectedBox.h"
#include "tests/support/QtTestResponder.h"
#include "tests/support/TempDir.h"

#include <QApplication>
#include <QCheckBox>
#include <QHostAddress>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QUdpSocket>
#include <QtTest/QtTest>
#include <memory>

using velnet::cardcheck::CEchoTestDlg;
using velnet::cardcheck::EchoMonitor;
using velnet::cardcheck::test::PagesFixture;
using velnet::test::QtTestResponder;

namespace {

const char* kMustStop = "Error:  You must stop the Echo tests before exiting.";
const char* kNoReplies = "No echo replies were received.  Make sure the other computer is "
                         "running the echo test as responder.";

// A UDP port of the loopback network that nobody uses at the moment.
quint16 freePort()
{
    QUdpSocket socket;
    socket.bind(QHostAddress::LocalHost, 0);
    return socket.localPort();
}

std::string nic()
{
    return R"("nics": [ { "type": "VX410", "name": "Corvane Fast Velnet Server XL PCI NIC" } ])";
}

std::string senderScenario(quint16 peerPort, const std::string& more = {})
{
    return R"({ "computerName": "BENCH-1", )" + nic() + R"(, "echo": { "peer": "127.0.0.1:)" +
           std::to_string(peerPort) + R"(", "burst": 8, "intervalMs": 100, "replyTimeoutMs": 600)" +
           more + " } }";
}

// The other computer: a process of its own that answers echoes.
class ResponderProcess
{
public:
    bool start(quint16 port, const std::string& name)
    {
        velnet::test::writeFile(dir_.file("scenario.json"),
                                R"({ "computerName": ")" + name + R"(", )" + nic() +
                                    R"(, "echo": { "port": )" + std::to_string(port) + " } }");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("NICPORT_SCENARIO", QString::fromStdString(dir_.file("scenario.json")));
        env.remove("NICPORT_TRACE");
        process_.setProcessEnvironment(env);
        process_.start(QStringLiteral(ECHO_RESPONDER), {});
        if (!process_.waitForStarted(5000))
            return false;
        while (!process_.canReadLine())
            if (!process_.waitForReadyRead(10000))
                return false;
        return process_.readLine().trimmed() == "responding";
    }
    // Stops it; the number of echoes it received.
    int stop()
    {
        process_.write("stop\n");
        process_.closeWriteChannel();
        if (!process_.waitForFinished(10000))
            return -1;
        const QByteArray out = process_.readAll().trimmed();
        return out.startsWith("received ") ? out.mid(9).toInt() : -1;
    }
    ~ResponderProcess()
    {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }

private:
    velnet::test::TempDir dir_;
    QProcess process_;
};

} // namespace

class EchoTestDlgTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        dialog_.reset();
        fixture_.reset();
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
    }

    void theResponderRoleShowsItselfOnTheRight()
    {
        open(senderScenario(freePort()), CEchoTestDlg::Responder);
        QCOMPARE(dialog_->windowTitle(), QString("Echo Test Responder"));
        QCOMPARE(label("rightLabel"), QString("This Computer"));
        QCOMPARE(label("leftLabel"), QString());
        QVERIFY(continuous()->isChecked());
        QVERIFY(!continuous()->isEnabled());

        QtTestResponder responder;
        click("start");
        QVERIFY(!button("start")->isEnabled());
        QVERIFY(continuous()->isChecked());
        QVERIFY(!continuous()->isEnabled());
        QTRY_COMPARE(velnet::cardcheck::theAdapterLibrary()->EchoState(),
                     std::uint8_t{VELNET_ECHO_RESPOND});
        QCOMPARE(fixture_->traced("EchoTest 1 1"), 1);
        click("stop");
        QTRY_VERIFY(button("start")->isEnabled());
        QVERIFY(continuous()->isChecked());
        QVERIFY(!continuous()->isEnabled());
    }

    void theSenderRoleShowsItselfOnTheLeft()
    {
        open(senderScenario(freePort()), CEchoTestDlg::Sender);
        QCOMPARE(dialog_->windowTitle(), QString("Echo Test Sender"));
        QCOMPARE(label("leftLabel"), QString("This Computer"));
        QCOMPARE(label("rightLabel"), QString());
        QVERIFY(!continuous()->isChecked());
        QVERIFY(continuous()->isEnabled());
        QVERIFY(button("start")->isEnabled());
        QVERIFY(!button("stop")->isEnabled());
        QVERIFY(button("close")->isEnabled());
        // The statistics of the library, under their two headings.
        auto* list = dialog_->findChild<QTreeWidget*>("statisticsList");
        QCOMPARE(list->headerItem()->text(0), QString("Statistic"));
        QCOMPARE(list->headerItem()->text(1), QString("Value"));
        QVERIFY(list->topLevelItemCount() > 0);
        QCOMPARE(animation()->frameCount(), 24);
        QCOMPARE(dialog_->animationMode(), EchoMonitor::Mode::Still);
    }

    void echoesBetweenTwoProcesses()
    {
        const quint16 port = freePort();
        ResponderProcess partner;
        QVERIFY(partner.start(port, "ECHO-PARTNER"));
        open(senderScenario(port), CEchoTestDlg::Sender);
        QtTestResponder responder;

        // Continuous: the test runs until Stop.
        QTest::mouseClick(continuous(), Qt::LeftButton);
        QVERIFY(continuous()->isChecked());
        click("start");
        QVERIFY(!button("start")->isEnabled());
        QVERIFY(button("stop")->isEnabled());
        QVERIFY(!button("close")->isEnabled());
        QVERIFY(!continuous()->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(dialog_->lastReceivedCount() > 0, 8000);
        QCOMPARE(label("rightLabel"), QString("ECHO-PARTNER"));
        QCOMPARE(label("leftLabel"), QString("This Computer"));
        QTRY_COMPARE_WITH_TIMEOUT(dialog_->animationMode(), EchoMonitor::Mode::FullLoop, 5000);
        QVERIFY(animation()->isPlaying());
        QCOMPARE(animation()->lastFrame(), 23);

        // Neither the close box nor Escape may end the dialog now.
        responder.expect(kMustStop);
        dialog_->close();
        responder.expect(kMustStop);
        QTest::keyClick(dialog_.get(), Qt::Key_Escape);
        QVERIFY(responder.verify());
        QVERIFY(dialog_->isVisible());
        QVERIFY(dialog_->running());

        click("stop");
        QTRY_VERIFY(button("start")->isEnabled());
        QVERIFY(!button("stop")->isEnabled());
        QVERIFY(button("close")->isEnabled());
        QVERIFY(continuous()->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(dialog_->animationMode(), EchoMonitor::Mode::Still, 3000);
        QCOMPARE(animation()->currentFrame(), 0);

        // One burst: the dialog returns to idle by itself.
        const int before = dialog_->lastReceivedCount();
        QTest::mouseClick(continuous(), Qt::LeftButton);
        QVERIFY(!continuous()->isChecked());
        click("start");
        QVERIFY(!button("start")->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(button("start")->isEnabled(), 8000);
        QVERIFY(velnet::cardcheck::theAdapterLibrary()->NumberEchosReceived() !=
                std::to_string(before));
        QCOMPARE(fixture_->traced("EchoTest 0 1"), 1);
        QCOMPARE(fixture_->traced("EchoTest 0 0"), 1);

        QVERIFY(partner.stop() > 0);
        // Idle now: the close box closes.
        dialog_->close();
        QVERIFY(!dialog_->isVisible());
        QCOMPARE(dialog_->result(), int(QDialog::Rejected));
    }

    void sendingWithoutEchoesShowsPacketsLeavingThenTheLibrarysMessage()
    {
        open(senderScenario(freePort()), CEchoTestDlg::Sender);
        QtTestResponder responder;
        bool reported = false;
        auto noReplies =
            velnet::test::cardcheckBox(kNoReplies, velnet::ui::Buttons::Ok, std::nullopt);
        noReplies.onShow = [&] { reported = true; };
        responder.expect(noReplies);
        click("start");
        QTRY_COMPARE_WITH_TIMEOUT(dialog_->animationMode(), EchoMonitor::Mode::ShortLoop, 3000);
        QCOMPARE(animation()->lastFrame(), 11);
        QCOMPARE(label("rightLabel"), QString());
        QTRY_VERIFY_WITH_TIMEOUT(reported, 8000);
        QTRY_VERIFY(button("start")->isEnabled());
        QVERIFY(button("close")->isEnabled());
    }

    void theStopCallsMessageIsShown()
    {
        open(senderScenario(freePort(), R"(, "stopError": "The echo test was stopped early.")"),
             CEchoTestDlg::Sender);
        QtTestResponder responder;
        QTest::mouseClick(continuous(), Qt::LeftButton);
        click("start");
        QTRY_COMPARE(velnet::cardcheck::theAdapterLibrary()->EchoState(),
                     std::uint8_t{VELNET_ECHO_SEND});
        responder.expect("The echo test was stopped early.");
        click("stop");
        QTRY_VERIFY(button("start")->isEnabled());
        QVERIFY(responder.verify());
        QCOMPARE(fixture_->traced("EchoTest 2 0"), 1);
    }

    void closeStopsTheLibraryAndHelpOpensTheTopic()
    {
        open(senderScenario(freePort()), CEchoTestDlg::Sender);
        click("help");
        const auto& requests = fixture_->help().requests();
        QCOMPARE(requests.size(), std::size_t{1});
        QCOMPARE(requests.back().kind, velnet::platform::FakeHelpViewer::Kind::Topic);
        QCOMPARE(requests.back().id, std::uint32_t{131208});

        click("close");
        QVERIFY(!dialog_->isVisible());
        QCOMPARE(dialog_->result(), int(QDialog::Accepted));
        QCOMPARE(fixture_->traced("EchoTest 2 0"), 1);
    }

    void theDiagnosticsPageOpensBothRoles_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("caption");
        QTest::newRow("Send...") << "send"
                                 << "Echo Test Sender";
        QTest::newRow("Respond...") << "respond"
                                    << "Echo Test Responder";
    }
    void theDiagnosticsPageOpensBothRoles()
    {
        QFETCH(QString, button);
        QFETCH(QString, caption);
        fixture_ = std::make_unique<PagesFixture>(senderScenario(freePort()));
        QVERIFY(fixture_->ready());
        velnet::cardcheck::CDiagnosticsPage page(fixture_->context());
        page.show();
        page.activate();
        QString seen;
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<CEchoTestDlg*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            seen = dialog->windowTitle();
            QTest::mouseClick(dialog->findChild<QPushButton*>("close"), Qt::LeftButton);
        });
        QTest::mouseClick(page.findChild<QPushButton*>(button), Qt::LeftButton);
        QCOMPARE(seen, caption);
    }

    void everyHelpIdThePagesAndTheDialogUseHasATopic()
    {
        const auto file = velnet::platform::HelpFile::load(VELNET_BINARY_DIR "/bin/cardcheck.hlp");
        QVERIFY2(file, file.error().c_str());
        std::vector<std::uint32_t> ids{CEchoTestDlg::kHelpTopic};
        for (const auto& table :
             {velnet::cardcheck::CAdapterPropertyPage::helpTable(),
              velnet::cardcheck::CDiagnosticsPage::helpTable(), CEchoTestDlg::helpTable()})
            for (const auto& entry : table)
                ids.push_back(entry.helpId);
        // The rows of the shipped libraries' lists, for a NIC of each type.
        fixture_ = std::make_unique<PagesFixture>(R"({ "nics": [
            { "type": "VX410", "name": "Corvane Fast Velnet Server XL PCI NIC" },
            { "type": "VX210", "name": "Corvane Velnet XL PCI NIC" } ] })");
        QVERIFY(fixture_->ready());
        velnet::cardcheck::AdapterLibrary& library = *velnet::cardcheck::theAdapterLibrary();
        for (int nic : {0, 1}) {
            std::string message;
            QVERIFY(library.select(nic, message));
            std::int32_t advanced = 0;
            for (int i = 0; library.ConfigName(i, advanced); ++i)
                ids.push_back(library.ConfigHelp(i));
            for (int i = 0; library.StatisticsName(i); ++i)
                ids.push_back(library.StatisticsHelp(i));
            for (int i = 0; library.TestName(i); ++i)
                ids.push_back(library.TestHelp(i));
        }
        QVERIFY(ids.size() > 40);
        for (std::uint32_t id : ids)
            QVERIFY2(file->find(id), qPrintable(QString::number(id, 16)));
    }

    void theDialogOutlivesNoWorker()
    {
        open(senderScenario(freePort()), CEchoTestDlg::Sender);
        QTest::mouseClick(continuous(), Qt::LeftButton);
        click("start");
        QTRY_COMPARE(velnet::cardcheck::theAdapterLibrary()->EchoState(),
                     std::uint8_t{VELNET_ECHO_SEND});
        dialog_.reset(); // stops the test and waits for its worker
        QCOMPARE(velnet::cardcheck::theAdapterLibrary()->EchoState(),
                 std::uint8_t{VELNET_ECHO_IDLE});
        QTest::qWait(100);
    }

private:
    void open(const std::string& scenario, int role)
    {
        fixture_ = std::make_unique<PagesFixture>(scenario);
        QVERIFY2(fixture_->ready(), fixture_->error().c_str());
        dialog_ = std::make_unique<CEchoTestDlg>(role, fixture_->context());
        dialog_->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog_.get()));
    }

    QPushButton* button(const char* name) { return dialog_->findChild<QPushButton*>(name); }
    QCheckBox* continuous() { return dialog_->findChild<QCheckBox*>("continuous"); }
    velnet::cardcheck::AnimationControl* animation()
    {
        return dialog_->findChild<velnet::cardcheck::AnimationControl*>("animation");
    }
    QString label(const char* name) { return dialog_->findChild<QLabel*>(name)->text(); }
    void click(const char* name) { QTest::mouseClick(button(name), Qt::LeftButton); }

    std::unique_ptr<PagesFixture> fixture_;
    std::unique_ptr<CEchoTestDlg> dialog_;
};

QTEST_MAIN(EchoTestDlgTest)
#include "EchoTestDlgTest.moc"
#include "cardcheck/ui/ProgramState.h"
