// SPDX-License-Identifier: MIT
// Renders nicsetup's dialogs offscreen into PNG files for the README:
//   nicsetup_screenshots OUTPUT_FOLDER
// with VELNET_REGISTRY naming a copy of the demo hive (`tools/screenshots.sh
// nicsetup` sets everything up). The dialogs are the program's own, filled by the
// program's own start-up load; each is drawn inside a plain window frame.
#include "common/registry/FileRegistry.h"
#include "nicsetup/AboutDlg.h"
#include "nicsetup/Alert.h"
#include "nicsetup/ConfigLoader.h"
#include "nicsetup/FTOLCONS.h"
#include "nicsetup/Images.h"
#include "nicsetup/ProgramName.h"
#include "nicsetup/Servcfg.h"
#include "nicsetup/ServcfgDlg.h"
#include "nicsetup/ftolconsx.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QPainter>
#include <QTreeWidget>
#include <cstdio>

using namespace velnet::nicsetup;

namespace {

constexpr int kTitleHeight = 26;
constexpr int kBorder = 1;

// The dialog with a simple title bar above it, as a window manager would frame it.
QImage framed(QWidget& dialog)
{
    dialog.show();
    QApplication::processEvents();
    const qreal ratio = dialog.devicePixelRatioF();
    const QPixmap content = dialog.grab();
    const QSize size(dialog.width() + 2 * kBorder, dialog.height() + kTitleHeight + kBorder);
    QImage image(size * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(QColor("#3c4650"));

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRect bar(0, 0, size.width(), kTitleHeight);
    dialog.windowIcon().paint(&painter, QRect(6, 5, 16, 16));
    QFont font = dialog.font();
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(bar.adjusted(28, 0, -28, 0), Qt::AlignVCenter | Qt::AlignLeft,
                     dialog.windowTitle());
    // The close box.
    QPen pen(Qt::white, 1.6);
    painter.setPen(pen);
    const QPoint c(size.width() - 14, kTitleHeight / 2);
    painter.drawLine(c + QPoint(-4, -4), c + QPoint(4, 4));
    painter.drawLine(c + QPoint(-4, 4), c + QPoint(4, -4));
    painter.drawPixmap(kBorder, kTitleHeight, content);
    painter.end();
    dialog.hide();
    return image;
}

bool save(QWidget& dialog, const QString& folder, const char* name)
{
    const QString path = QDir(folder).filePath(QString(name) + ".png");
    if (!framed(dialog).save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(PROGRAM_NAME);
    if (argc != 2) {
        std::fprintf(stderr, "usage: nicsetup_screenshots OUTPUT_FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);

    velnet::registry::FileRegistry registry(velnet::registry::FileRegistry::defaultPath());
    theApp.setRegistry(&registry);
    QApplication::setWindowIcon(Images::icon());
    if (ConfigLoader(registry).load() != LoadResult::Loaded) {
        std::fprintf(stderr, "the store %s has no driver service key\n", registry.path().c_str());
        return 1;
    }

    bool ok = true;
    {
        CServcfgDlg dlg;
        // Show the NIC with the VLANs, third from the top, with its first row.
        auto* card = dlg.findChild<QComboBox*>("card");
        for (int i = 0; i < card->count(); ++i) {
            if (card->itemText(i).startsWith("3. ")) {
                card->setCurrentIndex(i);
                QMetaObject::invokeMethod(card, "activated", Q_ARG(int, i));
            }
        }
        ok &= save(dlg, folder, "main");
    }
    const unsigned adapter = 2; // NIC 3
    {
        FTOLCONS editor(adapter, "Sampling Window", 1);
        ok &= save(editor, folder, "sampling-window");
    }
    {
        ftolconsx editor(adapter, "Self Check Level", 0);
        ok &= save(editor, folder, "self-check-level");
    }
    {
        Alert editor(adapter, "Alert Type", 4);
        ok &= save(editor, folder, "alert-type");
    }
    {
        CAboutDlg about;
        ok &= save(about, folder, "about");
    }
    return ok ? 0 : 1;
}
