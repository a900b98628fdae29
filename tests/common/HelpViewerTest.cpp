// SPDX-License-Identifier: MIT
#include "common/platform/HelpWindow.h"
#include "common/platform/QtHelpViewer.h"
#include "tests/support/QtTestResponder.h"
#include "tests/support/TempDir.h"

#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QScreen>
#include <QTextBrowser>
#include <QTimer>
#include <QWhatsThis>
#include <QtTest/QtTest>

using velnet::platform::HelpWindow;
using velnet::platform::QtHelpViewer;

class HelpViewerTest : public QObject
{
    Q_OBJECT

private:
    velnet::test::TempDir dir_;
    std::string file_ = dir_.file("prog.hlp");

    static QWidget* visibleTopLevel(const char* className)
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->inherits(className))
                return w;
        return nullptr;
    }

private slots:
    void initTestCase()
    {
        QApplication::setApplicationDisplayName("prog");
        velnet::test::writeFile(file_, "[0x20066] Main window\n"
                                       "Choose a NIC\nand a value.\n\nThen save.\n"
                                       "[0x60401] Pop-up\n"
                                       "What this control does.\n");
    }

    void cleanup()
    {
        QWhatsThis::hideText();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible())
                w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
    }

    void topicOpensOneWindowThatIsReused()
    {
        QtHelpViewer viewer;
        QVERIFY(viewer.showTopic(file_, 0x20066));
        auto* window = qobject_cast<HelpWindow*>(visibleTopLevel("velnet::platform::HelpWindow"));
        QVERIFY(window);
        // The help file's caption, not the topic's: that is a dialog's caption.
        QCOMPARE(window->windowTitle(), QString("prog Help"));
        auto* text = window->findChild<QTextBrowser*>("helpText");
        QVERIFY(text);
        QCOMPARE(text->toPlainText(),
                 QString("Main window\nChoose a NIC and a value.\nThen save."));

        QVERIFY(viewer.showTopic(file_, 0x60401));
        QCOMPARE(visibleTopLevel("velnet::platform::HelpWindow"), window);
        QCOMPARE(window->findChild<QTextBrowser*>("helpText")->toPlainText(),
                 QString("Pop-up\nWhat this control does."));

        // Read, it is put away with Escape, from its text as from anywhere in it.
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTest::keyClick(window->findChild<QTextBrowser*>("helpText"), Qt::Key_Escape);
        QTRY_VERIFY(!visibleTopLevel("velnet::platform::HelpWindow"));
    }

    void windowBelongsToTheModalDialogThatAsked()
    {
        QtHelpViewer viewer;
        QDialog dialog;
        QPointer<QWidget> help;
        QTimer::singleShot(0, [&] {
            QVERIFY(viewer.showTopic(file_, 0x20066));
            help = visibleTopLevel("velnet::platform::HelpWindow");
            dialog.reject();
        });
        dialog.exec();
        QVERIFY(help);
        QCOMPARE(help->parentWidget(), &dialog);
        QVERIFY(help->isWindow());
    }

    void windowOpensWhollyOnTheScreen()
    {
        QtHelpViewer viewer;
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        // An owner in the screen's bottom right corner, and one in the top left.
        for (const QPoint corner : {QPoint(screen.right() - 120, screen.bottom() - 80),
                                    QPoint(screen.left(), screen.top())}) {
            QDialog dialog;
            dialog.setGeometry(QRect(corner, QSize(100, 60)));
            QRect help;
            QTimer::singleShot(0, [&] {
                QVERIFY(viewer.showTopic(file_, 0x20066));
                QWidget* window = visibleTopLevel("velnet::platform::HelpWindow");
                QVERIFY(window);
                QVERIFY(QTest::qWaitForWindowExposed(window));
                help = window->frameGeometry();
                window->close();
                dialog.reject();
            });
            dialog.exec();
            QVERIFY2(screen.contains(help), qPrintable(QString("help window at %1,%2 %3x%4")
                                                           .arg(help.x())
                                                           .arg(help.y())
                                                           .arg(help.width())
                                                           .arg(help.height())));
        }
    }

    void missingTopicOrFileIsReported()
    {
        QtHelpViewer viewer;
        velnet::test::QtTestResponder responder;
        responder.expect({.text = "The help file " + file_ + " has no topic 0x20067.",
                          .caption = "prog",
                          .buttons = velnet::ui::Buttons::Ok,
                          .icon = velnet::ui::Icon::Warning,
                          .answer = velnet::ui::Answer::Ok,
                          .onShow = {}});
        responder.expect("The help file " + dir_.file("none.hlp") +
                         " cannot be used: cannot be read.");
        QVERIFY(!viewer.showTopic(file_, 0x20067));
        QVERIFY(!viewer.showPopup(dir_.file("none.hlp"), 1, QPoint(5, 5)));
        QVERIFY(responder.verify());
        QVERIFY(!visibleTopLevel("velnet::platform::HelpWindow"));
    }

    void contextMenuOffersWhatsThisAndShowsThePopup()
    {
        QtHelpViewer viewer;
        QString entries;
        QTimer::singleShot(0, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(menu);
            for (QAction* a : menu->actions())
                entries += a->text() + ";";
            QTest::keyClick(menu, Qt::Key_Down);
            QTest::keyClick(menu, Qt::Key_Return);
        });
        viewer.showContextMenu(file_, 0x60401, QPoint(40, 30));
        QCOMPARE(entries, QString("What's This?;"));
        QWidget* popup = visibleTopLevel("QWidget");
        QVERIFY(popup);
        QCOMPARE(QString(popup->metaObject()->className()), QString("QWhatsThat"));
    }

    void dismissedContextMenuShowsNothing()
    {
        QtHelpViewer viewer;
        QTimer::singleShot(0, [] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(menu);
            QTest::keyClick(menu, Qt::Key_Escape);
        });
        viewer.showContextMenu(file_, 0x60401, QPoint(40, 30));
        QVERIFY(!visibleTopLevel("QWidget"));
    }
};

QTEST_MAIN(HelpViewerTest)
#include "HelpViewerTest.moc"
