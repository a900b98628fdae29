// SPDX-License-Identifier: MIT
#include "nicsetup/AboutDlg.h"
#include "nicsetup/Alert.h"
#include "nicsetup/AlertBits.h"
#include "nicsetup/FTOLCONS.h"
#include "nicsetup/Tables.h"
#include "nicsetup/ftolconsx.h"
#include "tests/support/DialogControls.h"
#include "tests/support/DialogTemplateCheck.h"
#include "tests/support/ExpectedBox.h"
#include "tests/support/QtTestResponder.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest/QtTest>

using namespace velnet::nicsetup;
using namespace velnet::test;
using namespace velnet::ui;

namespace {

const unsigned kAdapter = 4;

ScriptedResponder::Expectation okBox(const QString& text)
{
    return velnet::test::nicsetupBox(text.toStdString());
}

CARD_INFO& card()
{
    return ETHCard[kAdapter];
}

// Replaces the edit's text as a paste does: one change with the whole text.
void pasteInto(QLineEdit* edit, const QString& text)
{
    QTest::mouseClick(edit, Qt::LeftButton);
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty()) {
        QTest::keyClick(edit, Qt::Key_Backspace);
        return;
    }
    QApplication::clipboard()->setText(text);
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
}

} // namespace

class EditorDialogTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        clearTables();
        card().CardFlags = CARD_IN_USE;
        card().SamplingWindow = 1000;
        card().SamplingRatio = 10;
        setText(card().SelfCheckLevel, "basic");
        setText(card().ErrorTolerance, "Medium");
    }

    void cleanup()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY2(visibleTopLevels().isEmpty(), qPrintable(visibleTopLevels().join(", ")));
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
    }

    void numericEditorOpensWithTheValueAndOkFocused()
    {
        FTOLCONS editor(kAdapter, "Sampling Window", 1);
        editor.show();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        QCOMPARE(editor.windowTitle(), QString("Autocure Driver (ACD) Configuration"));
        QCOMPARE(velnet::test::dialogTemplateFault(&editor), QString());
        QCOMPARE(child<QLabel>(&editor, "ftolname")->text(), QString("Sampling Window"));
        QCOMPARE(child<QLineEdit>(&editor, "ftolval")->text(), QString("1000"));
        QCOMPARE(QApplication::focusWidget(), child<QPushButton>(&editor, "ok"));
        QVERIFY(child<QPushButton>(&editor, "ok")->isDefault());
        QCOMPARE(child<QPushButton>(&editor, "cancel")->text(), QString("Cancel"));
        editor.close();
    }

    void numericEditorOk_data()
    {
        QTest::addColumn<unsigned>("row");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("typing");
        QTest::addColumn<QString>("onOk"); // empty: accepted
        QTest::addColumn<unsigned>("stored");

        const QString windowDigits = "Sampling Window Parameter Value can only be numeric ";
        const QString windowBound = "Sampling Window Parameter Value cannot exceed 65536";
        const QString ratioDigits = "Sampling Ratio Parameter Value can only be numeric ";
        QTest::newRow("65536") << 1u << "65536" << QStringList{} << "" << 65536u;
        QTest::newRow("65537") << 1u << "65537" << QStringList{windowBound} << windowBound << 1000u;
        QTest::newRow("huge") << 1u << "184467440737095516170000" << QStringList{windowBound}
                              << windowBound << 1000u;
        QTest::newRow("70000x") << 1u << "70000x" << QStringList{windowDigits, windowBound}
                                << windowBound << 1000u;
        QTest::newRow("-5") << 1u << "-5" << QStringList{windowDigits} << windowDigits << 1000u;
        QTest::newRow("empty") << 1u << "" << QStringList{} << "" << 0u;
        QTest::newRow("007") << 1u << "007" << QStringList{} << "" << 7u;
        QTest::newRow("blank 5") << 1u << " 5" << QStringList{windowDigits} << windowDigits
                                 << 1000u;
        QTest::newRow("ratio 100") << 2u << "100" << QStringList{} << "" << 100u;
        QTest::newRow("ratio 101")
            << 2u << "101" << QStringList{"Sampling Ratio Parameter Value cannot exceed 100%"}
            << "Sampling Ratio parameter Value cannot exceed 100%" << 10u;
        QTest::newRow("ratio 1.5") << 2u << "1.5" << QStringList{ratioDigits} << ratioDigits << 10u;
    }

    void numericEditorOk()
    {
        QFETCH(unsigned, row);
        QFETCH(QString, text);
        QFETCH(QStringList, typing);
        QFETCH(QString, onOk);
        QFETCH(unsigned, stored);

        FTOLCONS editor(kAdapter, row == 1 ? "Sampling Window" : "Sampling Ratio ", row);
        editor.show();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        auto* edit = child<QLineEdit>(&editor, "ftolval");
        {
            QtTestResponder responder;
            for (const QString& m : typing)
                responder.expect(okBox(m));
            pasteInto(edit, text);
            QVERIFY(responder.verify());
            QCOMPARE(edit->text(), text);
        }
        QtTestResponder responder;
        if (!onOk.isEmpty())
            responder.expect(okBox(onOk));
        click(&editor, "ok");
        QVERIFY(responder.verify());
        QCOMPARE(editor.isVisible(), !onOk.isEmpty());
        QCOMPARE(row == 1 ? card().SamplingWindow : card().SamplingRatio, stored);
        if (!onOk.isEmpty()) {
            // Rejected: the text stays as typed for the user to correct.
            QCOMPARE(edit->text(), text);
            QTest::keyClick(&editor, Qt::Key_Escape);
            QVERIFY(!editor.isVisible());
            QCOMPARE(editor.result(), int(QDialog::Rejected));
        } else {
            QCOMPARE(editor.result(), int(QDialog::Accepted));
        }
        QCOMPARE(row == 1 ? card().SamplingWindow : card().SamplingRatio, stored);
    }

    void typing12aShowsOnlyTheDigitsMessage()
    {
        FTOLCONS editor(kAdapter, "Sampling Window", 1);
        editor.show();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        auto* edit = child<QLineEdit>(&editor, "ftolval");
        QtTestResponder responder;
        responder.expect(okBox("Sampling Window Parameter Value can only be numeric "));
        retype(edit, "12a");
        QVERIFY(responder.verify());
        QCOMPARE(edit->text(), QString("12a"));

        // Enter is OK: refused the same way, and the record keeps its value.
        responder.expect(okBox("Sampling Window Parameter Value can only be numeric "));
        QTest::keyClick(edit, Qt::Key_Return);
        QVERIFY(responder.verify());
        QVERIFY(editor.isVisible());
        QCOMPARE(card().SamplingWindow, 1000u);
        click(&editor, "cancel");
        QVERIFY(!editor.isVisible());
        QCOMPARE(card().SamplingWindow, 1000u);
    }

    void typingAboveTheRatioBoundSaysSoWithCapitalParameter()
    {
        FTOLCONS editor(kAdapter, "Sampling Ratio ", 2);
        editor.show();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        auto* edit = child<QLineEdit>(&editor, "ftolval");
        QtTestResponder responder;
        responder.expect(okBox("Sampling Ratio Parameter Value cannot exceed 100%"));
        retype(edit, "101");
        QVERIFY(responder.verify());
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClick(edit, Qt::Key_Return);
        QVERIFY(!editor.isVisible());
        QCOMPARE(card().SamplingRatio, 10u);
    }

    void choiceEditorSelectsByPrefixIgnoringCase()
    {
        ftolconsx editor(kAdapter, "Self Check Level", 0);
        editor.show();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        auto* combo = child<QComboBox>(&editor, "choice");
        QCOMPARE(editor.windowTitle(), QString("Autocure Driver (ACD) Configuration"));
        QCOMPARE(velnet::test::dialogTemplateFault(&editor), QString());
        QCOMPARE(child<QLabel>(&editor, "choiceLabel")->text(), QString("Self Check Level"));
        QCOMPARE(comboTexts(combo), (QStringList{"Basic", "Enhanced", "Off"}));
        QCOMPARE(combo->currentText(), QString("Basic"));
        QCOMPARE(QApplication::focusWidget(), child<QPushButton>(&editor, "ok"));

        // Choose "Off" with the keyboard and confirm.
        combo->setFocus();
        QTest::keyClick(combo, Qt::Key_End);
        QCOMPARE(combo->currentText(), QString("Off"));
        click(&editor, "ok");
        QCOMPARE(editor.result(), int(QDialog::Accepted));
        QCOMPARE(textOf(card().SelfCheckLevel), "Off");
    }

    void choiceEditorCancelKeepsTheWord()
    {
        ftolconsx editor(kAdapter, "Error Tolerance", 3);
        editor.show();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        auto* combo = child<QComboBox>(&editor, "choice");
        QCOMPARE(comboTexts(combo), (QStringList{"High", "Low", "Medium"}));
        QCOMPARE(combo->currentText(), QString("Medium"));
        combo->setFocus();
        QTest::keyClick(combo, Qt::Key_Home);
        QCOMPARE(combo->currentText(), QString("High"));
        QTest::keyClick(&editor, Qt::Key_Escape);
        QVERIFY(!editor.isVisible());
        QCOMPARE(textOf(card().ErrorTolerance), "Medium");
    }

    void choiceEditorWithoutAMatchSelectsNothingAndKeepsTheWord()
    {
        setText(card().SelfCheckLevel, "Normal");
        ftolconsx editor(kAdapter, "Self Check Level", 0);
        editor.show();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        auto* combo = child<QComboBox>(&editor, "choice");
        QCOMPARE(combo->currentIndex(), -1);
        QCOMPARE(combo->currentText(), QString());
        QTest::keyClick(&editor, Qt::Key_Return);
        QVERIFY(!editor.isVisible());
        QCOMPARE(textOf(card().SelfCheckLevel), "Normal");
    }

    void alertEditorShowsTheThreeKindsOfValue9()
    {
        card().AlertType = 9;
        Alert editor(kAdapter, "Alert Type", 4);
        editor.show();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        QCOMPARE(editor.windowTitle(), QString("ACD  Configuration"));
        QCOMPARE(velnet::test::dialogTemplateFault(&editor), QString());
        auto* list = child<QTreeWidget>(&editor, "vallist");
        QCOMPARE(list->headerItem()->text(0), QString("Name"));
        QCOMPARE(list->headerItem()->text(1), QString("Value"));
        QCOMPARE(rowTexts(list),
                 (QStringList{"Information=Enabled", "Warning=Disabled", "Error=Disabled"}));
        QCOMPARE(child<QPushButton>(&editor, "ok")->text(), QString("&OK"));
        QCOMPARE(QApplication::focusWidget(), child<QPushButton>(&editor, "ok"));

        doubleClickRow(list, 0);
        QCOMPARE(card().AlertType, 0u);
        QCOMPARE(rowTexts(list),
                 (QStringList{"Information=Disabled", "Warning=Disabled", "Error=Disabled"}));
        QCOMPARE(selectedRow(list), 0);
        QCOMPARE(list->currentIndex().row(), 0);
        click(&editor, "ok");
        QVERIFY(!editor.isVisible());
        QCOMPARE(card().AlertType, 0u);
    }

    void alertTogglesAreStoredAtOnceAndEscKeepsThem()
    {
        card().AlertType = 0;
        Alert editor(kAdapter, "Alert Type", 4);
        editor.show();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        auto* list = child<QTreeWidget>(&editor, "vallist");

        // Nothing selected yet: a double-click where there is no row changes nothing.
        QCOMPARE(selectedRow(list), -1);
        doubleClickBelowRows(list);
        QCOMPARE(card().AlertType, 0u);

        doubleClickRow(list, 0);
        QCOMPARE(card().AlertType, 1u);
        doubleClickRow(list, 2);
        QCOMPARE(card().AlertType, 5u);
        QCOMPARE(rowTexts(list),
                 (QStringList{"Information=Enabled", "Warning=Disabled", "Error=Enabled"}));
        QCOMPARE(e1, 1u);
        QCOMPARE(e3, 4u);
        doubleClickRow(list, 2);
        QCOMPARE(card().AlertType, 1u);
        QCOMPARE(selectedRow(list), 2);
        QCOMPARE(e3, 0u);

        QTest::keyClick(&editor, Qt::Key_Escape);
        QVERIFY(!editor.isVisible());
        QCOMPARE(card().AlertType, 1u);
    }

    void alertEditorRowsToggleWithSpaceOnceTabbedInto()
    {
        card().AlertType = 0;
        Alert editor(kAdapter, "Alert Type", 4);
        editor.show();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        auto* list = child<QTreeWidget>(&editor, "vallist");
        QCOMPARE(QApplication::focusWidget(), child<QPushButton>(&editor, "ok"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTRY_COMPARE(QApplication::focusWidget(), list);
        // Where the focus is shows: the first row is current and selected.
        QCOMPARE(list->currentIndex().row(), 0);
        QCOMPARE(selectedRow(list), 0);

        QTest::keyClick(list, Qt::Key_Space);
        QCOMPARE(card().AlertType, 1u);
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Space);
        QCOMPARE(card().AlertType, 5u);
        QCOMPARE(rowTexts(list),
                 (QStringList{"Information=Enabled", "Warning=Disabled", "Error=Enabled"}));
        QCOMPARE(selectedRow(list), 2);
        QTest::keyClick(list, Qt::Key_Space);
        QCOMPARE(card().AlertType, 1u);
        QCOMPARE(list->currentIndex().row(), 2);
        // Enter still closes the editor.
        QTest::keyClick(list, Qt::Key_Return);
        QVERIFY(!editor.isVisible());
        QCOMPARE(card().AlertType, 1u);
    }

    void aboutBoxIsADialogTemplate()
    {
        CAboutDlg about;
        about.show();
        QVERIFY(QTest::qWaitForWindowActive(&about));
        QCOMPARE(about.windowTitle(), QString("Corvane Fast Velnet Server NIC Driver"));
        QCOMPARE(velnet::test::dialogTemplateFault(&about), QString());
    }
};

QTEST_MAIN(EditorDialogTest)
#include "EditorDialogTest.moc"
