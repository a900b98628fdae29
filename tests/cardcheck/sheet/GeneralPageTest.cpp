// SPDX-License-Identifier: MIT
#include "cardcheck/adapter/AdapterLibrary.h"
#include "cardcheck/resources/StringTable.h"
#include "cardcheck/sheet/CGeneralPage.h"
#include "cardcheck/sheet/CMainDlg.h"
#include "cardcheck/sheet/CNicDetailsDlg.h"
#include "cardcheck/sheet/StartupDiscovery.h"
#include "cardcheck/sheet/TraySetting.h"
#include "cardcheck/ui/ContextHelp.h"
#include "cardcheck/ui/HelpKeyWatcher.h"
#include "cardcheck/ui/PictureWindow.h"
#include "common/platform/FakeHelpViewer.h"
#include "common/platform/FakeProcessLauncher.h"
#include "common/platform/HelpFile.h"
#include "tests/support/DialogControls.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/QtTestResponder.h"
#include "tests/support/SimulatedNics.h"
#include "tests/support/TestSheetContext.h"

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QTreeWidget>
#include <QWhatsThis>
#include <QtTest/QTest>

using namespace velnet::cardcheck;
using velnet::platform::FakeHelpViewer;
using namespace velnet::registry;
using namespace velnet::test;

namespace {

constexpr std::uint32_t kServerSummaryHelp = 0x24100;
constexpr std::uint32_t kServerDetailsHelp = 0x24200;

// A NIC of each type.
const char* const kBothTypes = R"({
  "nics": [
    { "type": "VX410", "address": "00-A0-CC-4E-1F-02" },
    { "type": "VX210", "address": "00-A0-CC-2B-77-01" }
  ]
})";

// A help request over a point of a widget, as the "What's This?" click gives it.
void whatsThis(QWidget* widget, QPoint pos)
{
    QHelpEvent event(QEvent::WhatsThis, pos, widget->mapToGlobal(pos));
    QApplication::sendEvent(widget, &event);
}

} // namespace

// The General page and the NIC Details dialog inside the real sheet, on the
// simulated NICs.
class GeneralPageTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { own_ = std::make_unique<test::TestSheetContext>(); }

    void cleanup()
    {
        sheet_.reset();
        responder_.reset();
        nics_.reset();
        own_.reset();
        QCOMPARE(QApplication::topLevelWidgets().size(), 0);
    }

    void showsTheNicsTheirSummaryAndPictures()
    {
        CMainDlg& sheet = showSheet("two-servers.json");
        QCOMPARE(discovered_, 2);
        QVERIFY(sheet.generalPage()->initialised());

        auto* combo = child<QComboBox>(&sheet, "cardCombo");
        QCOMPARE(combo->count(), 2);
        QCOMPARE(combo->itemText(0), QStringLiteral("Corvane Fast Velnet Server XL PCI NIC"));
        QCOMPARE(combo->currentIndex(), 0);

        auto* list = child<QTreeWidget>(&sheet, "summaryList");
        QVERIFY(!list->isEnabled());
        QVERIFY(list->isHeaderHidden());
        const QStringList names = column(list, 0);
        const QStringList values = column(list, 1);
        QCOMPARE(names.value(0), QStringLiteral("Network Address"));
        QCOMPARE(values.value(0), QStringLiteral("00-A0-CC-4E-1F-02"));
        QCOMPARE(list->topLevelItem(0)->textAlignment(0) & Qt::AlignRight, int(Qt::AlignRight));
        // The columns fit the widest texts, plus 20 pixels.
        QCOMPARE(list->columnWidth(0), widestText(list, names) + 20);
        QCOMPARE(list->columnWidth(1), widestText(list, values) + 20);
        QCOMPARE(names.size(), 7);

        // The static controls became pictures in their places.
        auto* logo = child<PictureWindow>(&sheet, "logo");
        QVERIFY(logo);
        QCOMPARE(logo->bitmap().deviceIndependentSize().toSize(), QSize(150, 44));
        QVERIFY(child<PictureWindow>(&sheet, "adapterPicture"));
        QVERIFY(!sheet.findChild<QLabel*>("adapterPicture"));
        QVERIFY(!child<QCheckBox>(&sheet, "trayCheck")->isChecked());
        QCOMPARE(sheetState().refresh, (std::array<int, 4>{1, 1, 1, 1}));
    }

    void choosingTheSelectedNicDoesNothing()
    {
        CMainDlg& sheet = showSheet("two-servers.json");
        const std::size_t selects = nics_->calls("VX410CFG SelectCard").size();
        sheetState().refresh.fill(0);
        auto* combo = child<QComboBox>(&sheet, "cardCombo");
        emit combo->currentIndexChanged(0);
        QCOMPARE(nics_->calls("VX410CFG SelectCard").size(), selects);
        QCOMPARE(sheetState().refresh, (std::array<int, 4>{0, 0, 0, 0}));
    }

    void choosingAnotherNicShowsItsSummary()
    {
        CMainDlg& sheet = showSheet("second-not-selectable.json");
        velnet::test::QtTestResponder& r = *responder_;
        auto* combo = child<QComboBox>(&sheet, "cardCombo");
        auto* list = child<QTreeWidget>(&sheet, "summaryList");

        // The desktop NIC refuses: its message, and the server NIC stays.
        r.expect("The desktop NIC is switched off.");
        sheetState().refresh.fill(0);
        combo->setCurrentIndex(1);
        QVERIFY(r.verify());
        QCOMPARE(combo->currentIndex(), 0);
        QCOMPARE(theAdapterLibrary()->selectedIndex(), 0);
        QCOMPARE(sheetState().selectionMessage, std::string());
        QCOMPARE(sheetState().refresh, (std::array<int, 4>{0, 0, 0, 0}));
        QCOMPARE(column(list, 1).value(0), QStringLiteral("00-A0-CC-4E-1F-02"));
        QCOMPARE(nics_->calls("VX410CFG SelectCard").back(),
                 std::string("VX410CFG SelectCard 0 0"));
    }

    void choosingASelectableNicRefreshesEverything()
    {
        CMainDlg& sheet = showSheet("two-servers.json");
        sheetState().refresh.fill(0);
        child<QComboBox>(&sheet, "cardCombo")->setCurrentIndex(1);
        QCOMPARE(theAdapterLibrary()->selectedIndex(), 1);
        QCOMPARE(column(child<QTreeWidget>(&sheet, "summaryList"), 1).value(0),
                 QStringLiteral("00-A0-CC-4E-1F-03"));
        QCOMPARE(sheetState().refresh, (std::array<int, 4>{1, 1, 1, 1}));
    }

    void pageInitialisationSyncsTheAddressesAndKeepsTheStartUpChoice()
    {
        velnet::test::writeFile(own_->storeFile(), velnet::test::readFile(velnet::test::fixturePath(
                                                       "cardcheck/sheet/servers.reg")));
        CMainDlg& sheet = showSheet("first-not-selectable.json");
        QCOMPARE(discovered_, 2);
        // NIC 0 cannot be selected, so only NIC 1's address is known.
        auto key = own_->store().open(Root::LocalMachine,
                                      "SYSTEM\\CurrentControlSet\\Services\\vxsrvnt1\\Parameters",
                                      Access::Read);
        QCOMPARE(key.queryString("Base_Mac_Address", 18),
                 std::optional<std::string>("00-A0-CC-4E-1F-03"));
        // The start-up's choice is selected again after the sync.
        QCOMPARE(theAdapterLibrary()->selectedIndex(), 1);
        QCOMPARE(child<QComboBox>(&sheet, "cardCombo")->currentIndex(), 1);
        QCOMPARE(child<QLabel>(&sheet, "selectionMessage")->text(),
                 QStringLiteral("The NIC is ready for diagnostics."));
        QCOMPARE(column(child<QTreeWidget>(&sheet, "summaryList"), 1).value(0),
                 QStringLiteral("00-A0-CC-4E-1F-03"));
    }

    void uncheckingTheTrayBoxWithoutAMonitorOnlyWritesOff()
    {
        TraySetting(own_->store()).write(true);
        velnet::platform::FakeProcessLauncher launcher;
        CMainDlg& sheet = showSheet({});
        auto* tray = child<QCheckBox>(&sheet, "trayCheck");
        QVERIFY(tray->isChecked());
        QTest::mouseClick(tray, Qt::LeftButton);
        QVERIFY(!tray->isChecked());
        auto run = own_->store().open(Root::LocalMachine, TraySetting::kRunKey, Access::Read);
        const auto value = run.query(TraySetting::kValueName, 1024);
        QVERIFY(value);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(value->data.data()),
                            static_cast<int>(value->data.size())),
                 QByteArray("traymon.exe -off"));
        QVERIFY(launcher.starts.empty());

        QTest::mouseClick(tray, Qt::LeftButton);
        QCOMPARE(launcher.starts.size(), std::size_t{1});
        QCOMPARE(launcher.starts[0].program, std::string("traymon.exe"));
        QVERIFY(launcher.starts[0].arguments.empty());
        QVERIFY(TraySetting(own_->store()).enabled());
    }

    void helpComesFromTheTableOrFromTheLibraryForListRows()
    {
        CMainDlg& sheet = showSheet("two-servers.json", QSize(640, 480));
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        auto* list = child<QTreeWidget>(&sheet, "summaryList");

        const QRect row2 = list->visualItemRect(list->topLevelItem(2));
        whatsThis(list->viewport(), row2.center());
        whatsThis(child<QComboBox>(&sheet, "cardCombo"), QPoint(3, 3));
        // Below the last row: the table's entry for the list.
        whatsThis(list->viewport(), QPoint(3, list->viewport()->height() - 2));
        QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(2, 2),
                               child<QCheckBox>(&sheet, "trayCheck")->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(child<QCheckBox>(&sheet, "trayCheck"), &menu);

        const auto& asked = own_->help().requests();
        QCOMPARE(asked.size(), std::size_t{4});
        QCOMPARE(asked[0].kind, FakeHelpViewer::Kind::Popup);
        QCOMPARE(asked[0].id, kServerSummaryHelp + 2);
        QVERIFY(asked[0].file.ends_with(".hlp"));
        QCOMPARE(asked[1].id, 0x60400u);
        QCOMPARE(asked[2].id, 0x60403u);
        QCOMPARE(asked[3].kind, FakeHelpViewer::Kind::ContextMenu);
        QCOMPARE(asked[3].id, 0x60402u);
    }

    void shiftF1PointsHelpAtAControl()
    {
        HelpKeyWatcher helpKey;
        CMainDlg& sheet = showSheet("two-servers.json");
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        auto* combo = child<QComboBox>(&sheet, "cardCombo");
        combo->setFocus();

        // Shift+F1 starts "What's This?" mode; the next click names the control.
        QTest::keyClick(combo, Qt::Key_F1, Qt::ShiftModifier);
        QVERIFY(QWhatsThis::inWhatsThisMode());
        QCOMPARE(own_->help().requests().size(), std::size_t{0});
        QTest::mouseClick(child<QCheckBox>(&sheet, "trayCheck"), Qt::LeftButton, {}, QPoint(4, 4));
        QWhatsThis::leaveWhatsThisMode();
        QCOMPARE(own_->help().requests().size(), std::size_t{1});
        QCOMPARE(own_->help().requests()[0].id, 0x60402u);
        QVERIFY(!child<QCheckBox>(&sheet, "trayCheck")->isChecked());

        // F1 alone still asks for the focused control's help at once.
        QTest::keyClick(combo, Qt::Key_F1);
        QVERIFY(!QWhatsThis::inWhatsThisMode());
        QCOMPARE(own_->help().requests().size(), std::size_t{2});
        QCOMPARE(own_->help().requests()[1].id, 0x60400u);
    }

    void nicDetailsListsTheLibraryDetails()
    {
        CMainDlg& sheet = showSheet("two-servers.json");
        bool checked = false;
        velnet::test::ModalDriver driver(10000);
        driver.when<CNicDetailsDlg>([&](CNicDetailsDlg* details) {
            auto* list = child<QTreeWidget>(details, "detailsList");
            QCOMPARE(list->headerItem()->text(0), QStringLiteral("Name"));
            QCOMPARE(list->headerItem()->text(1), QStringLiteral("Value"));
            QCOMPARE(list->topLevelItemCount(), 13);
            QCOMPARE(list->topLevelItem(0)->text(1), QStringLiteral("00-A0-CC-4E-1F-02"));
            const int widestName = widestText(list, column(list, 0));
            QCOMPARE(list->columnWidth(0), widestName + 15);
            QCOMPARE(list->columnWidth(1), list->viewport()->width() - widestName - 18);

            // F1 takes the selected row, not the one under the pointer.
            list->setCurrentItem(list->topLevelItem(4));
            list->setFocus();
            QTest::keyClick(list, Qt::Key_F1);
            QCOMPARE(own_->help().requests().size(), std::size_t{1});
            QCOMPARE(own_->help().requests()[0].id, kServerDetailsHelp + 4);
            QCOMPARE(sheetState().helpFromKeyboard, 0);

            QTest::mouseClick(
                child<QDialogButtonBox>(details, "buttonBox")->button(QDialogButtonBox::Ok),
                Qt::LeftButton);
            checked = true;
        });
        QTest::mouseClick(child<QPushButton>(&sheet, "detailsButton"), Qt::LeftButton);
        QVERIFY(checked);
        QVERIFY(!driver.timedOut());
    }

    // A value wider than the list scrolls into view; it is never cut off.
    void aLongDetailValueIsShownWhole()
    {
        const std::string longValue = "Red Hat, Inc. Virtio 1.0 network device with a subsystem "
                                      "name longer than any list is wide (1af4:1100)";
        test::SimulatedNics nics(test::SimulatedNics::Text{
            R"({"nics": [{"type": "VX410", "name": "Corvane Fast Velnet Server XL PCI NIC",
                 "details": [{"name": "PCI Subsystem", "value": ")" +
            longValue + R"(", "help": 1}]}]})"});
        std::string error;
        QCOMPARE(StartupDiscovery::run(error, false), 1);
        velnet::test::QtTestResponder r;
        CNicDetailsDlg details(own_->context());
        details.show();
        QVERIFY(QTest::qWaitForWindowExposed(&details));
        auto* list = child<QTreeWidget>(&details, "detailsList");
        QCOMPARE(list->topLevelItem(0)->text(1).toStdString(), longValue);
        QVERIFY(list->columnWidth(1) >
                list->fontMetrics().horizontalAdvance(QString::fromStdString(longValue)));
        QVERIFY(list->horizontalScrollBar()->maximum() > 0);
        details.hide();
    }

    void pictureColourOfTheTopLeftPixelIsTransparent()
    {
        QImage bitmap(4, 3, QImage::Format_RGB32);
        bitmap.fill(QColor(0xC0, 0xC0, 0xC0));
        bitmap.setPixel(1, 1, qRgb(0x10, 0x20, 0x30));
        bitmap.setPixel(3, 2, qRgb(0xC0, 0xC0, 0xC1));
        const QImage masked = PictureWindow::maskedBitmap(bitmap);
        QCOMPARE(qAlpha(masked.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(masked.pixel(2, 2)), 0);
        QCOMPARE(masked.pixel(1, 1), qRgb(0x10, 0x20, 0x30));
        QCOMPARE(masked.pixel(3, 2), qRgb(0xC0, 0xC0, 0xC1));

        // Painted over a red dialog, the red shows through the transparent parts.
        QWidget dialog;
        dialog.setAutoFillBackground(true);
        QPalette palette;
        palette.setColor(QPalette::Window, Qt::red);
        dialog.setPalette(palette);
        auto* control = new QLabel(QStringLiteral("placeholder"), &dialog);
        control->setProperty("controlId", 1088);
        control->move(5, 6);
        PictureWindow* picture = PictureWindow::fromImage(bitmap);
        QVERIFY(picture->attach(&dialog, 1088));
        QCOMPARE(picture->pos(), QPoint(5, 6));
        QVERIFY(!dialog.findChild<QLabel*>());
        dialog.resize(20, 20);
        const QImage shot = dialog.grab().toImage();
        QCOMPARE(shot.pixelColor(5, 6), QColor(Qt::red));
        QCOMPARE(shot.pixelColor(6, 7), QColor(0x10, 0x20, 0x30));

        QImage other(2, 2, QImage::Format_RGB32);
        other.fill(Qt::blue);
        QCOMPARE(picture->replaceBitmap(other), bitmap);
        QCOMPARE(picture->size(), QSize(2, 2));
    }

    void everyHelpIdHasATopic()
    {
        const auto file = velnet::platform::HelpFile::load(VELNET_BINARY_DIR "/bin/cardcheck.hlp");
        QVERIFY(file);
        std::vector<std::uint32_t> ids = {0x60454};
        for (const auto& entry : CGeneralPage::helpTable())
            ids.push_back(entry.helpId);
        // Every summary and details row of a NIC of each type, as its
        // library gives them.
        test::SimulatedNics nics(test::SimulatedNics::Text{kBothTypes});
        std::string error;
        QCOMPARE(StartupDiscovery::run(error, false), 2);
        velnet::test::QtTestResponder r;
        AdapterLibrary& library = *theAdapterLibrary();
        int rows = 0;
        for (int nic = 0; nic < 2; ++nic) {
            std::string message;
            QCOMPARE(library.select(nic, message), 1);
            for (int item = 0; library.CardSummaryName(item); ++item, ++rows)
                ids.push_back(static_cast<std::uint32_t>(library.CardSummaryHelp(item)));
            for (int item = 0; library.CardDetailsName(item); ++item, ++rows)
                ids.push_back(static_cast<std::uint32_t>(library.CardDetailsHelp(item)));
        }
        QVERIFY(rows > 4);
        for (std::uint32_t id : ids)
            QVERIFY2(file->find(id), qPrintable(QString::number(id, 16)));
    }

private:
    // The sheet as start-up leaves it: the simulated NICs of `scenario` (a
    // fixture, or empty for the libraries' own) discovered and the first
    // selectable one selected, the scripted user ready, the sheet shown.
    CMainDlg& showSheet(const std::string& scenario, QSize size = {})
    {
        nics_ = std::make_unique<test::SimulatedNics>(scenario);
        std::string error;
        discovered_ = StartupDiscovery::run(error, false);
        responder_ = std::make_unique<velnet::test::QtTestResponder>();
        sheet_ = std::make_unique<CMainDlg>(own_->context());
        if (size.isValid())
            sheet_->resize(size);
        sheet_->show();
        return *sheet_;
    }

    std::unique_ptr<test::TestSheetContext> own_;
    std::unique_ptr<test::SimulatedNics> nics_;
    std::unique_ptr<velnet::test::QtTestResponder> responder_;
    std::unique_ptr<CMainDlg> sheet_;
    int discovered_ = 0;
};

QTEST_MAIN(GeneralPageTest)
#include "GeneralPageTest.moc"
#include "cardcheck/ui/ProgramState.h"
