// SPDX-License-Identifier: MIT
#include "cardcheck/adapter/AdapterLibrary.h"
#include "cardcheck/resources/StringTable.h"
#include "cardcheck/sheet/CCardcheckApp.h"
#include "cardcheck/sheet/CGeneralPage.h"
#include "cardcheck/sheet/CMainDlg.h"
#include "cardcheck/sheet/CWarningDlg.h"
#include "cardcheck/sheet/CWelcomeDlg.h"
#include "cardcheck/sheet/StartupDiscovery.h"
#include "common/platform/FakeRestart.h"
#include "tests/support/DialogControls.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/QtTestResponder.h"
#include "tests/support/SimulatedNics.h"
#include "tests/support/TestSheetContext.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyle>
#include <QTabWidget>
#include <QtTest/QTest>

using namespace velnet::cardcheck;
using velnet::test::child;
using velnet::ui::Answer;

namespace {

// The user's two answers to the question whether to restart now.
void restartAnswers()
{
    QTest::addColumn<bool>("restartNow");
    QTest::newRow("No") << false;
    QTest::newRow("Yes") << true;
}

void closeSheet(CMainDlg* sheet)
{
    QTest::mouseClick(
        sheet->findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Cancel),
        Qt::LeftButton);
}

} // namespace

// The program's life from its command line to its end, with the simulated
// NICs, the scripted user and a restart that only counts.
class StartupTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { own_ = std::make_unique<test::TestSheetContext>(); }

    void cleanup()
    {
        own_.reset();
        QCOMPARE(QApplication::topLevelWidgets().size(), 0);
    }

    void aSheetOnItsOwnEndsNothingButItself()
    {
        test::SimulatedNics nics;
        velnet::platform::FakeRestart restart;
        std::string error;
        QCOMPARE(StartupDiscovery::run(error, false), 2);
        sheetState().rebootAtExit = 1;
        {
            velnet::test::QtTestResponder r;
            CMainDlg sheet(own_->context());
            sheet.show();
            QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        }
        // Only the program's last step puts drivers back, releases the
        // libraries and restarts.
        QVERIFY(theAdapterLibrary() != nullptr);
        QVERIFY(nics.calls("VX410CFG EnableDriver").empty());
        QCOMPARE(restart.reboots, 0);

        velnet::test::QtTestResponder r;
        CMainDlg sheet(own_->context());
        CCardcheckApp::ExitInstance(sheet);
        QCOMPARE(theAdapterLibrary(), nullptr);
        QCOMPARE(nics.calls("VX410CFG EnableDriver").size(), std::size_t{2});
        QCOMPARE(restart.reboots, 1);
    }

    void bothSwitchesShowTheWelcomeAndSelectWithFlagOne()
    {
        test::SimulatedNics nics;
        velnet::test::QtTestResponder r;
        velnet::platform::FakeRestart restart;
        velnet::test::ModalDriver driver;
        int advancedSeen = -1;
        driver.when<CWelcomeDlg>([](CWelcomeDlg* welcome) {
            QCOMPARE(welcome->windowTitle(), QStringLiteral("Corvane NIC Diagnostics  v1.0"));
            velnet::test::click(welcome, "continueButton");
        });
        driver.when<CMainDlg>([&](CMainDlg* sheet) {
            advancedSeen = sheetState().advancedMode;
            closeSheet(sheet);
        });

        CCardcheckApp program(own_->context());
        QVERIFY(!program.InitInstance({"cardcheck", "-inf", "-a"}));
        QCOMPARE(driver.seen(),
                 (QStringList{"velnet::cardcheck::CWelcomeDlg", "velnet::cardcheck::CMainDlg"}));
        QCOMPARE(advancedSeen, 1);
        QCOMPARE(sheetState().welcomeMode, 1);
        // Every SelectCard of the run had the welcome flag.
        const auto selects = nics.calls("VX410CFG SelectCard");
        QVERIFY(!selects.empty());
        for (const std::string& call : selects)
            QVERIFY2(call.ends_with(" 1"), call.c_str());
        // The drivers went back at the end; nothing asked for a restart.
        QCOMPARE(nics.calls("VX410CFG EnableDriver").size(), std::size_t{2});
        QCOMPARE(restart.reboots, 0);
        QCOMPARE(theAdapterLibrary(), nullptr);
    }

    void theWelcomeHasNoBlankGapsBetweenItsParts()
    {
        CWelcomeDlg welcome(own_->context());
        welcome.show();
        QVERIFY(QTest::qWaitForWindowExposed(&welcome));
        const int spacing = welcome.style()->pixelMetric(QStyle::PM_LayoutVerticalSpacing);
        QWidget* parts[] = {child<QLabel>(&welcome, "congratulations"),
                            child<QLabel>(&welcome, "offer"), child<QWidget>(&welcome, "services"),
                            child<QPushButton>(&welcome, "continueButton")};
        for (int i = 0; i + 1 < 4; ++i) {
            QVERIFY(parts[i] && parts[i + 1]);
            const int gap = parts[i + 1]->geometry().top() - parts[i]->geometry().bottom() - 1;
            QVERIFY2(
                gap <= 2 * std::max(spacing, 6),
                qPrintable(QString("%1 pixels below %2").arg(gap).arg(parts[i]->objectName())));
        }
        // The dialog is as tall as its contents at its width, whatever the
        // desktop's font: no room left over to spread between the parts.
        QCOMPARE(welcome.height(), welcome.heightForWidth(welcome.width()));
        // The labels are wholly shown, every line of them.
        for (int i = 0; i < 2; ++i) {
            auto* label = static_cast<QLabel*>(parts[i]);
            QVERIFY(label->height() >= label->heightForWidth(label->width()));
        }
        welcome.hide();
    }

    void releaseNotesOpenTheirTopicAndCloseEndsTheProgram()
    {
        test::SimulatedNics nics;
        velnet::test::QtTestResponder r;
        velnet::test::ModalDriver driver;
        driver.when<CWelcomeDlg>([](CWelcomeDlg* welcome) {
            velnet::test::click(welcome, "releaseNotesButton");
            QVERIFY(welcome->isVisible()); // the dialog stays open
            velnet::test::click(welcome, "closeButton");
        });
        CCardcheckApp program(own_->context());
        program.InitInstance({"cardcheck", "-inf"});
        QCOMPARE(driver.seen(), QStringList{"velnet::cardcheck::CWelcomeDlg"});
        QCOMPARE(own_->help().requests().size(), std::size_t{1});
        QCOMPARE(own_->help().requests()[0].kind, velnet::platform::FakeHelpViewer::Kind::Topic);
        QCOMPARE(own_->help().requests()[0].id, 394324u);
        QVERIFY(nics.trace().empty()); // no library was loaded
    }

    void advancedSwitchInsideAWordStillShowsTheWarning()
    {
        test::SimulatedNics nics;
        velnet::test::QtTestResponder r;
        velnet::test::ModalDriver driver;
        driver.when<CWarningDlg>([](CWarningDlg* warning) {
            QCOMPARE(warning->windowTitle(), QStringLiteral("Corvane NIC Diagnostics"));
            QTest::keyClick(warning, Qt::Key_Return); // "OK" is the default
        });
        driver.when<CMainDlg>([](CMainDlg* sheet) { closeSheet(sheet); });
        CCardcheckApp program(own_->context());
        program.InitInstance({"cardcheck", "--show-all"});
        QCOMPARE(driver.seen(),
                 (QStringList{"velnet::cardcheck::CWarningDlg", "velnet::cardcheck::CMainDlg"}));
        QCOMPARE(sheetState().advancedMode, 1);
        QCOMPARE(sheetState().welcomeMode, 0);
        QCOMPARE(nics.calls("VX410CFG SelectCard 0").front(),
                 std::string("VX410CFG SelectCard 0 0"));
    }

    void cancellingTheWarningEndsBeforeAnyLibraryLoads()
    {
        test::SimulatedNics nics;
        velnet::test::QtTestResponder r;
        velnet::test::ModalDriver driver;
        driver.when<CWarningDlg>(
            [](CWarningDlg* warning) { QTest::keyClick(warning, Qt::Key_Escape); });
        CCardcheckApp program(own_->context());
        program.InitInstance({"cardcheck"});
        QCOMPARE(driver.seen(), QStringList{"velnet::cardcheck::CWarningDlg"});
        QVERIFY(nics.trace().empty());
        QCOMPARE(sheetState().advancedMode, 0);
    }

    void firstNicNotSelectableLeavesTheSecondSelectedSilently()
    {
        test::SimulatedNics nics("first-not-selectable.json");
        velnet::test::QtTestResponder r; // no message at all
        velnet::test::ModalDriver driver;
        int comboRow = -1;
        QString message;
        driver.when<CWarningDlg>(
            [](CWarningDlg* warning) { QTest::keyClick(warning, Qt::Key_Return); });
        driver.when<CMainDlg>([&](CMainDlg* sheet) {
            comboRow = child<QComboBox>(sheet, "cardCombo")->currentIndex();
            message = child<QLabel>(sheet, "selectionMessage")->text();
            closeSheet(sheet);
        });
        CCardcheckApp program(own_->context());
        program.InitInstance({"cardcheck"});
        QCOMPARE(comboRow, 1);
        QCOMPARE(message, QStringLiteral("The NIC is ready for diagnostics."));
        QVERIFY(r.shown().empty());
    }

    void noSelectableNicShowsTheLastFailureThenOffersARestart_data() { restartAnswers(); }

    void noSelectableNicShowsTheLastFailureThenOffersARestart()
    {
        QFETCH(bool, restartNow);
        test::SimulatedNics nics("none-selectable.json");
        velnet::platform::FakeRestart restart;
        velnet::test::QtTestResponder r;
        r.expect("The second NIC does not answer.");
        r.expect(StringTable::load(148), restartNow ? Answer::Yes : Answer::No);
        if (!restartNow)
            r.expect(StringTable::load(220));
        velnet::test::ModalDriver driver;
        driver.when<CWarningDlg>(
            [](CWarningDlg* warning) { QTest::keyClick(warning, Qt::Key_Return); });
        CCardcheckApp program(own_->context());
        program.InitInstance({"cardcheck"});
        QCOMPARE(driver.seen(), QStringList{"velnet::cardcheck::CWarningDlg"}); // no sheet
        QVERIFY(r.verify());
        QCOMPARE(restart.reboots, restartNow ? 1 : 0);
        QCOMPARE(theAdapterLibrary(), nullptr);
        // Only the driver taken off line without a restart was put back.
        QCOMPARE(nics.calls("VX410CFG EnableDriver"),
                 std::vector<std::string>{"VX410CFG EnableDriver 1"});
    }

    void closingAfterAConfigurationChange_data() { restartAnswers(); }

    void closingAfterAConfigurationChange()
    {
        QFETCH(bool, restartNow);
        test::SimulatedNics nics;
        velnet::platform::FakeRestart restart;
        velnet::test::QtTestResponder r;
        velnet::test::ModalDriver driver;
        int rebootsWhileOpen = -1;
        driver.when<CWarningDlg>(
            [](CWarningDlg* warning) { QTest::keyClick(warning, Qt::Key_Return); });
        driver.when<CMainDlg>([&](CMainDlg* sheet) {
            theAdapterLibrary()->changeValue(1, 0);
            r.expect(StringTable::load(221), restartNow ? Answer::Yes : Answer::No);
            if (restartNow)
                r.expect(StringTable::load(222));
            closeSheet(sheet);
            rebootsWhileOpen = restart.reboots;
        });
        CCardcheckApp program(own_->context());
        program.InitInstance({"cardcheck"});
        QVERIFY(r.verify());
        QCOMPARE(rebootsWhileOpen, 0); // the restart waits for the drivers to go back
        QCOMPARE(restart.reboots, restartNow ? 1 : 0);
        QCOMPARE(sheetState().rebootAtExit, restartNow ? 1 : 0);
        QCOMPARE(nics.calls("VX410CFG EnableDriver").size(), std::size_t{2});
    }

    void aSecondStartRaisesTheRunningSheet()
    {
        test::SimulatedNics nics;
        velnet::test::QtTestResponder r;
        velnet::test::ModalDriver driver(60000);
        CCardcheckApp program(own_->context());
        QSignalSpy handled(&program, &CCardcheckApp::raiseRequestHandled);
        int secondExit = -1;
        QByteArray secondOutput;
        driver.when<CWarningDlg>(
            [](CWarningDlg* warning) { QTest::keyClick(warning, Qt::Key_Return); });
        driver.when<CMainDlg>([&](CMainDlg* sheet) {
            QProcess second;
            second.setProcessChannelMode(QProcess::MergedChannels);
            second.start(QStringLiteral(VELNET_BINARY_DIR "/bin/cardcheck"), {});
            QVERIFY(second.waitForStarted());
            QSignalSpy finished(&second, &QProcess::finished);
            QVERIFY(finished.wait(20000));
            secondExit = second.exitCode();
            secondOutput = second.readAll();
            QTRY_COMPARE(handled.size(), 1);
            closeSheet(sheet);
        });
        program.InitInstance({"cardcheck"});
        QCOMPARE(secondExit, 0);
        QVERIFY2(!secondOutput.contains("Warning"), secondOutput.constData());
        QCOMPARE(handled.size(), 1);
        QCOMPARE(handled.at(0).at(0).toBool(), true);
    }

    void aSecondStartBeforeAnyTitledWindowEndsSilently()
    {
        velnet::platform::SingleInstance first(QString::fromLatin1(CCardcheckApp::kInstanceName));
        QVERIFY(first.start());
        QSignalSpy asked(&first, &velnet::platform::SingleInstance::raiseRequested);
        CCardcheckApp program(own_->context());
        velnet::test::QtTestResponder r; // and no dialog either: it would block
        QVERIFY(!program.InitInstance({"cardcheck"}));
        QVERIFY(asked.wait(2000));
        QVERIFY(!CCardcheckApp::raiseWindowTitled(QStringLiteral("Corvane NIC Diagnostics  v1.0")));
    }

private:
    std::unique_ptr<test::TestSheetContext> own_;
};

QTEST_MAIN(StartupTest)
#include "StartupTest.moc"
#include "cardcheck/ui/ProgramState.h"
