// SPDX-License-Identifier: MIT
// Draws the echo test's pictures: the two computers joined by a cable on the
// Diagnostics page (bitmap 139), one computer (bitmap 140) and the strip of
// the 24-frame animation between two computers (animation 159), into
// cardcheck/resources/images. Run it again after changing a drawing:
//
//   bash tools/screenshots.sh echo
//
// Both pictures are painted on magenta, which the program treats as
// transparent because it is the colour of the top-left pixel.
#include "tools/PictureFile.h"

#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QString>

namespace {

const QColor kTransparent(255, 0, 255);
const QColor kOutline(40, 40, 48);
const QColor kCase(214, 210, 198);
const QColor kCaseShade(168, 162, 150);
const QColor kScreen(30, 72, 140);
const QColor kScreenGlow(90, 150, 220);
const QColor kCable(70, 70, 78);
const QColor kOutgoing(40, 170, 70);
const QColor kEcho(235, 140, 30);

constexpr int kFrameWidth = 36;
constexpr int kFrameHeight = 25;
constexpr int kFrames = 24;
constexpr int kHalf = kFrames / 2;

QImage blank(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(kTransparent);
    return image;
}

// A desktop computer: a monitor on a flat system unit, 40 x 36 pixels.
QImage drawComputer()
{
    QImage image = blank(40, 36);
    QPainter p(&image);
    p.setPen(kOutline);
    // Monitor housing and screen.
    p.setBrush(kCase);
    p.drawRect(6, 1, 27, 21);
    p.setBrush(kScreen);
    p.drawRect(9, 4, 21, 14);
    p.setPen(kScreenGlow);
    p.drawLine(11, 6, 17, 6);
    p.drawLine(11, 8, 14, 8);
    // Neck and system unit.
    p.setPen(kOutline);
    p.setBrush(kCaseShade);
    p.drawRect(16, 22, 7, 3);
    p.setBrush(kCase);
    p.drawRect(1, 25, 37, 9);
    p.setBrush(kCaseShade);
    p.drawRect(4, 28, 12, 2);
    p.setPen(kOutgoing);
    p.drawPoint(33, 29);
    p.drawPoint(34, 29);
    return image;
}

// Two computers on one cable, with a packet on its way: 100 x 36 pixels.
QImage drawEchoPicture()
{
    QImage image = blank(100, 36);
    QPainter p(&image);
    const QImage computer = drawComputer();
    p.drawImage(0, 0, computer);
    p.drawImage(60, 0, computer);
    p.setPen(kCable);
    p.drawLine(38, 30, 61, 30);
    p.drawLine(38, 31, 61, 31);
    p.setPen(kOutline);
    p.setBrush(kOutgoing);
    p.drawRect(44, 23, 6, 5);
    p.setBrush(kEcho);
    p.drawRect(52, 23, 6, 5);
    return image;
}

// One packet: a small framed block, with two paler copies trailing behind.
void drawPacket(QPainter& p, int x, int y, const QColor& colour, int direction)
{
    for (int ghost = 2; ghost >= 1; --ghost) {
        // Solid tints, never blended with the magenta background, so the
        // transparency mask leaves no pink fringe.
        p.setPen(Qt::NoPen);
        p.setBrush(colour.lighter(120 + 30 * ghost));
        p.drawRect(x - direction * 4 * ghost, y + 1, 5, 4);
    }
    p.setPen(kOutline);
    p.setBrush(colour);
    p.drawRect(x, y, 6, 5);
}

// Frames 0-11 carry a packet from the sender (left) to the responder; frames
// 12-23 carry the echo back, so frames 0-11 alone show packets leaving and
// all 24 frames the round trip.
QImage drawAnimationStrip()
{
    QImage strip = blank(kFrameWidth * kFrames, kFrameHeight);
    QPainter p(&strip);
    for (int frame = 0; frame < kFrames; ++frame) {
        p.save();
        p.translate(frame * kFrameWidth, 0);
        p.setClipRect(0, 0, kFrameWidth, kFrameHeight);
        // The cable between the two computers, with a plug at each end.
        p.setPen(kCable);
        p.drawLine(0, 17, kFrameWidth - 1, 17);
        p.drawLine(0, 18, kFrameWidth - 1, 18);
        p.fillRect(0, 15, 2, 6, kCable);
        p.fillRect(kFrameWidth - 2, 15, 2, 6, kCable);
        const int step = frame % kHalf;
        const int travel = kFrameWidth - 6 - 6; // from x = 3 to x = 27
        const int offset = 3 + travel * step / (kHalf - 1);
        if (frame < kHalf)
            drawPacket(p, offset, 10, kOutgoing, +1);
        else
            drawPacket(p, kFrameWidth - 6 - offset, 10, kEcho, -1);
        p.restore();
    }
    return strip;
}

// The picture as NAME.png and, every pixel doubled, as NAME@2x.png for
// screens of double density.
bool save(const QImage& image, const QString& name)
{
    using velnet::tools::writePicture;
    return writePicture(image, name + ".png") &&
           writePicture(
               image.scaled(image.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation),
               name + "@2x.png");
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    const bool ok = save(drawEchoPicture(), dir + "/echo139") &&
                    save(drawComputer(), dir + "/computer140") &&
                    save(drawAnimationStrip(), dir + "/animation159");
    return ok ? 0 : 1;
}
