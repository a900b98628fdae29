// SPDX-License-Identifier: MIT
#include "cardcheck/report/CBbsInfoDlg.h"
#include "cardcheck/report/CComputerInfoDlg.h"
#include "cardcheck/report/CCustomerInfoDlg.h"
#include "cardcheck/report/CProblemInfoDlg.h"
#include "cardcheck/report/CReportFinishDlg.h"
#include "cardcheck/report/CReportIntroDlg.h"
#include "cardcheck/report/CReportSavedDlg.h"
#include "cardcheck/sheet/CEchoTestDlg.h"
#include "cardcheck/sheet/CMainDlg.h"
#include "cardcheck/sheet/CNicDetailsDlg.h"
#include "cardcheck/sheet/CWarningDlg.h"
#include "cardcheck/sheet/CWelcomeDlg.h"
#include "cardcheck/sheet/StartupDiscovery.h"
#include "cardcheck/ui/SheetContext.h"
#include "common/platform/FakeHelpViewer.h"
#include "common/registry/FileRegistry.h"
#include "tests/support/DialogTemplateCheck.h"
#include "tests/support/QtTestResponder.h"
#include "tests/support/SimulatedNics.h"
#include "tests/support/TempDir.h"

#include <QApplication>
#include <QtTest/QtTest>
#include <memory>

using namespace velnet::cardcheck;

// Every window of cardcheck with a caption: exactly the designed caption, and
// a dialog template (a caption bar with the context-help button and a close
// box, no minimise or maximise box, one size).
class CaptionsTest : public QObject
{
    Q_OBJECT

    // Shows the dialog as the program would and reports what is wrong with it.
    static QString faultOf(QDialog& dialog, const QString& caption)
    {
        dialog.show();
        if (!QTest::qWaitForWindowExposed(&dialog))
            return "not shown";
        QString fault = velnet::test::dialogTemplateFault(&dialog);
        if (!(dialog.windowFlags() & Qt::WindowContextHelpButtonHint))
            fault += " no context-help button";
        if (dialog.windowTitle() != caption)
            fault += " caption \"" + dialog.windowTitle() + "\"";
        dialog.close();
        return fault;
    }

private slots:
    void initTestCase() { Q_INIT_RESOURCE(SheetImages); }

    void init()
    {
        dir_ = std::make_unique<velnet::test::TempDir>();
        store_ = std::make_unique<velnet::registry::FileRegistry>(dir_->file("registry.reg"));
        context_ = std::make_unique<SheetContext>(SheetContext{*store_, help_});
    }

    void cleanup()
    {
        context_.reset();
        store_.reset();
        dir_.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(QApplication::topLevelWidgets().size(), 0);
    }

    void openingDialogs()
    {
        CWarningDlg warning(*context_);
        QCOMPARE(faultOf(warning, "Corvane NIC Diagnostics"), QString());
        CWelcomeDlg welcome(*context_);
        QCOMPARE(faultOf(welcome, "Corvane NIC Diagnostics  v1.0"), QString());
    }

    void sheetAndItsDialogs()
    {
        test::SimulatedNics nics("two-servers.json");
        std::string error;
        QCOMPARE(StartupDiscovery::run(error, false), 2);
        velnet::test::QtTestResponder responder;
        CMainDlg sheet(*context_);
        QCOMPARE(faultOf(sheet, "Corvane NIC Diagnostics  v1.0"), QString());
        CNicDetailsDlg details(*context_);
        QCOMPARE(faultOf(details, "NIC Details"), QString());
        CEchoTestDlg echo(CEchoTestDlg::Sender, *context_);
        QCOMPARE(faultOf(echo, "Echo Test Sender"), QString());
    }

    void supportDialogs()
    {
        CBbsInfoDlg bbs;
        QCOMPARE(faultOf(bbs, "Dialog"), QString());
        CReportIntroDlg intro(*context_);
        QCOMPARE(faultOf(intro, "Problem Report"), QString());
        CCustomerInfoDlg customer(*context_, &intro);
        QCOMPARE(faultOf(customer, "Problem Report"), QString());
        CComputerInfoDlg computer(*context_, &customer);
        QCOMPARE(faultOf(computer, "Problem Report"), QString());
        CProblemInfoDlg problem(*context_, &computer);
        QCOMPARE(faultOf(problem, "Problem Report"), QString());
        CReportFinishDlg finish(*context_, &problem);
        QCOMPARE(faultOf(finish, "Problem Report"), QString());
        CReportSavedDlg saved(*context_);
        QCOMPARE(faultOf(saved, "Problem Report"), QString());
    }

private:
    velnet::platform::FakeHelpViewer help_;
    std::unique_ptr<velnet::test::TempDir> dir_;
    std::unique_ptr<velnet::registry::FileRegistry> store_;
    std::unique_ptr<SheetContext> context_;
};

QTEST_MAIN(CaptionsTest)
#include "CaptionsTest.moc"
