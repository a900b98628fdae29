#include "ModalDriver.h"
#include "QtTestResponder.h"
#include "TempDir.h"
#include "adapter/AdapterLibrary.h"
#include "platform/FakeHelpViewer.h"
#include "platform/FakeProcessLauncher.h"
#include "platform/HelpFile.h"
#include "registry/FileRegistry.h"
#include "report/CBbsInfoDlg.h"
#include "report/CComputerInfoDlg.h"
#include "report/CCustomerInfoDlg.h"
#include "report/CProblemInfoDlg.h"
#include "report/CReportFinishDlg.h"
#include "report/CReportIntroDlg.h"
#include "report/CReportSavedDlg.h"
#include "report/CSupportPage.h"
#include "report/ReportWriter.h"
#include "sheet/CCardcheckApp.h"
#include "sheet/CDiagnosticsPage.h"
#include "sheet/CMainDlg.h"
#include "sheet/StartupDiscovery.h"
#include "ui/ReportAnswers.h"
#include "ui/SheetContext.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QtTest/QtTest>
#include <filesystem>
#include <functional>
#include <memory>

using namespace cardcheck;
using velnet::test::TempDir;
using velnet::test::whenShown;

namespace {

const char* const kFieldEmpty =
    "Error field cannot be empty.  Enter a \"?\" if data is not available.";

template <typename T> T* child(QWidget* dialog, const char* name)
{
    T* widget = dialog->findChild<T*>(QString::fromLatin1(name));
    if (!widget)
        qFatal("no control %s in %s", name, qPrintable(dialog->objectName()));
    return widget;
}

void click(QWidget* dialog, const char* button)
{
    QTest::mouseClick(child<QPushButton>(dialog, button), Qt::LeftButton);
}

void type(QWidget* dialog, const char* edit, const QString& text)
{
    auto* line = child<QLineEdit>(dialog, edit);
    line->clear();
    QTest::keyClicks(line, text);
}

void typeCombo(QWidget* dialog, const char* combo, const QString& text)
{
    auto* box = child<QComboBox>(dialog, combo);
    box->lineEdit()->clear();
    QTest::keyClicks(box->lineEdit(), text);
}

void fillComputer(QWidget* page)
{
    type(page, "manufacturerModel", "?");
    type(page, "nicSlot", "2");
    type(page, "busMasteringSlots", "1, 2");
    typeCombo(page, "networkOperatingSystem", "Novell NetWare 4.x server");
    typeCombo(page, "processorSpeed", "200 MHz");
}

QStringList visibleTopLevels()
{
    QStringList names;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible())
            names << w->objectName();
    }
    return names;
}

} // namespace

class WizardTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void pageOneOffersOwnerDefaultsAndRequiredFieldsStopAtTheFirstEmpty();
    void questionMarkPassesBackKeepsTextAndCancelClosesEveryPage();
    void finishTwiceWithoutAChangeWritesOnce();
    void aFailedWriteKeepsTheFinishPageOpen();
    void savedDialogShowsAtMost1024BytesOfTheAddressFileAndViewsTheReport();
    void supportPageButtons();
    void helpTablesAnswerF1();
    void everyHelpIdHasATopic();
    void inTheSheetTheReportDescribesTheSelectedNic();

private:
    std::unique_ptr<TempDir> dir_;
    std::unique_ptr<velnet::registry::FileRegistry> registry_;
    velnet::platform::FakeHelpViewer help_;
    std::unique_ptr<SheetContext> context_;
    QString previousDirectory_;
};

void WizardTest::init()
{
    dir_ = std::make_unique<TempDir>();
    std::filesystem::copy_file(velnet::test::fixturePath("report/win95.reg"),
                               dir_->file("store.reg"));
    registry_ = std::make_unique<velnet::registry::FileRegistry>(dir_->file("store.reg"));
    context_ = std::make_unique<SheetContext>(SheetContext{*registry_, help_});
    help_.clear();
    ProgramState::current().reset();
    previousDirectory_ = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(dir_->path()));
}

void WizardTest::cleanup()
{
    QDir::setCurrent(previousDirectory_);
    context_.reset();
    registry_.reset();
    dir_.reset();
    QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty());
}

void WizardTest::pageOneOffersOwnerDefaultsAndRequiredFieldsStopAtTheFirstEmpty()
{
    velnet::test::QtTestResponder responder;
    CReportIntroDlg wizard(*context_);
    bool reached = false;
    whenShown<CReportIntroDlg>([&](CReportIntroDlg* page1) {
        QVERIFY(!child<QPushButton>(page1, "backButton")->isEnabled());
        QVERIFY(child<QPushButton>(page1, "nextButton")->isDefault());
        whenShown<CCustomerInfoDlg>([&](CCustomerInfoDlg* page2) {
            QVERIFY(!page1->isVisible());
            QCOMPARE(child<QLineEdit>(page2, "companyName")->text(),
                     QString("Example Freight Ltd."));
            QCOMPARE(child<QLineEdit>(page2, "contactName")->text(), QString("Dana Whitfield"));
            // Address and contact name empty: one message, for the address.
            child<QLineEdit>(page2, "contactName")->clear();
            type(page2, "companyName", "Harbour Clinic");
            type(page2, "contactPhone", "+1 202 555 0100");
            responder.expect(kFieldEmpty);
            click(page2, "nextButton");
            QVERIFY(responder.verify());
            QCOMPARE(responder.shown().size(), std::size_t{1});
            QVERIFY(page2->isVisible());
            QCOMPARE(page2->focusWidget(), child<QLineEdit>(page2, "address"));
            QCOMPARE(reportAnswers().value(ReportAnswers::CompanyName),
                     std::string("Harbour Clinic"));
            QCOMPARE(reportAnswers().value(ReportAnswers::ContactPhone), std::string());
            reached = true;
            click(page2, "cancelButton");
        });
        click(page1, "nextButton");
    });
    QCOMPARE(wizard.exec(), int(QDialog::Rejected));
    QVERIFY(reached);
}

void WizardTest::questionMarkPassesBackKeepsTextAndCancelClosesEveryPage()
{
    velnet::test::QtTestResponder responder;
    int pagesSeen = 0;
    {
        CReportIntroDlg wizard(*context_);
        whenShown<CReportIntroDlg>([&](CReportIntroDlg* page1) {
            whenShown<CCustomerInfoDlg>([&](CCustomerInfoDlg* page2) {
                for (const char* edit : {"address", "contactPhone"})
                    type(page2, edit, "?");
                whenShown<CComputerInfoDlg>([&](CComputerInfoDlg* page3) {
                    // Every list starts on its first item, in the order given.
                    auto* cpu = child<QComboBox>(page3, "cpuType");
                    QCOMPARE(cpu->count(), 9);
                    QCOMPARE(cpu->currentText(), QString("Pentium (P5)"));
                    QCOMPARE(cpu->itemText(8), QString("Other"));
                    QCOMPARE(child<QComboBox>(page3, "processorSpeed")->itemText(10),
                             QString("200 MHz"));
                    type(page3, "manufacturerModel", "Example Systems 6200");
                    child<QComboBox>(page3, "usage")->setCurrentIndex(1);
                    click(page3, "backButton"); // empty required fields: no message
                });
                click(page2, "nextButton");
                QVERIFY(page2->isVisible());
                QCOMPARE(child<QLineEdit>(page2, "address")->text(), QString("?"));
                whenShown<CComputerInfoDlg>([&](CComputerInfoDlg* page3) {
                    QCOMPARE(child<QLineEdit>(page3, "manufacturerModel")->text(),
                             QString("Example Systems 6200"));
                    QCOMPARE(child<QComboBox>(page3, "usage")->currentText(), QString("Server"));
                    fillComputer(page3);
                    whenShown<CProblemInfoDlg>([&](CProblemInfoDlg* page4) {
                        QCOMPARE(visibleTopLevels(), QStringList{"CProblemInfoDlg"});
                        QTest::keyClicks(child<QPlainTextEdit>(page4, "description"), "Drops");
                        ++pagesSeen;
                        click(page4, "cancelButton");
                    });
                    click(page3, "nextButton");
                    QVERIFY(!page3->isVisible());
                });
                click(page2, "nextButton");
                QVERIFY(!page2->isVisible());
            });
            click(page1, "nextButton");
            QVERIFY(!page1->isVisible());
        });
        QCOMPARE(wizard.exec(), int(QDialog::Rejected));
    }
    QCOMPARE(pagesSeen, 1);
    QVERIFY(visibleTopLevels().isEmpty());
    QCOMPARE(responder.shown().size(), std::size_t{0});

    // A second run offers what was typed; page 4's text was never stored.
    CReportIntroDlg again(*context_);
    whenShown<CReportIntroDlg>([&](CReportIntroDlg* page1) {
        whenShown<CCustomerInfoDlg>([&](CCustomerInfoDlg* page2) {
            QCOMPARE(child<QLineEdit>(page2, "contactPhone")->text(), QString("?"));
            whenShown<CComputerInfoDlg>([&](CComputerInfoDlg* page3) {
                QCOMPARE(child<QComboBox>(page3, "processorSpeed")->currentText(),
                         QString("200 MHz"));
                QCOMPARE(child<QComboBox>(page3, "usage")->currentText(), QString("Server"));
                whenShown<CProblemInfoDlg>([&](CProblemInfoDlg* page4) {
                    QCOMPARE(child<QPlainTextEdit>(page4, "description")->toPlainText(), QString());
                    ++pagesSeen;
                    click(page4, "cancelButton");
                });
                click(page3, "nextButton");
            });
            click(page2, "nextButton");
        });
        click(page1, "nextButton");
    });
    QCOMPARE(again.exec(), int(QDialog::Rejected));
    QCOMPARE(pagesSeen, 2);
}

namespace {

// Walks from page 1, once it shows, to page 5 with every required answer
// given, then runs `onFinishPage`.
void walkPages(std::function<void(CReportFinishDlg*)> onFinishPage)
{
    whenShown<CReportIntroDlg>([onFinishPage](CReportIntroDlg* page1) {
        whenShown<CCustomerInfoDlg>([&](CCustomerInfoDlg* page2) {
            type(page2, "address", "12 Quay Street");
            type(page2, "contactPhone", "+1 202 555 0175");
            whenShown<CComputerInfoDlg>([&](CComputerInfoDlg* page3) {
                fillComputer(page3);
                whenShown<CProblemInfoDlg>([&](CProblemInfoDlg* page4) {
                    child<QPlainTextEdit>(page4, "description")
                        ->setPlainText("Link drops, 100% load");
                    child<QComboBox>(page4, "reproducible")->setCurrentIndex(1);
                    whenShown<CReportFinishDlg>(onFinishPage);
                    click(page4, "nextButton");
                });
                click(page3, "nextButton");
            });
            click(page2, "nextButton");
        });
        click(page1, "nextButton");
    });
}

void walkToFinish(SheetContext& context, std::function<void(CReportFinishDlg*)> onFinishPage)
{
    walkPages(std::move(onFinishPage));
    CReportIntroDlg wizard(context);
    QCOMPARE(wizard.exec(), int(QDialog::Rejected));
}

// Answers the save dialog with `path`, confirming the replacement of an existing file.
void saveAs(const QString& path)
{
    whenShown<QFileDialog>([path](QFileDialog* save) {
        QCOMPARE(save->acceptMode(), QFileDialog::AcceptSave);
        QCOMPARE(save->defaultSuffix(), QString("txt"));
        QVERIFY(save->selectedFiles().value(0).endsWith("/vxreport.txt"));
        save->selectFile(path);
        if (QFileInfo::exists(path)) {
            whenShown<QMessageBox>(
                [](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
        }
        QMetaObject::invokeMethod(save, "accept", Qt::DirectConnection);
    });
}

} // namespace

void WizardTest::finishTwiceWithoutAChangeWritesOnce()
{
    velnet::test::QtTestResponder responder;
    velnet::platform::FakeProcessLauncher launcher;
    const QString path = QString::fromStdString(dir_->file("first.txt"));
    bool saved = false;
    walkToFinish(*context_, [&](CReportFinishDlg* page5) {
        saveAs(path);
        whenShown<CReportSavedDlg>([&](CReportSavedDlg* done) {
            QCOMPARE(child<QLabel>(done, "reportPath")->text(), path);
            saved = true;
            click(done, "okButton");
        });
        click(page5, "nextButton");
    });
    QVERIFY(saved);
    const std::string report = velnet::test::readFile(path.toStdString());
    QVERIFY(report.find("\nReproducible:  Intermittent\n") != std::string::npos);
    QVERIFY(report.find("\nProblem Description:\nLink drops, 100% load\n") != std::string::npos);
    QVERIFY(!reportAnswers().modified());
    std::filesystem::remove(path.toStdString());

    // Nothing changed: no save dialog, no file, the same path shown again.
    saved = false;
    walkToFinish(*context_, [&](CReportFinishDlg* page5) {
        whenShown<QDialog>([&](QDialog* shown) {
            QCOMPARE(shown->metaObject()->className(), "cardcheck::CReportSavedDlg");
            QCOMPARE(child<QLabel>(shown, "reportPath")->text(), path);
            saved = true;
            click(shown, "okButton");
        });
        click(page5, "nextButton");
    });
    QVERIFY(saved);
    QVERIFY(!QFileInfo::exists(path));
}

void WizardTest::aFailedWriteKeepsTheFinishPageOpen()
{
    velnet::test::QtTestResponder responder;
    velnet::platform::FakeProcessLauncher launcher;
    bool checked = false;
    // A report file whose device has no room for a single byte.
    const std::string full = dir_->file("full.txt");
    std::filesystem::create_symlink("/dev/full", full);
    walkToFinish(*context_, [&](CReportFinishDlg* page5) {
        saveAs(QString::fromStdString(full));
        responder.expect("Error writing the file " + full + ".");
        click(page5, "nextButton");
        QVERIFY(responder.verify());
        QVERIFY(page5->isVisible());
        QVERIFY(reportAnswers().modified());
        // Cancelling the save dialog changes nothing either.
        whenShown<QFileDialog>([](QFileDialog* save) { save->reject(); });
        click(page5, "nextButton");
        QVERIFY(page5->isVisible());
        checked = true;
        click(page5, "cancelButton");
    });
    QVERIFY(checked);
}

void WizardTest::savedDialogShowsAtMost1024BytesOfTheAddressFileAndViewsTheReport()
{
    velnet::platform::FakeProcessLauncher launcher;
    ReportWriter::setReportPath(dir_->file("vxreport.txt"));
    {
        CReportSavedDlg builtIn(*context_);
        QCOMPARE(
            child<QLabel>(&builtIn, "addressText")->text(),
            QString(
                "U.S.: support@corvane.example.com\n\nEurope: support-europe@corvane.example.net"
                "\n\nAsia Pacific Rim: support-asia@corvane.example.org"));
    }
    std::string bytes;
    for (int i = 0; bytes.size() < 2000; ++i)
        bytes += "mailbox-" + std::to_string(i) + "@corvane.example.org\n";
    bytes.resize(2000);
    velnet::test::writeFile(dir_->file("vxvaraddr.txt"), bytes);
    CReportSavedDlg fromFile(*context_);
    QCOMPARE(child<QLabel>(&fromFile, "addressText")->text().toStdString(), bytes.substr(0, 1024));
    QCOMPARE(child<QLabel>(&fromFile, "reportPath")->text().toStdString(),
             dir_->file("vxreport.txt"));
    whenShown<CReportSavedDlg>([](CReportSavedDlg* dialog) {
        click(dialog, "viewReportButton");
        QVERIFY(dialog->isVisible());
        click(dialog, "okButton");
    });
    QCOMPARE(fromFile.exec(), int(QDialog::Accepted));
    QCOMPARE(launcher.editedFiles, std::vector<std::string>{dir_->file("vxreport.txt")});
    QVERIFY(launcher.starts.empty());
}

void WizardTest::supportPageButtons()
{
    QTabWidget sheet;
    sheet.setObjectName("sheet");
    for (const char* name : {"General", "Properties", "Diagnostics"})
        sheet.addTab(new QWidget, name);
    auto* support = new CSupportPage(*context_);
    sheet.addTab(support, support->windowTitle());
    sheet.setCurrentIndex(3);
    sheet.show();

    click(support, "diagnosticsButton");
    QCOMPARE(sheet.currentIndex(), 2);

    click(support, "releaseNotesButton");
    QCOMPARE(help_.requests().size(), std::size_t{1});
    QCOMPARE(help_.requests()[0].kind, velnet::platform::FakeHelpViewer::Kind::Topic);
    QCOMPARE(help_.requests()[0].id, std::uint32_t{0x60454});

    bool bbsSeen = false;
    whenShown<CBbsInfoDlg>([&](CBbsInfoDlg* bbs) {
        QCOMPARE(bbs->windowTitle(), QString("Dialog"));
        QCOMPARE(child<QLabel>(bbs, "bbsGermanyRate")->text(), QString("up to 9600 bps"));
        QCOMPARE(child<QLabel>(bbs, "bbsUKRate")->text(), QString("up to 28800 bps"));
        QCOMPARE(child<QLabel>(bbs, "bbsItalyCountry")->text(), QString("Italy (fee required)"));
        bbsSeen = true;
        click(bbs, "okButton");
    });
    click(support, "bbsButton");
    QVERIFY(bbsSeen);

    bool wizardSeen = false;
    whenShown<CReportIntroDlg>([&](CReportIntroDlg* page1) {
        QCOMPARE(page1->windowTitle(), QString("Problem Report"));
        wizardSeen = true;
        click(page1, "cancelButton");
    });
    click(support, "problemReportButton");
    QVERIFY(wizardSeen);
}

void WizardTest::helpTablesAnswerF1()
{
    CComputerInfoDlg page3(*context_, nullptr);
    page3.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page3));
    auto* speed = child<QComboBox>(&page3, "processorSpeed");
    speed->setFocus();
    QTest::keyClick(speed, Qt::Key_F1);
    QCOMPARE(help_.requests().size(), std::size_t{1});
    QCOMPARE(help_.requests()[0].id, std::uint32_t{0x60477});
    QVERIFY(page3.windowFlags().testFlag(Qt::WindowContextHelpButtonHint));
    page3.hide();
}

void WizardTest::everyHelpIdHasATopic()
{
    std::string error;
    const auto file = velnet::platform::HelpFile::load(
        std::string(VELNET_BINARY_DIR) + "/bin/cardcheck.hlp", &error);
    QVERIFY2(file, error.c_str());
    CCustomerInfoDlg page2(*context_, nullptr);
    CComputerInfoDlg page3(*context_, nullptr);
    CProblemInfoDlg page4(*context_, nullptr);
    std::vector<ContextHelp::Entry> entries = CSupportPage::helpTable();
    for (const auto& table :
         {page2.helpTable(), page3.helpTable(), page4.helpTable(), CReportSavedDlg::helpTable()})
        entries.insert(entries.end(), table.begin(), table.end());
    QCOMPARE(entries.size(), std::size_t{21});
    for (const auto& entry : entries)
        QVERIFY2(file->find(entry.helpId), qPrintable(QString::number(entry.helpId, 16)));
    QVERIFY(file->find(CSupportPage::kReleaseNotesTopic));
}

void WizardTest::inTheSheetTheReportDescribesTheSelectedNic()
{
    velnet::test::QtTestResponder responder;
    velnet::platform::FakeProcessLauncher launcher;
    ::setenv("NICPORT_SCENARIO", velnet::test::fixturePath("report/report-nic.json").c_str(), 1);
    std::string error;
    QCOMPARE(StartupDiscovery::run(error, false), 1);
    const QString path = QString::fromStdString(dir_->file("sheet-report.txt"));
    {
        CMainDlg sheet(*context_);
        sheet.show();
        auto* tabs = sheet.findChild<QTabWidget*>();
        QVERIFY(tabs);
        tabs->setCurrentIndex(3);
        QCOMPARE(tabs->currentWidget(), static_cast<QWidget*>(sheet.supportPage()));

        click(sheet.supportPage(), "diagnosticsButton");
        QCOMPARE(tabs->currentIndex(), 2);
        QVERIFY(sheet.diagnosticsPage()->initialised());
        tabs->setCurrentIndex(3);

        walkPages([&](CReportFinishDlg* page5) {
            saveAs(path);
            whenShown<CReportSavedDlg>([](CReportSavedDlg* done) { click(done, "okButton"); });
            click(page5, "nextButton");
        });
        click(sheet.supportPage(), "problemReportButton");
        sheet.reject();
        CCardcheckApp::ExitInstance(sheet);
    }
    ::unsetenv("NICPORT_SCENARIO");
    QVERIFY(!theAdapterLibrary());
    const std::string report = velnet::test::readFile(path.toStdString());
    QVERIFY(report.find("\nProduct:  Corvane Fast Velnet Server XL PCI NIC\n") !=
            std::string::npos);
    QVERIFY(
        report.find("\nAdapter Configuration:\nNode Address  00-A0-CC-4E-1F-02\nInterrupt  11\n") !=
        std::string::npos);
    QVERIFY(report.find("\nLinux System Summary:\n") != std::string::npos);
}

QTEST_MAIN(WizardTest)
#include "WizardTest.moc"
#include "ui/ProgramState.h"
