// SPDX-License-Identifier: MIT
// Takes the README's pictures of the Diagnostics page after a run and of the
// echo test dialog while it sends, from the program's own sheet and dialog on
// the simulated NICs, rendered offscreen. A second process answers the
// echoes. Run by `tools/screenshots.sh pages`:
//
//   cardcheck_pages_screenshots OUTPUT_FOLDER ECHO_RESPONDER
#include "cardcheck/adapter/AdapterLibrary.h"
#include "cardcheck/sheet/CDiagnosticsPage.h"
#include "cardcheck/sheet/CEchoTestDlg.h"
#include "cardcheck/sheet/CMainDlg.h"
#include "cardcheck/ui/ProgramState.h"
#include "cardcheck/ui/SheetContext.h"
#include "common/platform/FakeHelpViewer.h"
#include "common/registry/FileRegistry.h"
#include "tests/support/TempDir.h"

#include <QApplication>
#include <QCheckBox>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QProcess>
#include <QPushButton>
#include <QStyleFactory>
#include <QTabWidget>
#include <QThread>
#include <QUdpSocket>
#include <cstdio>
#include <functional>

namespace {

const char* kNics = R"("nics": [
    { "type": "VX410", "name": "Corvane Fast Velnet Server XL PCI NIC",
      "address": "00A0CC4E1F02", "slot": 3, "irq": 11, "ioBase": "0xE800" },
    { "type": "VX410", "name": "Corvane Fast Velnet Server XL PCI NIC",
      "address": "00A0CC4E1F03", "slot": 4, "irq": 10, "ioBase": "0xE400" } ])";

bool waitFor(const std::function<bool()>& done, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(10);
    }
    return true;
}

void settle(int ms)
{
    waitFor([] { return false; }, ms);
}

bool save(QWidget* widget, const QString& path)
{
    if (widget->grab().save(path, "PNG")) {
        std::printf("wrote %s\n", qPrintable(path));
        return true;
    }
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

quint16 freePort()
{
    QUdpSocket socket;
    socket.bind(QHostAddress::LocalHost, 0);
    return socket.localPort();
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: pages_screenshots OUTPUT_FOLDER ECHO_RESPONDER\n");
        return 2;
    }
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    const QString out = QString::fromLocal8Bit(argv[1]);
    velnet::test::TempDir dir;

    // The other computer.
    const quint16 port = freePort();
    velnet::test::writeFile(dir.file("partner.json"),
                            R"({ "computerName": "LAB-PC-2", )" + std::string(kNics) +
                                R"(, "echo": { "port": )" + std::to_string(port) + " } }");
    QProcess partner;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("NICPORT_SCENARIO", QString::fromStdString(dir.file("partner.json")));
    partner.setProcessEnvironment(env);
    partner.start(QString::fromLocal8Bit(argv[2]), {});
    if (!partner.waitForReadyRead(10000) || !partner.readLine().startsWith("responding")) {
        std::fprintf(stderr, "the echo responder did not start\n");
        return 1;
    }

    // This computer: the sheet on the same NICs, sending to the partner.
    velnet::test::writeFile(dir.file("bench.json"), R"({ "computerName": "BENCH-1", )" +
                                                        std::string(kNics) +
                                                        R"(, "echo": { "peer": "127.0.0.1:)" +
                                                        std::to_string(port) + R"(" } })");
    qputenv("NICPORT_SCENARIO", QByteArray::fromStdString(dir.file("bench.json")));
    std::string error;
    velnet::cardcheck::Discovery discovery;
    if (discovery.Discover(error) <= 0) {
        std::fprintf(stderr, "no NIC: %s\n", error.c_str());
        return 1;
    }
    velnet::cardcheck::AdapterLibrary& library =
        velnet::cardcheck::createAdapterLibrary(std::move(discovery));
    library.select(0, velnet::cardcheck::sheetState().selectionMessage);
    velnet::cardcheck::sheetState().setAllRefreshFlags();

    velnet::registry::FileRegistry registry(dir.file("registry.reg"));
    velnet::platform::FakeHelpViewer help;
    velnet::cardcheck::SheetContext context{registry, help};
    bool ok = true;
    {
        velnet::cardcheck::CMainDlg sheet(context);
        sheet.show();
        auto* tabs = sheet.findChild<QTabWidget*>();
        tabs->setCurrentIndex(2);
        velnet::cardcheck::CDiagnosticsPage* page = sheet.diagnosticsPage();
        page->findChild<QPushButton*>("start")->click();
        ok = waitFor([page] { return !page->running(); }, 30000);
        settle(200);
        ok = ok && save(&sheet, out + "/diagnostics-page.png");

        velnet::cardcheck::CEchoTestDlg echo(velnet::cardcheck::CEchoTestDlg::Sender, context,
                                             &sheet);
        echo.show();
        echo.findChild<QCheckBox*>("continuous")->setChecked(true);
        echo.findChild<QPushButton*>("start")->click();
        ok = ok && waitFor([&] { return echo.lastReceivedCount() > 0; }, 10000);
        settle(1500);
        ok = ok && save(&echo, out + "/echo-test-sending.png");
        echo.findChild<QPushButton*>("stop")->click();
        waitFor([&] { return !echo.running(); }, 10000);
        echo.findChild<QPushButton*>("close")->click();
        sheet.done(QDialog::Accepted);
    }
    partner.write("stop\n");
    partner.closeWriteChannel();
    partner.waitForFinished(10000);
    return ok ? 0 : 1;
}
