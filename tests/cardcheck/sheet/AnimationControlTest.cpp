// SPDX-License-Identifier: MIT
#include "cardcheck/sheet/AnimationControl.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QSet>
#include <QtTest/QtTest>

using velnet::cardcheck::AnimationControl;
using namespace std::chrono_literals;

namespace {
const QString kClip = QStringLiteral(":/cardcheck/images/animation159.png");
} // namespace

class AnimationControlTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void theEchoClipHas24FramesOf36By25()
    {
        AnimationControl control;
        QVERIFY(control.open(kClip, 24, 66667us));
        QCOMPARE(control.frameCount(), 24);
        QCOMPARE(control.sizeHint(), QSize(36, 25));
        QCOMPARE(control.currentFrame(), 0);
        QVERIFY(!control.isPlaying());
    }

    void aStripThatDoesNotDivideIntoFramesIsRefused()
    {
        AnimationControl control;
        QVERIFY(!control.open(kClip, 25, 66667us));
        QVERIFY(!control.open(QStringLiteral(":/no/such.png"), 24, 66667us));
        control.play(0, 23);
        QVERIFY(!control.isPlaying());
    }

    void theShortLoopStaysInFramesZeroToEleven()
    {
        AnimationControl control;
        QVERIFY(control.open(kClip, 24, 66667us));
        control.play(0, 11);
        QVERIFY(control.isPlaying());
        QSet<int> seen;
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 1200) {
            QTest::qWait(20);
            seen.insert(control.currentFrame());
        }
        for (int frame : seen)
            QVERIFY2(frame >= 0 && frame <= 11, qPrintable(QString::number(frame)));
        QVERIFY2(seen.size() >= 4, "the clip does not move");
    }

    void theFullLoopReachesTheEchoFramesNoFasterThanTheClipRate()
    {
        AnimationControl control;
        QVERIFY(control.open(kClip, 24, 66667us));
        QElapsedTimer clock;
        clock.start();
        control.play(0, 23);
        QTRY_VERIFY_WITH_TIMEOUT(control.currentFrame() >= 12, 5000);
        // Frame 12 is due 12 x 66.667 ms after the start.
        QVERIFY2(clock.elapsed() >= 790, qPrintable(QString::number(clock.elapsed())));
    }

    void stopHoldsTheFrameAndSeekShowsFrameZero()
    {
        AnimationControl control;
        QVERIFY(control.open(kClip, 24, 66667us));
        control.play(0, 23);
        QTRY_VERIFY_WITH_TIMEOUT(control.currentFrame() > 2, 3000);
        control.stop();
        const int held = control.currentFrame();
        QTest::qWait(250);
        QCOMPARE(control.currentFrame(), held);
        control.seek(0);
        QCOMPARE(control.currentFrame(), 0);
        QVERIFY(!control.isPlaying());
    }

    void theBackgroundColourIsTransparent()
    {
        QWidget window;
        window.setAutoFillBackground(true);
        QPalette palette = window.palette();
        palette.setColor(QPalette::Window, QColor(10, 200, 10));
        window.setPalette(palette);
        auto* control = new AnimationControl(&window);
        QVERIFY(control->open(kClip, 24, 66667us));
        control->resize(36, 25);
        window.resize(36, 25);
        const QImage shot = window.grab().toImage();
        QCOMPARE(QColor(shot.pixel(0, 0)), QColor(10, 200, 10));
        bool drawn = false;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x) {
                const QColor c(shot.pixel(x, y));
                QVERIFY2(c != QColor(255, 0, 255), "magenta left in the picture");
                drawn = drawn || c != QColor(10, 200, 10);
            }
        QVERIFY2(drawn, "nothing of the frame was painted");
    }
};

QTEST_MAIN(AnimationControlTest)
#include "AnimationControlTest.moc"
