// SPDX-License-Identifier: MIT
#include "cardcheck/adapter/AdapterLibrary.h"
#include "cardcheck/report/CBbsInfoDlg.h"
#include "cardcheck/report/CComputerInfoDlg.h"
#include "cardcheck/report/CCustomerInfoDlg.h"
#include "cardcheck/report/CProblemInfoDlg.h"
#include "cardcheck/report/CReportFinishDlg.h"
#include "cardcheck/report/CReportIntroDlg.h"
#include "cardcheck/report/CReportSavedDlg.h"
#include "cardcheck/report/CSupportPage.h"
#include "cardcheck/report/ReportWriter.h"
#include "cardcheck/sheet/CCardcheckApp.h"
#include "cardcheck/sheet/CDiagnosticsPage.h"
#include "cardcheck/sheet/CMainDlg.h"
#include "cardcheck/sheet/StartupDiscovery.h"
#include "cardcheck/ui/ControlId.h"
#include "cardcheck/ui/PictureWindow.h"
#include "cardcheck/ui/ReportAnswers.h"
#include "cardcheck/ui/SheetContext.h"
#include "common/platform/FakeHelpViewer.h"
#include "common/platform/FakeProcessLauncher.h"
#include "common/platform/HelpFile.h"
#include "common/registry/FileRegistry.h"
#include "tests/support/DialogControls.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/QtTestResponder.h"
#include "tests/support/TempDir.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTimer>
#include <QtTest/QtTest>
#include <filesystem>
#include <functional>
#include <memory>

using namespace velnet::cardcheck;
using namespace velnet::test;

namespace {

const char* const kFieldEmpty =
    "Error field cannot be empty.  Enter a \"?\" if data is not available.";

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

// A sheet of stand-in pages with the Support page last, shown on it.
CSupportPage* showSupportPage(QTabWidget& sheet, SheetContext& context)
{
    sheet.setObjectName("sheet");
    for (const char* name : {"General", "Properties", "Diagnostics"})
        sheet.addTab(new QWidget, name);
    auto* support = new CSupportPage(context);
    sheet.addTab(support, support->windowTitle());
    sheet.setCurrentIndex(3);
    sheet.show();
    return support;
}

// The size of the bug picture that took the place of control 1048.
QSize bugPicture(QWidget* page)
{
    for (auto* picture : page->findChildren<PictureWindow*>()) {
        if (controlId(picture) == 1048)
            return picture->bitmap().deviceIndependentSize().toSize();
    }
    return {};
}

// The object names of the visible windows, sorted.
QStringList visibleWindowNames()
{
    QStringList names;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible())
            names << w->objectName();
    }
    names.sort();
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
    void backShowsThePreviousPageAgainAndTheSheetStillTakesClicks();
    void eachPageOpensWhereThePreviousOneWas();
    void finishTwiceWithoutAChangeWritesOnce();
    void aFailedWriteKeepsTheFinishPageOpen();
    void savedDialogShowsAtMost1024BytesOfTheAddressFileAndViewsTheReport();
    void supportPageButtons();
    void helpTablesAnswerF1();
    void editableCombosKeepWhatIsTyped();
    void savedDialogShowsPathAndAddressesAsWrappedPlainText();
    void theBuiltInAddressesShowWholeWithoutAScrollBar();
    void viewReportWithoutAViewerNamesTheReport_data();
    void viewReportWithoutAViewerNamesTheReport();
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
        QCOMPARE(bugPicture(page1), QSize(96, 96));
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
                        QCOMPARE(visibleWindowNames(), QStringList{"CProblemInfoDlg"});
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
    QVERIFY(visibleWindowNames().isEmpty());
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

void WizardTest::backShowsThePreviousPageAgainAndTheSheetStillTakesClicks()
{
    velnet::test::QtTestResponder responder;
    QTabWidget sheet;
    CSupportPage* support = showSupportPage(sheet, *context_);
    QVERIFY(QTest::qWaitForWindowExposed(&sheet));

    // Each step runs from the event loop of the page on the screen, as a
    // person's clicks do: page 1, Next, page 2, Back, page 1 again, Next,
    // page 2 again, Cancel.
    QStringList steps;
    whenShown<CReportIntroDlg>([&](CReportIntroDlg* page1) {
        steps << "page 1";
        whenShown<CCustomerInfoDlg>([&](CCustomerInfoDlg* page2) {
            steps << "page 2";
            whenShown<CReportIntroDlg>([&](CReportIntroDlg* again) {
                steps << "page 1 again";
                QCOMPARE(visibleWindowNames(), (QStringList{"CReportIntroDlg", "sheet"}));
                whenShown<CCustomerInfoDlg>([&](CCustomerInfoDlg* page2Again) {
                    steps << "page 2 again";
                    click(page2Again, "cancelButton");
                });
                click(again, "nextButton");
            });
            click(page2, "backButton");
        });
        click(page1, "nextButton");
    });
    click(support, "problemReportButton");
    QCOMPARE(steps, (QStringList{"page 1", "page 2", "page 1 again", "page 2 again"}));
    QCOMPARE(visibleWindowNames(), QStringList{sheet.objectName()});

    // The sheet answers the mouse again.
    QTRY_VERIFY(!QApplication::activeModalWidget());
    QTest::qWait(20);
    click(support, "diagnosticsButton");
    QCOMPARE(sheet.currentIndex(), 2);
}

void WizardTest::eachPageOpensWhereThePreviousOneWas()
{
    velnet::test::QtTestResponder responder;
    CReportIntroDlg wizard(*context_);
    wizard.move(60, 40);
    QList<QPoint> places;
    whenShown<CReportIntroDlg>([&](CReportIntroDlg* page1) {
        places << page1->geometry().topLeft();
        whenShown<CCustomerInfoDlg>([&](CCustomerInfoDlg* page2) {
            places << page2->geometry().topLeft();
            // The user drags page 2 elsewhere; page 3 follows it.
            page2->move(page2->pos() + QPoint(90, 70));
            QTest::qWait(20);
            whenShown<CComputerInfoDlg>([&](CComputerInfoDlg* page3) {
                places << page3->geometry().topLeft();
                page3->move(page3->pos() + QPoint(-30, 20));
                QTest::qWait(20);
                // Back brings page 2 up where page 3 was.
                whenShown<CCustomerInfoDlg>([&](CCustomerInfoDlg* again) {
                    places << again->geometry().topLeft();
                    click(again, "cancelButton");
                });
                click(page3, "backButton");
            });
            places << page2->geometry().topLeft();
            type(page2, "address", "?");
            type(page2, "contactPhone", "?");
            click(page2, "nextButton");
        });
        click(page1, "nextButton");
    });
    QCOMPARE(wizard.exec(), int(QDialog::Rejected));
    QCOMPARE(places.size(), 5);
    QCOMPARE(places[1], places[0]);
    QCOMPARE(places[3], places[2]);
    QCOMPARE(places[4], places[3] + QPoint(-30, 20));
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
        QCOMPARE(bugPicture(page5), QSize(96, 96));
        saveAs(path);
        whenShown<CReportSavedDlg>([&](CReportSavedDlg* done) {
            QCOMPARE(child<QPlainTextEdit>(done, "reportPath")->toPlainText(), path);
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
            QCOMPARE(shown->metaObject()->className(), "velnet::cardcheck::CReportSavedDlg");
            QCOMPARE(child<QPlainTextEdit>(shown, "reportPath")->toPlainText(), path);
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
            child<QPlainTextEdit>(&builtIn, "addressText")->toPlainText(),
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
    QCOMPARE(child<QPlainTextEdit>(&fromFile, "addressText")->toPlainText().toStdString(),
             bytes.substr(0, 1024));
    QCOMPARE(child<QPlainTextEdit>(&fromFile, "reportPath")->toPlainText().toStdString(),
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
    CSupportPage* support = showSupportPage(sheet, *context_);

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

void WizardTest::editableCombosKeepWhatIsTyped()
{
    CComputerInfoDlg page3(*context_, nullptr);
    page3.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page3));
    for (const char* name : {"processorSpeed", "networkOperatingSystem"}) {
        auto* combo = child<QComboBox>(&page3, name);
        combo->lineEdit()->clear();
        combo->setFocus();
        QTest::keyClicks(combo, name == QLatin1String("processorSpeed") ? "13" : "Novell");
        QTest::qWait(20);
        const QString typed = name == QLatin1String("processorSpeed") ? "13" : "Novell";
        QCOMPARE(combo->lineEdit()->text(), typed);
        QCOMPARE(combo->currentText(), typed);
        QVERIFY(!combo->lineEdit()->hasSelectedText());
    }
    page3.hide();
}

void WizardTest::savedDialogShowsPathAndAddressesAsWrappedPlainText()
{
    const std::string path = dir_->file("reports/" + std::string(150, 'r') + "/x<b>y</b>" +
                                        std::string(80, 'z') + ".txt");
    ReportWriter::setReportPath(path);
    std::string addresses;
    for (int i = 0; addresses.size() < 1024; ++i)
        addresses += "Region " + std::to_string(i) + ": <i>mailbox-" + std::to_string(i) +
                     "@corvane.example.org</i>\n";
    velnet::test::writeFile(dir_->file("vxvaraddr.txt"), addresses);
    CReportSavedDlg dialog(*context_);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* shownPath = dialog.findChild<QPlainTextEdit*>("reportPath");
    auto* shownAddresses = dialog.findChild<QPlainTextEdit*>("addressText");
    QVERIFY(shownPath && shownAddresses);
    QCOMPARE(shownPath->toPlainText().toStdString(), path);
    QCOMPARE(shownAddresses->toPlainText().toStdString(), addresses.substr(0, 1024));
    for (QPlainTextEdit* text : {shownPath, shownAddresses}) {
        QVERIFY(text->isReadOnly());
        // Wrapped inside the dialog, with the rest reachable by scrolling.
        QCOMPARE(text->horizontalScrollBar()->maximum(), 0);
        QVERIFY(text->geometry().right() < dialog.width());
        const int lines = text->document()->documentLayout()->documentSize().height();
        const int visible = text->viewport()->height() / text->fontMetrics().lineSpacing();
        QVERIFY2(lines <= visible || text->verticalScrollBar()->maximum() > 0,
                 qPrintable(QString("%1 lines, %2 visible").arg(lines).arg(visible)));
    }
    dialog.hide();
}

void WizardTest::theBuiltInAddressesShowWholeWithoutAScrollBar()
{
    CReportSavedDlg dialog(*context_);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* addresses = dialog.findChild<QPlainTextEdit*>("addressText");
    QVERIFY(addresses);
    QCOMPARE(addresses->toPlainText().count('\n'), 4);
    QCOMPARE(addresses->verticalScrollBar()->maximum(), 0);
    QVERIFY(!addresses->verticalScrollBar()->isVisible());
    dialog.hide();
}

void WizardTest::viewReportWithoutAViewerNamesTheReport_data()
{
    QTest::addColumn<bool>("openerFound");
    QTest::newRow("no opener at all") << false;
    QTest::newRow("the opener finds no viewer") << true;
}

void WizardTest::viewReportWithoutAViewerNamesTheReport()
{
    QFETCH(bool, openerFound);
    velnet::platform::FakeProcessLauncher launcher;
    launcher.succeed = openerFound;
    launcher.viewerFound = false;
    ReportWriter::setReportPath(dir_->file("vxreport.txt"));
    velnet::test::QtTestResponder responder;
    responder.expect("There is no program on this computer to view the report with.  The report "
                     "is saved in:\n\n" +
                     dir_->file("vxreport.txt"));
    CReportSavedDlg dialog(*context_);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    click(&dialog, "viewReportButton");
    QVERIFY(responder.verify());
    QVERIFY(dialog.isVisible());
    dialog.hide();
}

void WizardTest::everyHelpIdHasATopic()
{
    const auto file =
        velnet::platform::HelpFile::load(std::string(VELNET_BINARY_DIR) + "/bin/cardcheck.hlp");
    QVERIFY2(file, file.error().c_str());
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
#include "cardcheck/ui/ProgramState.h"
