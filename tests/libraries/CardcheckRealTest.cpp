// SPDX-License-Identifier: MIT
// cardcheck itself on the real NIC libraries, offscreen, inside a network
// namespace of the test's own whose one NIC is a veth end.
#include "cardcheck/adapter/AdapterLibrary.h"
#include "cardcheck/sheet/CDiagnosticsPage.h"
#include "cardcheck/sheet/CEchoTestDlg.h"
#include "cardcheck/sheet/CGeneralPage.h"
#include "cardcheck/sheet/CMainDlg.h"
#include "cardcheck/sheet/StartupDiscovery.h"
#include "cardcheck/ui/ProgramState.h"
#include "common/platform/FakeHelpViewer.h"
#include "common/platform/HelpFile.h"
#include "common/registry/FileRegistry.h"
#include "tests/libraries/EchoPartner.h"
#include "tests/libraries/InsideNetns.h"
#include "tests/libraries/RealLibraries.h"
#include "tests/support/DialogControls.h"
#include "tests/support/QtTestResponder.h"
#include "tests/support/TempDir.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <QtTest/QtTest>
#include <memory>
#include <nlohmann/json.hpp>

using namespace velnet::cardcheck;

using velnet::test::child;
using velnet::test::clickTab;
using velnet::test::column;

class CardcheckRealTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        ProgramState::current().reset();
        dir_ = std::make_unique<velnet::test::TempDir>();
        store_ = std::make_unique<velnet::registry::FileRegistry>(dir_->file("registry.reg"));
        context_ = std::make_unique<SheetContext>(SheetContext{*store_, help_});
        std::string error;
        QCOMPARE(StartupDiscovery::run(error, false), 1);
        sheet_ = std::make_unique<CMainDlg>(*context_);
        sheet_->show();
        QVERIFY(QTest::qWaitForWindowExposed(sheet_.get()));
    }

    void cleanup()
    {
        sheet_.reset();
        if (AdapterLibrary* library = theAdapterLibrary()) {
            library->putDriversBack();
            destroyAdapterLibrary();
        }
        context_.reset();
        store_.reset();
        dir_.reset();
        QCOMPARE(QApplication::topLevelWidgets().size(), 0);
    }

    void theGeneralPageShowsTheVethNicsSummary()
    {
        QVERIFY(sheet_->generalPage()->initialised());
        auto* combo = sheet_->findChild<QComboBox*>("cardCombo");
        QVERIFY(combo);
        QCOMPARE(combo->count(), 1);
        QCOMPARE(combo->itemText(0),
                 QString::fromStdString("veth network interface (" + net_.interfaceA + ")"));

        auto* list = child<QTreeWidget>(sheet_.get(), "summaryList");
        const QStringList names = column(list, 0);
        const QStringList values = column(list, 1);
        QCOMPARE(names.mid(0, 3), QStringList({"Interface", "Permanent Address", "Driver"}));
        QCOMPARE(values.value(0), QString::fromStdString(net_.interfaceA));
        const auto ip = nlohmann::json::parse(velnet::test::ipLinkJson(net_.interfaceA)).at(0);
        // A veth end keeps no permanent address.
        QCOMPARE(values.value(1), QStringLiteral("None"));
        QCOMPARE(values.value(2), QStringLiteral("veth"));
        QCOMPARE(values.value(names.indexOf("Link")), QStringLiteral("Up"));
        QCOMPARE(values.value(names.indexOf("MTU")), QString::number(ip.at("mtu").get<int>()));
    }

    void theDiagnosticsPageRunsTheNicsSelfTests()
    {
        auto* tabs = sheet_->findChild<QTabWidget*>();
        QVERIFY(tabs);
        clickTab(tabs, 2);
        QCOMPARE(tabs->currentIndex(), 2);
        auto* page = sheet_->diagnosticsPage();
        auto* list = child<QTreeWidget>(page, "testList");
        QCOMPARE(column(list, 0),
                 QStringList({"Driver Response Test", "Link Test", "Counter Test"}));
        auto* start = page->findChild<QPushButton*>("start");
        velnet::test::QtTestResponder responder;
        QTest::mouseClick(start, Qt::LeftButton);
        QTRY_COMPARE(column(list, 1).value(0), QStringLiteral("Passed"));
        QTRY_VERIFY_WITH_TIMEOUT(start->isEnabled(), 10000);
        QCOMPARE(column(list, 1), QStringList({"Passed", "Passed", "Passed"}));
        QVERIFY(responder.verify());
    }

    void theEchoTestDialogEchoesWithTheOtherNamespace()
    {
        velnet::test::EchoPartner partner;
        QVERIFY(partner.start(net_, CARDCHECK_ECHO_RESPONDER));
        CEchoTestDlg dialog(CEchoTestDlg::Sender, *context_);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto button = [&](const char* name) { return dialog.findChild<QPushButton*>(name); };
        auto* continuous = dialog.findChild<QCheckBox*>("continuous");
        velnet::test::QtTestResponder responder;

        QTest::mouseClick(continuous, Qt::LeftButton);
        QVERIFY(continuous->isChecked());
        QTest::mouseClick(button("start"), Qt::LeftButton);
        QVERIFY(button("stop")->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(dialog.lastReceivedCount() > 0, 15000);
        QCOMPARE(dialog.findChild<QLabel*>("rightLabel")->text(),
                 QString(velnet::test::EchoPartner::kName));
        QTest::mouseClick(button("stop"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(button("start")->isEnabled(), 3000);
        QVERIFY(button("close")->isEnabled());

        // One burst: back to idle by itself.
        QTest::mouseClick(continuous, Qt::LeftButton);
        QTest::mouseClick(button("start"), Qt::LeftButton);
        QVERIFY(!button("start")->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(button("start")->isEnabled(), 30000);
        QVERIFY(responder.verify());
        QVERIFY(partner.stop() > 0);
        dialog.close();
        QVERIFY(!dialog.isVisible());
    }

    void everyHelpIdTheLibraryGivesHasATopic()
    {
        const auto file = velnet::platform::HelpFile::load(VELNET_BINARY_DIR "/bin/cardcheck.hlp");
        QVERIFY(file);
        AdapterLibrary* library = theAdapterLibrary();
        QVERIFY(library);
        std::vector<std::int32_t> ids;
        for (std::int32_t row = 0; library->CardSummaryName(row); ++row)
            ids.push_back(library->CardSummaryHelp(row));
        QCOMPARE(ids.size(), std::size_t{11});
        for (std::int32_t row = 0; library->CardDetailsName(row); ++row)
            ids.push_back(library->CardDetailsHelp(row));
        ids.insert(ids.end(),
                   {library->ConfigHelp(0), library->StatisticsHelp(0), library->TestHelp(0)});
        for (const std::int32_t id : ids)
            QVERIFY2(file->find(static_cast<std::uint32_t>(id)),
                     qPrintable(QString::number(id, 16)));
    }

private:
    const velnet::test::NetnsEnvironment net_ = velnet::test::NetnsEnvironment::fromEnvironment();
    std::unique_ptr<velnet::test::TempDir> dir_;
    std::unique_ptr<velnet::registry::FileRegistry> store_;
    velnet::platform::FakeHelpViewer help_;
    std::unique_ptr<SheetContext> context_;
    std::unique_ptr<CMainDlg> sheet_;
};

int main(int argc, char** argv)
{
    return velnet::test::runInsideNetns(argc, argv, [](int count, char** arguments) {
        QApplication app(count, arguments);
        CardcheckRealTest test;
        return QTest::qExec(&test, count, arguments);
    });
}

#include "CardcheckRealTest.moc"
