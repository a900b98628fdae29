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
#include "tests/support/DialogTemplateCheck.h"
#include "tests/support/QtTestResponder.h"
#include "tests/support/SimulatedNics.h"
#include "tests/support/TestSheetContext.h"

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
    void init() { own_ = std::make_unique<test::TestSheetContext>(); }

    void cleanup()
    {
        own_.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(QApplication::topLevelWidgets().size(), 0);
    }

    void openingDialogs()
    {
        CWarningDlg warning(own_->context());
        QCOMPARE(faultOf(warning, "Corvane NIC Diagnostics"), QString());
        CWelcomeDlg welcome(own_->context());
        QCOMPARE(faultOf(welcome, "Corvane NIC Diagnostics  v1.0"), QString());
    }

    void sheetAndItsDialogs()
    {
        test::SimulatedNics nics("two-servers.json");
        std::string error;
        QCOMPARE(StartupDiscovery::run(error, false), 2);
        velnet::test::QtTestResponder responder;
        CMainDlg sheet(own_->context());
        QCOMPARE(faultOf(sheet, "Corvane NIC Diagnostics  v1.0"), QString());
        CNicDetailsDlg details(own_->context());
        QCOMPARE(faultOf(details, "NIC Details"), QString());
        CEchoTestDlg echo(CEchoTestDlg::Sender, own_->context());
        QCOMPARE(faultOf(echo, "Echo Test Sender"), QString());
    }

    void supportDialogs()
    {
        CBbsInfoDlg bbs;
        QCOMPARE(faultOf(bbs, "Dialog"), QString());
        CReportIntroDlg intro(own_->context());
        QCOMPARE(faultOf(intro, "Problem Report"), QString());
        CCustomerInfoDlg customer(own_->context(), &intro);
        QCOMPARE(faultOf(customer, "Problem Report"), QString());
        CComputerInfoDlg computer(own_->context(), &customer);
        QCOMPARE(faultOf(computer, "Problem Report"), QString());
        CProblemInfoDlg problem(own_->context(), &computer);
        QCOMPARE(faultOf(problem, "Problem Report"), QString());
        CReportFinishDlg finish(own_->context(), &problem);
        QCOMPARE(faultOf(finish, "Problem Report"), QString());
        CReportSavedDlg saved(own_->context());
        QCOMPARE(faultOf(saved, "Problem Report"), QString());
    }

private:
    std::unique_ptr<test::TestSheetContext> own_;
};

QTEST_MAIN(CaptionsTest)
#include "CaptionsTest.moc"
