// SPDX-License-Identifier: MIT
#include "cardcheck/sheet/CMainDlg.h"
#include "cardcheck/sheet/StartupDiscovery.h"
#include "common/platform/FakeHelpViewer.h"
#include "common/registry/FileRegistry.h"
#include "tests/support/QtTestResponder.h"
#include "tests/support/SimulatedNics.h"
#include "tests/support/TempDir.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QScreen>
#include <QtTest/QTest>

using namespace velnet::cardcheck;

// The sheet on a 1280x900 screen at twice the usual scale (ctest gives this
// test that screen): all of it, its buttons above all, stays on the screen.
class ScreenFitTest : public QObject
{
    Q_OBJECT

private slots:
    void theSheetFitsOnASmallScaledScreen()
    {
        QScreen* screen = QGuiApplication::primaryScreen();
        QCOMPARE(screen->geometry().size(), QSize(640, 450));
        const QRect available = screen->availableGeometry();

        test::SimulatedNics nics("two-servers.json");
        std::string error;
        QCOMPARE(StartupDiscovery::run(error, false), 2);
        velnet::test::QtTestResponder responder;
        velnet::registry::FileRegistry store(dir_.file("registry.reg"));
        velnet::platform::FakeHelpViewer help;
        SheetContext context{store, help};
        CMainDlg sheet(context);
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        QTest::qWait(20);
        QVERIFY2(available.contains(sheet.frameGeometry()),
                 qPrintable(QString("sheet %1x%2 at %3,%4")
                                .arg(sheet.frameGeometry().width())
                                .arg(sheet.frameGeometry().height())
                                .arg(sheet.frameGeometry().x())
                                .arg(sheet.frameGeometry().y())));
        auto* buttons = sheet.findChild<QDialogButtonBox*>("buttonBox");
        for (QAbstractButton* button : buttons->buttons()) {
            const QRect onScreen(button->mapToGlobal(QPoint()), button->size());
            QVERIFY(available.contains(onScreen));
            QVERIFY(button->isVisible());
        }
        // Every page can still be reached whole.
        QTest::mouseClick(buttons->button(QDialogButtonBox::Cancel), Qt::LeftButton);
        QVERIFY(!sheet.isVisible());
    }

private:
    velnet::test::TempDir dir_;
};

QTEST_MAIN(ScreenFitTest)
#include "ScreenFitTest.moc"
