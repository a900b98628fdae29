// SPDX-License-Identifier: MIT
// Draws the pictures of the NICs that the card-type libraries show on the
// General page: the Server XL (VX410CFG's bitmap SERVERXL), the Desktop XL
// (VX210CFG's DESKTOPXL) and the generic Ethernet NIC (ETHCFG's ETHNIC). The
// libraries embed the PNG files this writes; run it after changing a drawing:
//
//   bash tools/screenshots.sh cards
//
// Each picture is drawn on light grey, which the program treats as
// transparent because it is the colour of the top-left pixel.
#include "tools/PictureFile.h"

#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>

namespace {

const QColor kBackground(0xC0C0C0);

// A simulated card's picture: its board colour, the number of large
// controller chips, and whether it has the taller server bracket with two
// link lights.
struct CardStyle
{
    QRgb board;
    int controllers;
    bool serverBracket;
};

QImage blank(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(kBackground);
    return image;
}

QImage drawSimulatedCard(const CardStyle& style)
{
    const QColor metal(0x9CA3AB);
    const QColor metalEdge(0x6B7178);
    const QColor gold(0xD4A017);
    const QColor chip(0x26282B);
    const QColor trace(0x7FB069);

    QImage image = blank(96, 64);
    QPainter p(&image);
    // Board, with a darker edge and a few traces.
    p.fillRect(14, 8, 78, 42, QColor(style.board));
    p.fillRect(14, 48, 78, 2, trace);
    for (int y = 14; y < 46; y += 8)
        p.fillRect(22, y, 18, 1, trace);
    // Edge connector.
    for (int x = 30; x < 82; x += 3)
        p.fillRect(x, 50, 2, 6, gold);
    // Controller chips and a small EEPROM.
    for (int i = 0; i < style.controllers; ++i)
        p.fillRect(46 + i * 22, 16, 18, 18, chip);
    p.fillRect(26, 36, 8, 6, chip);
    // Mounting bracket with the RJ-45 socket and link lights.
    const int bracketTop = style.serverBracket ? 2 : 6;
    p.fillRect(4, bracketTop, 8, 60 - bracketTop, metal);
    p.fillRect(11, bracketTop, 1, 60 - bracketTop, metalEdge);
    p.fillRect(2, 20, 12, 12, QColor(0x303030));
    p.fillRect(5, 23, 6, 6, QColor(0x101010));
    p.fillRect(6, 12, 3, 3, QColor(0x3CC43C));
    if (style.serverBracket)
        p.fillRect(6, 36, 3, 3, QColor(0xF0C419));
    return image;
}

// The generic Ethernet NIC: a green board with one controller, an RJ-45 port
// on its bracket and gold contacts.
QImage drawEthernetCard()
{
    const QColor pins(0xC8C8C8);
    const QColor board(0x2E8B45);

    QImage image = blank(160, 96);
    QPainter p(&image);
    // Board with a darker edge.
    p.fillRect(18, 14, 134, 60, QColor(0x1E5E2E));
    p.fillRect(20, 16, 130, 56, board);
    // Bracket on the left, with the port and two link lights.
    p.fillRect(6, 8, 10, 78, QColor(0xA8A8B0));
    p.fillRect(8, 8, 6, 78, QColor(0xD0D0D8));
    p.fillRect(14, 30, 16, 22, QColor(0x303030));
    p.fillRect(16, 33, 12, 16, QColor(0x101010));
    p.fillRect(18, 40, 8, 8, QColor(0xB09040));
    p.fillRect(16, 24, 4, 4, QColor(0x40E040));
    p.fillRect(24, 24, 4, 4, QColor(0xF0B020));
    // Controller chip with its pins, a crystal, a few small parts.
    p.fillRect(70, 26, 32, 32, QColor(0x202024));
    for (int i = 0; i < 6; ++i) {
        p.fillRect(74 + i * 5, 23, 2, 3, pins);
        p.fillRect(74 + i * 5, 58, 2, 3, pins);
        p.fillRect(67, 30 + i * 5, 3, 2, pins);
        p.fillRect(102, 30 + i * 5, 3, 2, pins);
    }
    p.fillRect(112, 30, 10, 6, QColor(0xD8D8E0));
    p.fillRect(40, 24, 18, 10, QColor(0x181818));
    for (int i = 0; i < 4; ++i)
        p.fillRect(118 + i * 7, 48, 4, 8, QColor(0x705030));
    // Gold edge contacts below the board.
    p.fillRect(44, 74, 96, 8, board);
    for (int i = 0; i < 24; ++i)
        p.fillRect(46 + i * 4, 75, 2, 7, QColor(0xE0B840));
    return image;
}

} // namespace

// DrawCardPictures TOP: writes each picture into its library's folder below
// the top of the source tree.
int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QString top = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    using velnet::tools::writePicture;
    const bool ok =
        writePicture(drawSimulatedCard({0x1E6B3A, 2, true}),
                     top + "/libraries/simulated/vx410cfg/picture/serverxl.png") &&
        writePicture(drawSimulatedCard({0x2B4F8C, 1, false}),
                     top + "/libraries/simulated/vx210cfg/picture/desktopxl.png") &&
        writePicture(drawEthernetCard(), top + "/libraries/real/ethcfg/picture/ethnic.png");
    return ok ? 0 : 1;
}
