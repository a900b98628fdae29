// SPDX-License-Identifier: MIT
#include "cardcheck/sheet/CDiagnosticsPage.h"
#include "cardcheck/sheet/CGeneralPage.h"
#include "cardcheck/sheet/CMainDlg.h"
#include "tests/cardcheck/sheet/PagesFixture.h"
#include "tests/support/QtTestResponder.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QWhatsThis>
#include <QtTest/QtTest>
#include <memory>

using velnet::cardcheck::CDiagnosticsPage;
using velnet::cardcheck::test::PagesFixture;
using velnet::cardcheck::test::whatsThisClick;
using velnet::test::QtTestResponder;
using velnet::ui::Answer;
using velnet::ui::Buttons;
using velnet::ui::ScriptedResponder;

namespace {

const char* kLoopbackFailure = "The loopback test failed: no packet came back.";
const char* kTestsRunning = "Error: You cannot perform this operation while the tests are "
                            "running.  Please stop the tests, or wait for them to complete, then "
                            "try again.";

// A server NIC with three tests, the second failing `failures` times (-1:
// always), and a desktop NIC with one test of its own.
std::string scenario(int failures, int durationMs = 250)
{
    const std::string duration = std::to_string(durationMs);
    return R"({
  "computerName": "BENCH-1",
  "nics": [
    { "type": "VX410", "name": "Corvane Fast Velnet Server XL PCI NIC",
      "tests": [
        { "name": "Register Test", "durationMs": )" +
           duration + R"( },
        { "name": "Loopback Test", "durationMs": )" +
           duration + R"(, "failure": ")" + kLoopbackFailure + R"(", "failures": )" +
           std::to_string(failures) + R"( },
        { "name": "Interrupt Test", "durationMs": )" +
           duration + R"( }
      ] },
    { "type": "VX210", "name": "Corvane Velnet XL PCI NIC",
      "tests": [ { "name": "EEPROM Test", "durationMs": 50 } ] }
  ]
})";
}

const std::string kNoTests = R"({
  "nics": [ { "type": "VX410", "name": "Corvane Fast Velnet Server XL PCI NIC", "tests": [] } ]
})";

} // namespace

class DiagnosticsPageTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        page_.reset();
        sheet_.reset();
        pageInSheet_ = nullptr;
        fixture_.reset();
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
    }

    void theListHoldsTheLibrarysTestsAndStartsIdle()
    {
        open(scenario(-1));
        QCOMPARE(statuses(0), QStringList({"Register Test", "Loopback Test", "Interrupt Test"}));
        QCOMPARE(list()->headerItem()->text(0), QString("Name"));
        QCOMPARE(list()->headerItem()->text(1), QString("Status"));
        expectIdle();
        QCOMPARE(progress()->value(), 0);
    }

    void aLibraryWithoutTestsReturnsToIdleAtOnce()
    {
        open(kNoTests);
        QCOMPARE(list()->topLevelItemCount(), 0);
        QtTestResponder responder;
        click("start");
        expectIdle();
        QCOMPARE(progress()->value(), 0);
        QCOMPARE(fixture_->traced("RunTest 0"), 0);
    }

    void passingTestsRunOneAfterAnother()
    {
        open(scenario(0));
        QtTestResponder responder;
        click("start");
        expectRunning();
        QCOMPARE(statuses(), QStringList({"In Progress", "", ""}));
        QCOMPARE(progress()->maximum(), 3);
        QCOMPARE(progress()->value(), 1);
        QTRY_COMPARE(statuses(), QStringList({"Passed", "In Progress", ""}));
        QCOMPARE(progress()->value(), 2);
        QTRY_VERIFY(start()->isEnabled());
        QCOMPARE(statuses(), QStringList({"Passed", "Passed", "Passed"}));
        expectIdle();
        QCOMPARE(progress()->value(), 0);
        // Each test ran once, on a thread other than this one.
        QCOMPARE(fixture_->traced("RunTest 0") + fixture_->traced("RunTest 1") +
                     fixture_->traced("RunTest 2"),
                 3);
    }

    void aFailureAsksAndIgnoreGoesOn()
    {
        open(scenario(-1));
        QtTestResponder responder;
        ScriptedResponder::Expectation failure;
        failure.text = kLoopbackFailure;
        failure.buttons = Buttons::AbortRetryIgnore;
        failure.answer = Answer::Ignore;
        QStringList whileAsking;
        failure.onShow = [&] { whileAsking = statuses(); };
        responder.expect(failure);
        click("start");
        QTRY_VERIFY(start()->isEnabled());
        QVERIFY(responder.verify());
        QCOMPARE(whileAsking, QStringList({"Passed", "Failed", ""}));
        QCOMPARE(statuses(), QStringList({"Passed", "Failed", "Passed"}));
        QCOMPARE(progress()->value(), 0);
    }

    void retryRunsTheFailedTestAgain()
    {
        open(scenario(1));
        QtTestResponder responder;
        ScriptedResponder::Expectation failure;
        failure.text = kLoopbackFailure;
        failure.buttons = Buttons::AbortRetryIgnore;
        failure.answer = Answer::Retry;
        bool asked = false;
        failure.onShow = [&] { asked = true; };
        responder.expect(failure);
        click("start");
        QTRY_VERIFY(asked);
        // The retry runs while the third test waits its turn.
        QCOMPARE(statuses(), QStringList({"Passed", "In Progress", ""}));
        QCOMPARE(progress()->value(), 2);
        expectRunning();
        QTRY_COMPARE(statuses(), QStringList({"Passed", "Passed", "In Progress"}));
        QTRY_VERIFY(start()->isEnabled());
        QCOMPARE(statuses(), QStringList({"Passed", "Passed", "Passed"}));
        QCOMPARE(fixture_->traced("RunTest 1"), 2);
    }

    void abortEndsTheRun()
    {
        open(scenario(-1));
        QtTestResponder responder;
        ScriptedResponder::Expectation failure;
        failure.text = kLoopbackFailure;
        failure.answer = Answer::Abort;
        responder.expect(failure);
        click("start");
        QTRY_VERIFY(start()->isEnabled());
        QCOMPARE(statuses(), QStringList({"Passed", "Failed", ""}));
        expectIdle();
        QCOMPARE(progress()->value(), 0);
        QCOMPARE(fixture_->traced("RunTest 2"), 0);
    }

    void stopLetsTheRunningTestFinishAndRunsNoMore()
    {
        open(scenario(-1, 600));
        QtTestResponder responder; // a failure after Stop is not asked about
        click("start");
        QTRY_COMPARE_WITH_TIMEOUT(statuses(), QStringList({"Passed", "In Progress", ""}), 5000);
        // The page keeps handling events while it waits for the test.
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, this, [&] { ++ticks; });
        ticker.start(20);
        click("stop"); // returns once the second test has reported
        ticker.stop();
        QVERIFY2(ticks >= 3, qPrintable(QString::number(ticks)));
        QCOMPARE(statuses(), QStringList({"Passed", "Failed", ""}));
        expectIdle();
        QCOMPARE(progress()->value(), 0);
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QTest::qWait(700);
        QCOMPARE(fixture_->traced("RunTest 2"), 0);
        QCOMPARE(statuses(), QStringList({"Passed", "Failed", ""}));
    }

    void leavingThePageOrClosingTheSheetIsRefusedDuringARun()
    {
        openSheet(scenario(0, 500));
        auto* tabs = sheet_->findChild<QTabWidget*>();
        QtTestResponder responder;
        click("start");
        expectRunning();

        // The refusal comes before the switch: while the box is open the
        // Diagnostics page is still the one on the screen, then and after.
        QStringList whileOpen;
        QWidget* general = tabs->widget(0);
        auto onTop = [&] {
            whileOpen << QString::number(tabs->currentIndex())
                      << QString::number(tabs->tabBar()->currentIndex())
                      << (page()->isVisible() ? "diagnostics shown" : "diagnostics hidden")
                      << (general->isVisible() ? "general shown" : "general hidden");
        };
        const QStringList stayed{"2", "2", "diagnostics shown", "general hidden"};
        responder.expect({kTestsRunning, {}, {}, {}, velnet::ui::Answer::Ok, onTop});
        QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(0).center());
        QVERIFY(responder.verify());
        QCOMPARE(whileOpen, stayed);
        QCOMPARE(tabs->currentIndex(), 2);
        // The keyboard's way to the next page is refused the same way.
        whileOpen.clear();
        general = tabs->widget(3);
        responder.expect({kTestsRunning, {}, {}, {}, velnet::ui::Answer::Ok, onTop});
        QTest::keyClick(tabs, Qt::Key_Tab, Qt::ControlModifier);
        QVERIFY(responder.verify());
        QCOMPARE(whileOpen, stayed);
        QCOMPARE(tabs->currentIndex(), 2);

        auto* buttons = sheet_->findChild<QDialogButtonBox*>();
        responder.expect(kTestsRunning);
        QTest::mouseClick(buttons->button(QDialogButtonBox::Cancel), Qt::LeftButton);
        responder.expect(kTestsRunning);
        sheet_->close();
        responder.expect(kTestsRunning);
        QTest::keyClick(sheet_.get(), Qt::Key_Escape);
        responder.expect(kTestsRunning);
        QTest::mouseClick(buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
        QVERIFY(responder.verify());
        QVERIFY(sheet_->isVisible());
        QVERIFY(page()->running());

        // The run goes on undisturbed, and then the page may be left.
        QTRY_VERIFY_WITH_TIMEOUT(start()->isEnabled(), 5000);
        QCOMPARE(statuses(), QStringList({"Passed", "Passed", "Passed"}));
        QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(0).center());
        QCOMPARE(tabs->currentIndex(), 0);
        QTest::mouseClick(buttons->button(QDialogButtonBox::Cancel), Qt::LeftButton);
        QVERIFY(!sheet_->isVisible());
    }

    // Enter presses the focused push button of any page, which shows itself
    // as the default; it never reaches the sheet's OK.
    void enterPressesTheFocusedPageButton_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("name");
        QTest::newRow("&NIC Details...") << 0 << "detailsButton";
        QTest::newRow("Flowmark...") << 1 << "flowmark";
        QTest::newRow("&Start, after a run") << 2 << "start";
        QTest::newRow("&BBS Information...") << 3 << "bbsButton";
        QTest::newRow("&Problem Report...") << 3 << "problemReportButton";
    }

    void enterPressesTheFocusedPageButton()
    {
        QFETCH(int, tab);
        QFETCH(QString, name);
        openSheet(scenario(0, 20));
        QtTestResponder responder;
        click("start");
        QTRY_VERIFY(start()->isEnabled());
        sheet_->findChild<QTabWidget*>()->setCurrentIndex(tab);
        auto* pressed = sheet_->page(tab)->findChild<QPushButton*>(name);
        QVERIFY(pressed);
        pressed->setFocus(Qt::TabFocusReason);
        QTRY_COMPARE(QApplication::focusWidget(), pressed);
        QVERIFY(pressed->isDefault());
        // Whatever the button opens is closed again at once.
        QTimer closer;
        connect(&closer, &QTimer::timeout, this, [] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                dialog->reject();
        });
        closer.start(20);
        QSignalSpy clicked(pressed, &QPushButton::clicked);
        QTest::keyClick(pressed, Qt::Key_Return);
        QTRY_COMPARE(clicked.count(), 1);
        QTRY_VERIFY(start()->isEnabled());
        QVERIFY(sheet_->isVisible());
        QVERIFY(responder.verify());
    }

    void enterOnStopStopsTheRun()
    {
        openSheet(scenario(-1, 600));
        QtTestResponder responder; // not text 136: Enter never asks the sheet to close
        click("start");
        QTRY_COMPARE_WITH_TIMEOUT(statuses(), QStringList({"Passed", "In Progress", ""}), 5000);
        button("stop")->setFocus(Qt::TabFocusReason);
        QVERIFY(button("stop")->isDefault());
        QTest::keyClick(button("stop"), Qt::Key_Return);
        QCOMPARE(statuses(), QStringList({"Passed", "Failed", ""}));
        expectIdle();
        QVERIFY(sheet_->isVisible());
        QVERIFY(responder.verify());
    }

    void theListIsRebuiltOnlyAfterANewSelection()
    {
        openSheet(scenario(0, 50));
        auto* tabs = sheet_->findChild<QTabWidget*>();
        click("start");
        QTRY_VERIFY(start()->isEnabled());
        QCOMPARE(statuses(), QStringList({"Passed", "Passed", "Passed"}));

        // Back and forth without a new selection: the results stay.
        QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(0).center());
        QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(2).center());
        QCOMPARE(tabs->currentIndex(), 2);
        QCOMPARE(statuses(), QStringList({"Passed", "Passed", "Passed"}));

        // The desktop NIC, selected on the General page, has its own tests.
        QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(0).center());
        auto* cards = sheet_->generalPage()->findChild<QComboBox*>();
        QVERIFY(cards);
        cards->setFocus();
        QTest::keyClick(cards, Qt::Key_Down);
        QCOMPARE(velnet::cardcheck::theAdapterLibrary()->selectedIndex(), 1);
        QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(2).center());
        QCOMPARE(statuses(0), QStringList({"EEPROM Test"}));
        QCOMPARE(statuses(), QStringList({""}));
    }

    void helpOverTheListNamesTheTestOrTheList()
    {
        open(scenario(0));
        auto& help = fixture_->help();
        const std::uint32_t second = velnet::cardcheck::theAdapterLibrary()->TestHelp(1);
        const std::uint32_t third = velnet::cardcheck::theAdapterLibrary()->TestHelp(2);
        QVERIFY(second != 0 && second != third);

        // F1 with a selected row: that test's topic.
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, rowCentre(1));
        QTest::keyClick(list(), Qt::Key_F1);
        QCOMPARE(help.requests().size(), std::size_t{1});
        QCOMPARE(help.requests().back().kind, velnet::platform::FakeHelpViewer::Kind::Popup);
        QCOMPARE(help.requests().back().id, second);

        // The caption's help button: the row under the pointer, whatever is selected...
        whatsThisClick(list()->viewport(), rowCentre(2));
        QCOMPARE(help.requests().back().id, third);
        // ...and the list's own topic where there is no row.
        whatsThisClick(list()->viewport(), QPoint(5, list()->viewport()->height() - 3));
        QCOMPARE(help.requests().size(), std::size_t{3});
        QCOMPARE(help.requests().back().id, std::uint32_t{0x60540});
        QCOMPARE(velnet::cardcheck::sheetState().helpFromKeyboard, 0);

        whatsThisClick(button("respond"));
        QCOMPARE(help.requests().back().id, std::uint32_t{0x60433});
    }

    void thePageOutlivesNoWorker()
    {
        open(scenario(0, 300));
        click("start");
        expectRunning();
        // Gone in the middle of a test: the worker's report must not reach it.
        page_.reset();
        QTest::qWait(400);
        QCOMPARE(fixture_->traced("RunTest 0"), 1);
        QCOMPARE(fixture_->traced("RunTest 1"), 0);
    }

private:
    void open(const std::string& text)
    {
        fixture_ = std::make_unique<PagesFixture>(text);
        QVERIFY2(fixture_->ready(), fixture_->error().c_str());
        page_ = std::make_unique<CDiagnosticsPage>(fixture_->context());
        page_->resize(400, 360);
        page_->show();
        QVERIFY(QTest::qWaitForWindowExposed(page_.get()));
        page_->activate();
    }

    void openSheet(const std::string& text)
    {
        fixture_ = std::make_unique<PagesFixture>(text);
        QVERIFY2(fixture_->ready(), fixture_->error().c_str());
        sheet_ = std::make_unique<velnet::cardcheck::CMainDlg>(fixture_->context());
        sheet_->show();
        QVERIFY(QTest::qWaitForWindowExposed(sheet_.get()));
        auto* tabs = sheet_->findChild<QTabWidget*>();
        QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(2).center());
        QCOMPARE(tabs->currentIndex(), 2);
        pageInSheet_ = sheet_->diagnosticsPage();
    }

    CDiagnosticsPage* page() { return page_ ? page_.get() : pageInSheet_; }
    QTreeWidget* list() { return page()->findChild<QTreeWidget*>("testList"); }
    QProgressBar* progress() { return page()->findChild<QProgressBar*>("progress"); }
    QPushButton* start() { return page()->findChild<QPushButton*>("start"); }
    QPushButton* button(const char* name) { return page()->findChild<QPushButton*>(name); }
    void click(const char* name) { QTest::mouseClick(button(name), Qt::LeftButton); }

    QStringList statuses(int column = 1)
    {
        QStringList texts;
        for (int i = 0; i < list()->topLevelItemCount(); ++i)
            texts << list()->topLevelItem(i)->text(column);
        return texts;
    }
    QPoint rowCentre(int row) { return list()->visualItemRect(list()->topLevelItem(row)).center(); }

    void expectIdle()
    {
        QVERIFY(button("start")->isEnabled());
        QVERIFY(!button("stop")->isEnabled());
        QVERIFY(button("send")->isEnabled());
        QVERIFY(button("respond")->isEnabled());
    }
    void expectRunning()
    {
        QVERIFY(!button("start")->isEnabled());
        QVERIFY(button("stop")->isEnabled());
        QVERIFY(!button("send")->isEnabled());
        QVERIFY(!button("respond")->isEnabled());
    }

    std::unique_ptr<PagesFixture> fixture_;
    std::unique_ptr<CDiagnosticsPage> page_;
    std::unique_ptr<velnet::cardcheck::CMainDlg> sheet_;
    CDiagnosticsPage* pageInSheet_ = nullptr;
};

QTEST_MAIN(DiagnosticsPageTest)
#include "DiagnosticsPageTest.moc"
#include "cardcheck/ui/ProgramState.h"
