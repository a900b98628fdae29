// SPDX-License-Identifier: MIT
// The main dialog when its save cannot reach the store: the user is told why
// once, the dialog stays open with the edits, and a later save succeeds.
#include "nicsetup/ConfigLoader.h"
#include "nicsetup/Servcfg.h"
#include "nicsetup/ServcfgDlg.h"
#include "nicsetup/Tables.h"
#include "tests/nicsetup/HiveTestSupport.h"
#include "tests/support/DialogControls.h"
#include "tests/support/ExpectedBox.h"
#include "tests/support/LockHolder.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/QtTestResponder.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest/QtTest>
#include <chrono>
#include <functional>
#include <memory>

using namespace velnet::nicsetup;
using namespace velnet::nicsetup::test;
using namespace velnet::registry;
using namespace velnet::test;
using namespace velnet::ui;

namespace {

const char* const kParameters0 = "SYSTEM\\CurrentControlSet\\Services\\vxsrvnt0\\Parameters";

ScriptedResponder::Expectation saveYes()
{
    return nicsetupBox("Save Changes Before Exiting ?", Buttons::YesNoCancel, Icon::Question,
                       Answer::Yes);
}

ScriptedResponder::Expectation notSaved(const std::string& reason)
{
    return nicsetupBox("The configuration could not be saved; the registry is unchanged.\n" +
                           reason,
                       Buttons::Ok, Icon::Error);
}

} // namespace

class SaveFailureDialogTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestStore> store_;
    std::unique_ptr<CServcfgDlg> dlg_;

    QTreeWidget* list() const { return dlg_->findChild<QTreeWidget*>("ftols"); }

    bool open()
    {
        store_ = std::make_unique<TestStore>(fixtureText("dialog.reg"));
        store_->registry().setLockWait(std::chrono::milliseconds(300));
        theApp.setRegistry(&store_->registry());
        if (ConfigLoader(store_->registry()).load() != LoadResult::Loaded)
            return false;
        dlg_ = std::make_unique<CServcfgDlg>();
        dlg_->show();
        return QTest::qWaitForWindowActive(dlg_.get());
    }

    // Sampling Window of the first NIC becomes 777 through its editor.
    void editSamplingWindow()
    {
        whenShown("FTOLCONS", [](QDialog* editor) {
            retype(child<QLineEdit>(editor, "ftolval"), "777");
            click(editor, "ok");
        });
        doubleClickRow(list(), 1);
        QTest::qWait(10);
    }

    void clickOk()
    {
        QTest::mouseClick(dlg_->findChild<QPushButton*>("initExit"), Qt::LeftButton);
        QTest::qWait(10);
    }

    std::optional<std::uint32_t> storedSamplingWindow()
    {
        return store_->registry()
            .open(Root::LocalMachine, kParameters0, Access::Read)
            .queryDword("SamplingWindow");
    }

    // After a save that could not be done: open, the edit still there, the
    // store as it was.
    void expectStillEditing(const std::string& storeBefore)
    {
        QVERIFY2(dlg_->isVisible(), "the dialog closed as if it had saved");
        QCOMPARE(rowTexts(list())[1], QString("Sampling Window=777"));
        QCOMPARE(ETHCard[0].SamplingWindow, 777u);
        QCOMPARE(store_->text(), storeBefore);
    }

    void expectSavedOnRetry()
    {
        QtTestResponder responder;
        responder.expect(saveYes());
        clickOk();
        QVERIFY(responder.verify());
        QVERIFY(!dlg_->isVisible());
        QCOMPARE(dlg_->result(), int(QDialog::Accepted));
        QCOMPARE(storedSamplingWindow(), std::optional<std::uint32_t>(777));
    }

private slots:
    void cleanup()
    {
        dlg_.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY2(visibleTopLevels().isEmpty(), qPrintable(visibleTopLevels().join(", ")));
        theApp.setRegistry(nullptr);
        store_.reset();
    }

    void storeHeldByAnotherProgram()
    {
        QVERIFY(open());
        editSamplingWindow();
        const std::string before = store_->text();
        {
            LockHolder holder(store_->path(), true);
            QVERIFY(holder.held());
            QtTestResponder responder;
            responder.expect(saveYes());
            responder.expect(notSaved(store_->path() +
                                      ": the registry is in use by another program (process " +
                                      std::to_string(holder.pid()) + ")"));
            clickOk();
            QVERIFY(responder.verify());
            expectStillEditing(before);
        }
        expectSavedOnRetry();
    }

    // Another program spoils the store while the dialog is open: one box
    // naming the file and line, not one "Registry is Corrupted" per key.
    void storeSpoiledWhileEditing()
    {
        QVERIFY(open());
        editSamplingWindow();
        const std::string good = store_->text();
        const std::string spoiled = "REGEDIT4\n\n\"orphan\"=\"value\"\n";
        velnet::test::writeFile(store_->path(), spoiled);
        QtTestResponder responder;
        responder.expect(saveYes());
        const std::string reason = velnet::registry::FileRegistry(store_->path()).errorText();
        QVERIFY2(reason.rfind(store_->path() + ":3: ", 0) == 0, reason.c_str());
        responder.expect(notSaved(reason));
        clickOk();
        QVERIFY(responder.verify());
        expectStillEditing(spoiled);

        velnet::test::writeFile(store_->path(), good);
        expectSavedOnRetry();
    }
};

QTEST_MAIN(SaveFailureDialogTest)
#include "SaveFailureDialogTest.moc"
