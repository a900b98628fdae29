// SPDX-License-Identifier: MIT
#include "cardcheck/sheet/CAdapterPropertyPage.h"
#include "cardcheck/sheet/CMainDlg.h"
#include "tests/cardcheck/sheet/PagesFixture.h"
#include "tests/support/DialogControls.h"
#include "tests/support/ExpectedBox.h"
#include "tests/support/QtTestResponder.h"
#include "tests/support/TempDir.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QWhatsThis>
#include <QtTest/QtTest>
#include <filesystem>
#include <memory>

using velnet::cardcheck::CAdapterPropertyPage;
using namespace velnet::cardcheck::test;
using namespace velnet::test;
using namespace velnet::ui;

namespace {

// One NIC whose items are ordinary, advanced, ordinary.
const std::string kScenario = R"({
  "computerName": "BENCH-1",
  "nics": [{
    "type": "VX410", "name": "Corvane Fast Velnet Server XL PCI NIC",
    "config": [
      { "name": "Link Speed", "options": ["10 Mbps", "100 Mbps", "Auto Detect"],
        "value": "AUTO", "optimal": 2 },
      { "name": "Receive Buffers", "advanced": true, "options": ["16", "32", "64"],
        "value": "32", "optimal": 1 },
      { "name": "Duplex", "options": ["Half", "Full"], "value": "Fast", "optimal": 1,
        "changeResult": "The new duplex mode takes effect after the computer restarts." }
    ]
  }]
})";

// Items whose options differ much in length.
const std::string kLongOptions = R"({
  "nics": [{
    "type": "VX410", "name": "Corvane Fast Velnet Server XL PCI NIC",
    "config": [
      { "name": "Duplex", "options": ["Half", "Full"], "value": "Half" },
      { "name": "Flow Control", "options": ["Receive and transmit pause frames with autonegotiation"],
        "value": "Receive" },
      { "name": "Wake on LAN with magic packet and pattern match", "options": ["On", "Off"],
        "value": "On" }
    ]
  }]
})";

const char* kAutoConfigured = "Your NIC has been automatically configured successfully..";

QStringList rows(const QListWidget* list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

} // namespace

class PropertiesPageTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        page_.reset();
        fixture_.reset();
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
    }

    void theListStopsAtTheFirstAdvancedItemUnlessStartedWithA_data()
    {
        QTest::addColumn<bool>("advanced");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("without -a") << false << QStringList{"Link Speed"};
        QTest::newRow("with -a") << true << QStringList{"Link Speed", "Receive Buffers", "Duplex"};
    }
    void theListStopsAtTheFirstAdvancedItemUnlessStartedWithA()
    {
        QFETCH(bool, advanced);
        QFETCH(QStringList, items);
        open(advanced);
        QCOMPARE(rows(list()), items);
        QCOMPARE(list()->currentRow(), 0);
        QCOMPARE(comboTexts(combo()), (QStringList{"10 Mbps", "100 Mbps", "Auto Detect"}));
    }

    void theCurrentValueSelectsTheFirstOptionItBegins()
    {
        open(true);
        // "AUTO" begins "Auto Detect" when case is ignored.
        QCOMPARE(combo()->currentText(), QString("Auto Detect"));

        clickRow(1);
        QCOMPARE(comboTexts(combo()), (QStringList{"16", "32", "64"}));
        QCOMPARE(combo()->currentText(), QString("32"));

        // "Fast" begins no option of Duplex: no selection at all.
        clickRow(2);
        QCOMPARE(comboTexts(combo()), (QStringList{"Half", "Full"}));
        QCOMPARE(combo()->currentIndex(), -1);
    }

    void listAndComboKeepTheirWidthsWhateverIsSelected()
    {
        fixture_ = std::make_unique<PagesFixture>(kLongOptions, true);
        QVERIFY2(fixture_->ready(), fixture_->error().c_str());
        showPage();
        QTest::qWait(20);
        const int listWidth = list()->width();
        const int comboWidth = combo()->width();
        for (int row : {1, 2, 0}) {
            clickRow(row);
            QTest::qWait(20);
            QCOMPARE(list()->width(), listWidth);
            QCOMPARE(combo()->width(), comboWidth);
        }
    }

    void everyOptionChangeMarksTheConfigurationChanged()
    {
        open(true);
        QtTestResponder responder;
        auto& binding = velnet::cardcheck::bindingState();

        // Link Speed: the library has nothing to say.
        QCOMPARE(binding.configurationChanged, 0);
        chooseOption(0);
        QCOMPARE(binding.configurationChanged, 1);
        QCOMPARE(library().ConfigValue(0).value_or(""), std::string("10 Mbps"));
        QCOMPARE(fixture_->traced("ChangeConfigValue 0 0"), 1);

        // Duplex: the library answers with a message, shown as it stands.
        binding.configurationChanged = 0;
        clickRow(2);
        responder.expect("The new duplex mode takes effect after the computer restarts.");
        chooseOption(1);
        QCOMPARE(binding.configurationChanged, 1);
        QCOMPARE(library().ConfigValue(2).value_or(""), std::string("Full"));
        QVERIFY(responder.verify());

        // Choosing the option already selected is still a change request.
        binding.configurationChanged = 0;
        clickRow(0);
        chooseOption(0);
        QCOMPARE(binding.configurationChanged, 1);
        QCOMPARE(fixture_->traced("ChangeConfigValue 0 0"), 2);
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void refillingTheComboChangesNothing()
    {
        open(true);
        clickRow(1);
        clickRow(0);
        QCOMPARE(fixture_->traced("ChangeConfigValue"), 0);
        QCOMPARE(velnet::cardcheck::bindingState().configurationChanged, 0);
    }

    void optimalSettingsReportsAndShowsTheNewValue()
    {
        open(true);
        clickRow(1);
        QCOMPARE(combo()->currentText(), QString("32"));
        chooseOption(0);
        QCOMPARE(combo()->currentText(), QString("16"));
        velnet::cardcheck::bindingState().configurationChanged = 0;

        QtTestResponder responder;
        responder.expect(
            velnet::test::cardcheckBox(kAutoConfigured, Buttons::Ok, Icon::Information));
        QTest::mouseClick(button("optimalSettings"), Qt::LeftButton);
        QVERIFY(responder.verify());
        QCOMPARE(velnet::cardcheck::bindingState().configurationChanged, 1);
        QCOMPARE(list()->currentRow(), 1);
        QCOMPARE(combo()->currentText(), QString("32"));
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void optimalSettingsShowsTheLibrarysMessageInstead()
    {
        std::string scenario = kScenario;
        scenario.insert(scenario.find("\"config\""),
                        "\"autoConfig\": \"Some settings could not be changed.\", ");
        fixture_ = std::make_unique<PagesFixture>(scenario, true);
        QVERIFY2(fixture_->ready(), fixture_->error().c_str());
        showPage();
        QtTestResponder responder;
        responder.expect("Some settings could not be changed.");
        QTest::mouseClick(button("optimalSettings"), Qt::LeftButton);
        QVERIFY(responder.verify());
        QCOMPARE(velnet::cardcheck::bindingState().configurationChanged, 1);
    }

    void closingTheSheetAfterAChangeOffersARestart()
    {
        fixture_ = std::make_unique<PagesFixture>(kScenario);
        QVERIFY2(fixture_->ready(), fixture_->error().c_str());
        auto sheet = std::make_unique<velnet::cardcheck::CMainDlg>(fixture_->context());
        sheet->show();
        QVERIFY(QTest::qWaitForWindowExposed(sheet.get()));
        auto* tabs = sheet->findChild<QTabWidget*>();
        QVERIFY(tabs);
        clickTab(tabs, 1);
        QCOMPARE(tabs->currentIndex(), 1);
        auto* properties = sheet->propertiesPage();
        auto* options = properties->findChild<QComboBox*>("optionCombo");
        options->setFocus();
        QTest::keyClick(options, Qt::Key_Up);
        QCOMPARE(velnet::cardcheck::bindingState().configurationChanged, 1);

        QtTestResponder responder;
        responder.expect(
            "You have changed your configuration settings, and you must now restart Windows for "
            "the new settings to take effect. Your network may not function properly until you "
            "restart Windows.  Do you want to Restart Windows?",
            Answer::No);
        QTest::mouseClick(sheet->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                          Qt::LeftButton);
        QVERIFY(responder.verify());
        QVERIFY(!sheet->isVisible());
        QCOMPARE(velnet::cardcheck::sheetState().rebootAtExit, 0);
        sheet.reset();
    }

    void flowmarkRunsTheAppletAndWaitsForIt()
    {
        open(false);
        bool sawApplet = false;
        QTimer::singleShot(0, this, [&] {
            QWidget* applet = QApplication::activeModalWidget();
            QVERIFY(applet);
            sawApplet = applet->windowTitle() == "Flowmark";
            auto* box = applet->findChild<QDialogButtonBox*>();
            QVERIFY(box);
            QTest::mouseClick(box->button(QDialogButtonBox::Close), Qt::LeftButton);
        });
        QtTestResponder responder; // nothing else may appear
        QTest::mouseClick(button("flowmark"), Qt::LeftButton);
        QVERIFY(sawApplet);
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
    }

    void flowmarkReportsAMissingAppletOrEntry()
    {
        open(false);
        velnet::test::TempDir folder;
        const QByteArray path = qgetenv("VELNET_LIBRARY_PATH");
        qputenv("VELNET_LIBRARY_PATH", QByteArray::fromStdString(folder.path()) + ":" + path);
        QtTestResponder responder;

        // A file by the applet's name that is no library at all.
        velnet::test::writeFile(folder.file("tempocfg.so"), "not a library");
        responder.expect("Error loading the Library TEMPOCFG.CPL");
        QTest::mouseClick(button("flowmark"), Qt::LeftButton);
        QVERIFY(responder.verify());

        // A library without DoTEMPO.
        std::filesystem::copy_file(VELNET_BINARY_DIR "/lib/velnet/simulated/nicport.so",
                                   folder.file("tempocfg.so"),
                                   std::filesystem::copy_options::overwrite_existing);
        responder.expect(
            "Error resolving the address of the function DoTEMPO() in the Library TEMPOCFG.CPL");
        QTest::mouseClick(button("flowmark"), Qt::LeftButton);
        QVERIFY(responder.verify());
        qputenv("VELNET_LIBRARY_PATH", path);
    }

    void helpOverTheListAndTheComboTakesTheItemsHelp()
    {
        open(true);
        auto& help = fixture_->help();
        clickRow(2);
        const std::uint32_t duplexHelp = library().ConfigHelp(2);
        const std::uint32_t speedHelp = library().ConfigHelp(0);
        QVERIFY(duplexHelp != 0 && speedHelp != duplexHelp);

        // F1: the selected row.
        list()->setFocus();
        QTest::keyClick(list(), Qt::Key_F1);
        QCOMPARE(help.requests().size(), std::size_t{1});
        QCOMPARE(help.requests().back().id, duplexHelp);

        // The caption's help button: the row under the pointer...
        whatsThisClick(list()->viewport(), rowCentre(0));
        QCOMPARE(help.requests().size(), std::size_t{2});
        QCOMPARE(help.requests().back().id, speedHelp);
        // ...or the selected one below the last row, and for the combo.
        whatsThisClick(list()->viewport(), QPoint(5, list()->viewport()->height() - 3));
        QCOMPARE(help.requests().back().id, duplexHelp);
        whatsThisClick(combo());
        QCOMPARE(help.requests().size(), std::size_t{4});
        QCOMPARE(help.requests().back().id, duplexHelp);

        // Other controls: the page's table.
        whatsThisClick(button("flowmark"));
        QCOMPARE(help.requests().back().id, std::uint32_t{0x60411});
        QCOMPARE(velnet::cardcheck::sheetState().helpFromKeyboard, 0);
    }

private:
    void open(bool advanced)
    {
        fixture_ = std::make_unique<PagesFixture>(kScenario, advanced);
        QVERIFY2(fixture_->ready(), fixture_->error().c_str());
        showPage();
    }

    void showPage()
    {
        page_ = std::make_unique<CAdapterPropertyPage>(fixture_->context());
        page_->resize(400, 340);
        page_->show();
        QVERIFY(QTest::qWaitForWindowExposed(page_.get()));
        page_->activate();
    }

    velnet::cardcheck::AdapterLibrary& library() { return *velnet::cardcheck::theAdapterLibrary(); }
    QListWidget* list() { return page_->findChild<QListWidget*>("itemList"); }
    QComboBox* combo() { return page_->findChild<QComboBox*>("optionCombo"); }
    QPushButton* button(const char* name) { return page_->findChild<QPushButton*>(name); }

    QPoint rowCentre(int row) { return list()->visualItemRect(list()->item(row)).center(); }
    void clickRow(int row)
    {
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, rowCentre(row));
        QCOMPARE(list()->currentRow(), row);
    }
    // Opens the drop-down list and clicks option `row`.
    void chooseOption(int row)
    {
        combo()->showPopup();
        QAbstractItemView* view = combo()->view();
        QTRY_VERIFY(view->isVisible());
        const QRect rect = view->visualRect(view->model()->index(row, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
        QTRY_VERIFY(!view->isVisible());
        QCOMPARE(combo()->currentIndex(), row);
    }

    std::unique_ptr<PagesFixture> fixture_;
    std::unique_ptr<CAdapterPropertyPage> page_;
};

QTEST_MAIN(PropertiesPageTest)
#include "PropertiesPageTest.moc"
#include "cardcheck/ui/ProgramState.h"
