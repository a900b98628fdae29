// SPDX-License-Identifier: MIT
#include "cardcheck/ui/PictureWindow.h"

#include <QIcon>
#include <QImage>
#include <QtTest/QTest>

using velnet::cardcheck::PictureWindow;

// Every picture the program shows, loaded the way the program loads it and
// with nothing registered by the test itself: a picture that only a test's
// own registration makes visible would be missing in the program.
class ImagesTest : public QObject
{
    Q_OBJECT

private slots:
    void everyBitmapLoadsAtBothPixelRatios_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QSize>("size");
        QTest::newRow("137 bug") << 137 << QSize(96, 96);
        QTest::newRow("139 echo") << int(PictureWindow::EchoComputers) << QSize();
        QTest::newRow("140 computer") << int(PictureWindow::Computer) << QSize();
        QTest::newRow("141 logo") << int(PictureWindow::Logo) << QSize(150, 44);
        QTest::newRow("142 splash") << int(PictureWindow::Splash) << QSize();
        QTest::newRow("143 warning") << int(PictureWindow::Warning) << QSize();
    }
    void everyBitmapLoadsAtBothPixelRatios()
    {
        QFETCH(int, id);
        QFETCH(QSize, size);
        const QImage normal = PictureWindow::loadBitmap(id, 1.0);
        const QImage sharp = PictureWindow::loadBitmap(id, 2.0);
        QVERIFY(!normal.isNull());
        QVERIFY(!sharp.isNull());
        QCOMPARE(sharp.size(), normal.size() * 2);
        QCOMPARE(sharp.deviceIndependentSize().toSize(), normal.size());
        if (size.isValid())
            QCOMPARE(normal.size(), size);
        QVERIFY(PictureWindow::loadBitmap(138, 1.0).isNull());
    }

    void theIconAndTheAnimationStripLoad()
    {
        for (int size : {16, 32, 48, 64}) {
            const QImage icon(
                QStringLiteral(":/cardcheck/images/warning143-icon-%1.png").arg(size));
            QCOMPARE(icon.size(), QSize(size, size));
        }
        const QImage strip(QStringLiteral(":/cardcheck/images/animation159.png"));
        const QImage strip2x(QStringLiteral(":/cardcheck/images/animation159@2x.png"));
        QVERIFY(!strip.isNull());
        QCOMPARE(strip2x.size(), strip.size() * 2);
    }
};

QTEST_MAIN(ImagesTest)
#include "ImagesTest.moc"
