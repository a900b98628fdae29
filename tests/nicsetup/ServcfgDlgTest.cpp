// SPDX-License-Identifier: MIT
#include "nicsetup/ServcfgDlg.h"

#include "common/platform/FakeHelpViewer.h"
#include "common/platform/HelpFile.h"
#include "nicsetup/AboutDlg.h"
#include "nicsetup/ConfigLoader.h"
#include "nicsetup/Images.h"
#include "nicsetup/Servcfg.h"
#include "nicsetup/Tables.h"
#include "tests/nicsetup/HiveTestSupport.h"
#include "tests/support/DialogControls.h"
#include "tests/support/DialogTemplateCheck.h"
#include "tests/support/ExpectedBox.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/QtTestResponder.h"
#include "tests/support/TempDir.h"

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest/QtTest>
#include <memory>

using namespace velnet::nicsetup;
using namespace velnet::nicsetup::test;
using velnet::platform::FakeHelpViewer;
using namespace velnet::registry;
using namespace velnet::test;
using namespace velnet::ui;

namespace {

const char* const kSaveQuestion = "Save Changes Before Exiting ?";

ScriptedResponder::Expectation saveQuestion(Answer answer)
{
    return velnet::test::nicsetupBox(kSaveQuestion, Buttons::YesNoCancel, std::nullopt, answer);
}

// What a save asks when another program changed the configuration since the load.
ScriptedResponder::Expectation changedByAnother(Answer answer)
{
    ScriptedResponder::Expectation e;
    e.text = "The NIC configuration in the registry has been changed by another program since "
             "nicsetup read it.  If you save now, those changes are lost.\n\nSave anyway?";
    e.caption = "nicsetup";
    e.buttons = Buttons::YesNo;
    e.answer = answer;
    return e;
}

std::string parameters(int n)
{
    return "SYSTEM\\CurrentControlSet\\Services\\vxsrvnt" + std::to_string(n) + "\\Parameters";
}

std::string valueText(TestStore& store, const std::string& path, const char* name)
{
    const auto key = store.registry().open(Root::LocalMachine, path, Access::Read);
    return key.queryString(name, 1000).value_or("<missing>");
}

std::optional<std::uint32_t> valueDword(TestStore& store, const std::string& path, const char* name)
{
    return store.registry().open(Root::LocalMachine, path, Access::Read).queryDword(name);
}

QTreeWidget* list(QWidget* dlg)
{
    return dlg->findChild<QTreeWidget*>("ftols");
}

QComboBox* combo(QWidget* dlg)
{
    return dlg->findChild<QComboBox*>("card");
}

// Types a new value into the numeric editor and confirms it.
void typeAndConfirm(QDialog* editor, const QString& text)
{
    retype(child<QLineEdit>(editor, "ftolval"), text);
    click(editor, "ok");
}

// Reports whether any window was shown while it lived.
class ShowWatcher : public QObject
{
public:
    ShowWatcher() { qApp->installEventFilter(this); }
    ~ShowWatcher() override { qApp->removeEventFilter(this); }
    QStringList shown;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->isWindow())
            shown << watched->metaObject()->className();
        return false;
    }
};

} // namespace

class ServcfgDlgTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestStore> store_;
    FakeHelpViewer help_;
    std::string before_;

    // Loads the dialog fixture, as start-up does, and opens the main dialog.
    std::unique_ptr<CServcfgDlg> openDialog(const std::string& hive)
    {
        store_ = std::make_unique<TestStore>(hive);
        theApp.setRegistry(&store_->registry());
        before_ = store_->text();
        if (ConfigLoader(store_->registry()).load() != LoadResult::Loaded)
            return nullptr;
        auto dlg = std::make_unique<CServcfgDlg>();
        dlg->show();
        if (!QTest::qWaitForWindowActive(dlg.get()))
            return nullptr;
        return dlg;
    }

    // Changes Sampling Window of the NIC shown to `value` with the numeric editor.
    void editSamplingWindow(CServcfgDlg* dlg, const QString& value)
    {
        whenShown("FTOLCONS", [value](QDialog* editor) { typeAndConfirm(editor, value); });
        doubleClickRow(list(dlg), 1);
    }

    bool storeUnchanged() const { return store_->text() == before_; }

private slots:
    void everyPictureLoadsAtBothSizes()
    {
        const std::pair<QIcon, int> pictures[] = {{Images::icon(), 32}, {Images::decoration(), 64}};
        for (const auto& [icon, size] : pictures) {
            QVERIFY(!icon.isNull());
            QCOMPARE(icon.pixmap(QSize(size, size)).size(), QSize(size, size));
        }
        // The sharper copies QIcon takes on a screen of twice the density.
        for (const auto& [name, size] : {std::pair{"servcfg", 32}, std::pair{"decoration", 64}}) {
            const QImage sharp(QStringLiteral(":/nicsetup/%1@2x.png").arg(name));
            QCOMPARE(sharp.size(), QSize(2 * size, 2 * size));
        }
    }

    void initTestCase()
    {
        theApp.setHelpViewer(&help_);
        theApp.setHelpFile("/opt/velnet/bin/nicsetup.hlp");
    }

    void init() { help_.clear(); }

    void cleanup()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY2(visibleTopLevels().isEmpty(), qPrintable(visibleTopLevels().join(", ")));
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
        theApp.setRegistry(nullptr);
        store_.reset();
    }

    void theRoadFromStartToSave()
    {
        store_ = std::make_unique<TestStore>(fixtureText("dialog.reg"));
        theApp.setRegistry(&store_->registry());
        QtTestResponder responder;
        responder.expect(saveQuestion(Answer::Yes));
        bool walked = false;
        whenShown("CServcfgDlg", [&](QDialog* dlg) {
            // The third entry is adapter 2, the NIC with the VLANs Red and Blue.
            QComboBox* card = combo(dlg);
            card->setFocus();
            QTest::keyClick(card, Qt::Key_Down);
            QTest::keyClick(card, Qt::Key_Down);
            QVERIFY(card->currentText().startsWith("2. "));
            QCOMPARE(rowTexts(list(dlg))[1], QString("Sampling Window=2000"));

            whenShown("FTOLCONS", [](QDialog* editor) { typeAndConfirm(editor, "500"); });
            doubleClickRow(list(dlg), 1);
            QCOMPARE(rowTexts(list(dlg))[1], QString("Sampling Window=500"));
            QCOMPARE(ETHCard[1].SamplingWindow, 500u);
            walked = true;
            click(dlg, "initExit");
        });
        QCOMPARE(theApp.InitInstance(), 0);
        QVERIFY(walked);
        QVERIFY(responder.verify());

        TestStore& s = *store_;
        QCOMPARE(valueDword(s, parameters(1), "SamplingWindow"), std::optional<std::uint32_t>(500));
        QCOMPARE(valueDword(s, parameters(2), "SamplingWindow"), std::optional<std::uint32_t>(500));
        QCOMPARE(valueDword(s, parameters(0), "SamplingWindow"),
                 std::optional<std::uint32_t>(1000));
        const std::string cards = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards\\";
        QCOMPARE(valueText(s, cards + "1", "Title"),
                 std::string("[1] Corvane Velnet XL Server: Red"));
        QCOMPARE(valueText(s, cards + "2", "Title"),
                 std::string("[2] Corvane Velnet XL Server: Blue"));
        QCOMPARE(valueText(s, cards + "2", "Description"),
                 std::string("(VX410) Bus:1 Slot 4 Vlan:Blue"));
        QCOMPARE(valueText(s, "SOFTWARE\\Corvane", "PromptForReboot"), std::string("YES"));
    }

    void noServiceKeyEndsWithoutAWindow()
    {
        store_ = std::make_unique<TestStore>(
            HiveBuilder().instance(0, 1).key("SOFTWARE\\Corvane").str());
        theApp.setRegistry(&store_->registry());
        QtTestResponder responder;
        responder.expect(velnet::test::nicsetupBox(
            "Could not find any Velnet NIC's or registry corrupted!!!", Buttons::Ok, std::nullopt));
        ShowWatcher watcher;
        QCOMPARE(theApp.InitInstance(), 1);
        QVERIFY(responder.verify());
        QCOMPARE(watcher.shown, QStringList());
    }

    void controlsAndTexts()
    {
        auto dlg = openDialog(fixtureText("dialog.reg"));
        QVERIFY(dlg);
        QCOMPARE(dlg->windowTitle(), QString("Autocure Driver (ACD) Configuration"));
        QCOMPARE(velnet::test::dialogTemplateFault(dlg.get()), QString());
        QCOMPARE(dlg->findChild<QLabel*>("nicsLabel")->text(), QString("NICs Detected:"));
        QCOMPARE(dlg->findChild<QLabel*>("hint")->text(),
                 QString("Double-click a parameter to change its value."));
        QCOMPARE(child<QPushButton>(dlg.get(), "help")->text(), QString("&Help"));
        QCOMPARE(child<QPushButton>(dlg.get(), "initExit")->text(), QString("&OK"));
        QCOMPARE(child<QPushButton>(dlg.get(), "cancel")->text(), QString("&Cancel"));
        QVERIFY(!dlg->findChild<QLabel*>("picture")->pixmap().isNull());
        QCOMPARE(dlg->findChild<QLabel*>("status")->text(), QString());
        QVERIFY(!dlg->windowIcon().isNull());
        QCOMPARE(list(dlg.get())->headerItem()->text(0), QString("Parameters"));
        QCOMPARE(list(dlg.get())->headerItem()->text(1), QString("Values"));
        dlg->close();
    }

    void nicsSortAsTextAndKeepTheirAdapter()
    {
        auto dlg = openDialog(fixtureText("dialog.reg"));
        QVERIFY(dlg);
        QComboBox* card = combo(dlg.get());
        QStringList labels;
        QList<unsigned> adapters;
        for (int i = 0; i < card->count(); ++i) {
            labels << card->itemText(i);
            adapters << card->itemData(i).toUInt();
        }
        QCOMPARE(labels,
                 (QStringList{"1. Fast Velnet Server NIC [02:56:4E:00:00:01]  Slot 9  Bus 0",
                              "10. Fast Velnet Server NIC [Run vxtest]  Slot 3  Bus 2",
                              "2. Fast Velnet Server NIC [short-mac]  Slot 4  Bus 1"}));
        QCOMPARE(adapters, (QList<unsigned>{0, 9, 1}));

        // The first entry is shown; its AlertType 9 has no text.
        QCOMPARE(card->currentIndex(), 0);
        QCOMPARE(rowTexts(list(dlg.get())),
                 (QStringList{"Self Check Level=basic", "Sampling Window=1000",
                              "Sampling Ratio =10", "Error Tolerance=Medium", "Alert Type="}));
        QCOMPARE(selectedRow(list(dlg.get())), 0);

        // Choosing "10." shows adapter 10, not the second adapter.
        card->setFocus();
        QTest::keyClick(card, Qt::Key_Down);
        QCOMPARE(
            rowTexts(list(dlg.get())),
            (QStringList{"Self Check Level=Enhanced", "Sampling Window=100", "Sampling Ratio =5",
                         "Error Tolerance=High", "Alert Type=Information/Warning/Error"}));
        QTest::keyClick(card, Qt::Key_Down);
        QCOMPARE(rowTexts(list(dlg.get()))[1], QString("Sampling Window=2000"));
        QCOMPARE(rowTexts(list(dlg.get()))[4], QString("Alert Type=Off"));
        dlg->close();
    }

    void confirmingTheSameValueLeavesOkSilent()
    {
        auto dlg = openDialog(fixtureText("dialog.reg"));
        QVERIFY(dlg);
        QtTestResponder responder; // no box may appear
        editSamplingWindow(dlg.get(), "1000");
        whenShown("ftolconsx", [](QDialog* editor) { click(editor, "ok"); });
        doubleClickRow(list(dlg.get()), 0);
        // The choice editor stored "Basic" for "basic": a different text.
        QCOMPARE(textOf(ETHCard[0].SelfCheckLevel), "Basic");
        QVERIFY(dlg->isModified());
        dlg->close();

        dlg = openDialog(fixtureText("dialog.reg"));
        QVERIFY(dlg);
        editSamplingWindow(dlg.get(), "1000");
        whenShown("Alert", [](QDialog* editor) { click(editor, "ok"); });
        doubleClickRow(list(dlg.get()), 4);
        QVERIFY(!dlg->isModified());
        click(dlg.get(), "initExit");
        QVERIFY(!dlg->isVisible());
        QCOMPARE(dlg->result(), int(QDialog::Rejected));
        QVERIFY(storeUnchanged());
    }

    void afterAnEditTheSameRowStaysSelectedAndFocused()
    {
        auto dlg = openDialog(fixtureText("dialog.reg"));
        QVERIFY(dlg);
        whenShown("FTOLCONS", [](QDialog* editor) { typeAndConfirm(editor, "55"); });
        doubleClickRow(list(dlg.get()), 2);
        QCOMPARE(rowTexts(list(dlg.get()))[2], QString("Sampling Ratio =55"));
        QCOMPARE(selectedRow(list(dlg.get())), 2);
        QCOMPARE(list(dlg.get())->currentIndex().row(), 2);
        QCOMPARE(dlg->focusWidget(), list(dlg.get()));
        QVERIFY(dlg->isModified());

        // A cancelled editor changes nothing, and the row is still the one.
        whenShown("FTOLCONS", [](QDialog* editor) {
            QTest::keyClicks(editor->findChild<QLineEdit*>("ftolval"), "9");
            QTest::keyClick(editor, Qt::Key_Escape);
        });
        doubleClickRow(list(dlg.get()), 2);
        QCOMPARE(ETHCard[0].SamplingRatio, 55u);
        QCOMPARE(selectedRow(list(dlg.get())), 2);
        dlg->close();
    }

    void doubleClickWithoutARowOnlyFocusesTheList()
    {
        auto dlg = openDialog(fixtureText("dialog.reg"));
        QVERIFY(dlg);
        list(dlg.get())->clearSelection();
        child<QPushButton>(dlg.get(), "cancel")->setFocus();
        doubleClickBelowRows(list(dlg.get()));
        QCOMPARE(QApplication::focusWidget(), list(dlg.get()));
        QVERIFY(!dlg->isModified());
        dlg->close();
    }

    void cancelEscAndTheCloseBoxNeverSave_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("&Cancel") << "cancel";
        QTest::newRow("Esc") << "esc";
        QTest::newRow("close box") << "close";
        QTest::newRow("&OK, then No") << "no";
    }

    void cancelEscAndTheCloseBoxNeverSave()
    {
        QFETCH(QString, how);
        auto dlg = openDialog(fixtureText("dialog.reg"));
        QVERIFY(dlg);
        editSamplingWindow(dlg.get(), "42");
        QVERIFY(dlg->isModified());
        QtTestResponder responder;
        if (how == "cancel") {
            click(dlg.get(), "cancel");
        } else if (how == "esc") {
            QTest::keyClick(list(dlg.get()), Qt::Key_Escape);
        } else if (how == "close") {
            QVERIFY(dlg->close());
        } else {
            responder.expect(saveQuestion(Answer::No));
            click(dlg.get(), "initExit");
        }
        QVERIFY(responder.verify());
        QVERIFY(!dlg->isVisible());
        QCOMPARE(dlg->result(), int(QDialog::Rejected));
        QVERIFY(storeUnchanged());
    }

    void enterAsksLikeOkAndCancelStays()
    {
        auto dlg = openDialog(fixtureText("dialog.reg"));
        QVERIFY(dlg);
        QtTestResponder responder;
        // Not modified: Enter closes without a question, like "&OK".
        QVERIFY(child<QPushButton>(dlg.get(), "initExit")->isDefault());
        editSamplingWindow(dlg.get(), "64");
        responder.expect(saveQuestion(Answer::Cancel));
        QTest::keyClick(list(dlg.get()), Qt::Key_Return);
        QVERIFY(responder.verify());
        QVERIFY(dlg->isVisible());
        QVERIFY(storeUnchanged());

        responder.expect(saveQuestion(Answer::Yes));
        QTest::keyClick(combo(dlg.get()), Qt::Key_Enter);
        QVERIFY(responder.verify());
        QVERIFY(!dlg->isVisible());
        QCOMPARE(dlg->result(), int(QDialog::Accepted));
        QCOMPARE(valueDword(*store_, parameters(0), "SamplingWindow"),
                 std::optional<std::uint32_t>(64));
    }

    // A second copy on the same store saves first: this copy's save asks
    // before it writes over that, and No keeps the dialog with its edits.
    void aSaveOverAnotherCopysChangeAsksFirst()
    {
        auto dlg = openDialog(fixtureText("dialog.reg"));
        QVERIFY(dlg);
        editSamplingWindow(dlg.get(), "64");
        velnet::registry::FileRegistry other(store_->path());
        QCOMPARE(other.open(Root::LocalMachine, parameters(0), Access::Full)
                     .setDword("SamplingRatio", 33),
                 velnet::registry::Status::Success);
        const std::string theirs = store_->text();

        QtTestResponder responder;
        responder.expect(saveQuestion(Answer::Yes));
        responder.expect(changedByAnother(Answer::No));
        click(dlg.get(), "initExit");
        QVERIFY(responder.verify());
        QVERIFY(dlg->isVisible());
        QCOMPARE(rowTexts(list(dlg.get()))[1], QString("Sampling Window=64"));
        QCOMPARE(store_->text(), theirs);

        responder.expect(saveQuestion(Answer::Yes));
        responder.expect(changedByAnother(Answer::Yes));
        click(dlg.get(), "initExit");
        QVERIFY(responder.verify());
        QVERIFY(!dlg->isVisible());
        QCOMPARE(valueDword(*store_, parameters(0), "SamplingWindow"),
                 std::optional<std::uint32_t>(64));
        // Overwritten, as the user agreed: the dialog's value, read at start.
        QCOMPARE(valueDword(*store_, parameters(0), "SamplingRatio"),
                 std::optional<std::uint32_t>(10));
    }

    void enterWithoutChangesClosesSilently()
    {
        auto dlg = openDialog(fixtureText("dialog.reg"));
        QVERIFY(dlg);
        QtTestResponder responder;
        QTest::keyClick(list(dlg.get()), Qt::Key_Return);
        QVERIFY(!dlg->isVisible());
        QCOMPARE(dlg->result(), int(QDialog::Rejected));
        QVERIFY(storeUnchanged());
    }

    void keysOpenTheEditorOfTheSelectedRow_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("F2") << int(Qt::Key_F2);
        QTest::newRow("Space") << int(Qt::Key_Space);
    }

    void keysOpenTheEditorOfTheSelectedRow()
    {
        QFETCH(int, key);
        auto dlg = openDialog(fixtureText("dialog.reg"));
        QVERIFY(dlg);
        QTreeWidget* ftols = list(dlg.get());
        // Tabbed into, the list shows its focus on the selected row.
        child<QPushButton>(dlg.get(), "help")->setFocus();
        QTest::keyClick(child<QPushButton>(dlg.get(), "help"), Qt::Key_Tab);
        QTRY_COMPARE(QApplication::focusWidget(), ftols);
        QCOMPARE(ftols->currentIndex().row(), 0);
        QCOMPARE(selectedRow(ftols), 0);

        QStringList opened;
        whenShown("ftolconsx", [&](QDialog* editor) {
            opened << editor->objectName();
            QTest::keyClick(editor, Qt::Key_Escape);
        });
        QTest::keyClick(ftols, Qt::Key(key));
        QTRY_COMPARE(opened, QStringList{"ftolconsx"});

        QTest::keyClick(ftols, Qt::Key_Down);
        QCOMPARE(selectedRow(ftols), 1);
        whenShown("FTOLCONS", [&](QDialog* editor) {
            opened << editor->objectName();
            typeAndConfirm(editor, "77");
        });
        QTest::keyClick(ftols, Qt::Key(key));
        QTRY_COMPARE(opened, (QStringList{"ftolconsx", "FTOLCONS"}));
        QCOMPARE(rowTexts(ftols)[1], QString("Sampling Window=77"));
        QCOMPARE(selectedRow(ftols), 1);
        QCOMPARE(ftols->currentIndex().row(), 1);
        QCOMPARE(dlg->focusWidget(), ftols);
        QVERIFY(dlg->isModified());
        QVERIFY(dlg->isVisible());
        dlg->close();
    }

    void aboutIsInTheContextMenu_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Shift+F10") << "shift-f10";
        QTest::newRow("menu key") << "menu-key";
        QTest::newRow("right click") << "right-click";
    }

    void aboutIsInTheContextMenu()
    {
        QFETCH(QString, how);
        auto dlg = openDialog(fixtureText("dialog.reg"));
        QVERIFY(dlg);
        QStringList entries;
        QStringList about;
        QTimer::singleShot(0, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(menu);
            for (QAction* a : menu->actions())
                entries << a->text() + "=" + a->data().toString();
            whenShown("CAboutDlg", [&](QDialog* box) {
                about << box->windowTitle();
                for (QLabel* label : box->findChildren<QLabel*>())
                    if (!label->text().isEmpty())
                        about << label->text();
                about << child<QPushButton>(box, "ok")->text();
                click(box, "ok");
            });
            QTest::keyClick(menu, Qt::Key_Down);
            QTest::keyClick(menu, Qt::Key_Return);
        });
        QTreeWidget* ftols = list(dlg.get());
        if (how == "shift-f10") {
            QTest::keyClick(ftols, Qt::Key_F10, Qt::ShiftModifier);
        } else if (how == "menu-key") {
            // What the window system delivers for the menu key: a keyboard
            // context-menu request to the focused control.
            ftols->setFocus();
            QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(5, 5),
                                    ftols->mapToGlobal(QPoint(5, 5)));
            QApplication::sendEvent(ftols, &event);
        } else {
            QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(20, 20),
                                    ftols->viewport()->mapToGlobal(QPoint(20, 20)));
            QApplication::sendEvent(ftols->viewport(), &event);
        }
        QTRY_COMPARE(about.size(), 4);
        QCOMPARE(entries, QStringList{"&About Servcfg...=16"});
        QCOMPARE(about, (QStringList{"Corvane Fast Velnet Server NIC Driver",
                                     "Copyright (C) 2026 Corvane", "Version 1.2", "OK"}));
        QVERIFY(dlg->isVisible());
        dlg->close();
    }

    void helpOpensTheTopicOfTheDialog()
    {
        auto dlg = openDialog(fixtureText("dialog.reg"));
        QVERIFY(dlg);
        click(dlg.get(), "help");
        QTest::keyClick(list(dlg.get()), Qt::Key_F1);
        using Request = FakeHelpViewer::Request;
        const Request topic{
            FakeHelpViewer::Kind::Topic, "/opt/velnet/bin/nicsetup.hlp", 0x20066, {}};
        QCOMPARE(help_.requests().size(), std::size_t(2));
        QVERIFY(help_.requests()[0] == topic);
        QVERIFY(help_.requests()[1] == topic);
        QVERIFY(dlg->isVisible());
        dlg->close();

        // The help file shipped beside the program has that topic.
        const auto file = velnet::platform::HelpFile::load(NICSETUP_HELP_FILE);
        QVERIFY2(file, file.error().c_str());
        QVERIFY(file->find(0x20066));
        QCOMPARE(file->find(0x20066)->title, std::string("Autocure Driver (ACD) Configuration"));
    }

    void theDemoHiveLoadsQuietly()
    {
        QtTestResponder responder; // not one message
        auto dlg = openDialog(velnet::test::readFile(NICSETUP_DEMO_HIVE));
        QVERIFY(dlg);
        QStringList labels;
        for (int i = 0; i < combo(dlg.get())->count(); ++i)
            labels << combo(dlg.get())->itemText(i).section(' ', 0, 0) +
                          (combo(dlg.get())->itemText(i).contains("[Run vxtest]") ? " no MAC" : "");
        QCOMPARE(labels, (QStringList{"1.", "10.", "2.", "3.", "4. no MAC"}));
        QCOMPARE(ETHCard[2].VlanCount, 3u);
        QCOMPARE(RL_INFO[1][0], 1u);
        dlg->close();
    }

    void withoutNicsEverythingIsEmptyAndOkCloses()
    {
        auto withNics = openDialog(fixtureText("dialog.reg"));
        QVERIFY(withNics);
        const QSize size = withNics->size();
        withNics->close();
        withNics.reset();

        auto dlg =
            openDialog(HiveBuilder().key("SYSTEM\\CurrentControlSet\\Services\\vxsrvnt").str());
        QVERIFY(dlg);
        // Its one size does not depend on what the store holds.
        QCOMPARE(velnet::test::dialogTemplateFault(dlg.get()), QString());
        QCOMPARE(dlg->size(), size);
        QVERIFY(!list(dlg.get())->horizontalScrollBar()->isVisible());
        QCOMPARE(combo(dlg.get())->count(), 0);
        QCOMPARE(list(dlg.get())->topLevelItemCount(), 0);
        // The status line says what to do about it.
        QCOMPARE(dlg->findChild<QLabel*>("status")->text(),
                 QString("No NIC is configured. \"vxsrvnt install\" adds this computer's NICs; "
                         "see Help."));
        QVERIFY(dlg->findChild<QLabel*>("status")->isVisible());
        QtTestResponder responder;
        QTest::mouseDClick(list(dlg.get())->viewport(), Qt::LeftButton, {}, QPoint(10, 10));
        QVERIFY(!dlg->isModified());
        click(dlg.get(), "initExit");
        QVERIFY(!dlg->isVisible());
        QVERIFY(storeUnchanged());
    }
};

QTEST_MAIN(ServcfgDlgTest)
#include "ServcfgDlgTest.moc"
