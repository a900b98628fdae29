// SPDX-License-Identifier: MIT
#include "cardcheck/ui/PictureWindow.h"

#include "cardcheck/ui/ControlId.h"

#include <QApplication>
#include <QFile>
#include <QLayout>
#include <QPainter>

namespace velnet::cardcheck {

namespace {

QString resourceName(int bitmapId)
{
    switch (bitmapId) {
    case PictureWindow::Bug:
        return QStringLiteral(":/cardcheck/report/images/bug137");
    case PictureWindow::EchoComputers:
        return QStringLiteral(":/cardcheck/images/echo139");
    case PictureWindow::Computer:
        return QStringLiteral(":/cardcheck/images/computer140");
    case PictureWindow::Logo:
        return QStringLiteral(":/cardcheck/images/logo141");
    case PictureWindow::Splash:
        return QStringLiteral(":/cardcheck/images/splash142");
    case PictureWindow::Warning:
        return QStringLiteral(":/cardcheck/images/warning143");
    default:
        return {};
    }
}

// The layout among `layout` and its nested layouts that holds `widget`.
QLayout* layoutHolding(QLayout* layout, QWidget* widget)
{
    if (!layout)
        return nullptr;
    if (layout->indexOf(widget) >= 0)
        return layout;
    for (int i = 0; i < layout->count(); ++i) {
        if (QLayout* inner = layoutHolding(layout->itemAt(i)->layout(), widget))
            return inner;
    }
    return nullptr;
}

} // namespace

PictureWindow::PictureWindow(const QImage& bitmap) : bitmap_(bitmap)
{
    setAttribute(Qt::WA_TransparentForMouseEvents, false);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFixedSize(logicalSize());
}

QImage PictureWindow::loadBitmap(int bitmapId, qreal devicePixelRatio)
{
    const QString base = resourceName(bitmapId);
    if (base.isEmpty())
        return {};
    const QString hiDpi = base + QStringLiteral("@2x.png");
    if (devicePixelRatio > 1.0 && QFile::exists(hiDpi)) {
        QImage image(hiDpi);
        image.setDevicePixelRatio(2.0);
        return image;
    }
    return QImage(base + QStringLiteral(".png"));
}

PictureWindow* PictureWindow::fromId(int bitmapId)
{
    const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
    const QImage bitmap = loadBitmap(bitmapId, ratio);
    return bitmap.isNull() ? nullptr : new PictureWindow(bitmap);
}

PictureWindow* PictureWindow::fromImage(const QImage& bitmap)
{
    return bitmap.isNull() ? nullptr : new PictureWindow(bitmap);
}

QImage PictureWindow::maskedBitmap(const QImage& bitmap)
{
    if (bitmap.isNull())
        return {};
    QImage masked = bitmap.convertToFormat(QImage::Format_ARGB32);
    const QRgb transparent = masked.pixel(0, 0) | 0xFF000000u;
    for (int y = 0; y < masked.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(masked.scanLine(y));
        for (int x = 0; x < masked.width(); ++x) {
            if ((line[x] | 0xFF000000u) == transparent)
                line[x] = 0;
        }
    }
    masked.setDevicePixelRatio(bitmap.devicePixelRatio());
    return masked;
}

QImage PictureWindow::replaceBitmap(const QImage& bitmap)
{
    QImage old = bitmap_;
    bitmap_ = bitmap;
    masked_ = QImage();
    if (!bitmap_.isNull())
        setFixedSize(logicalSize());
    repaint();
    return old;
}

void PictureWindow::attachTo(QWidget* control)
{
    QWidget* dialog = control->parentWidget();
    setParent(dialog);
    setObjectName(control->objectName());
    setControlId(this, controlId(control));
    if (QLayout* layout = dialog ? layoutHolding(dialog->layout(), control) : nullptr) {
        const Qt::Alignment alignment = layout->itemAt(layout->indexOf(control))->alignment();
        delete layout->replaceWidget(control, this);
        layout->setAlignment(this, alignment);
    } else {
        move(control->pos());
    }
    delete control;
    show();
}

bool PictureWindow::attach(QWidget* dialog, int id)
{
    QWidget* control = findControl(dialog, id);
    if (!control)
        return false;
    attachTo(control);
    return true;
}

QSize PictureWindow::logicalSize() const
{
    return bitmap_.deviceIndependentSize().toSize();
}

QSize PictureWindow::sizeHint() const
{
    return logicalSize();
}

void PictureWindow::paintEvent(QPaintEvent*)
{
    if (bitmap_.isNull())
        return;
    if (masked_.isNull())
        masked_ = maskedBitmap(bitmap_);
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), masked_);
}

} // namespace velnet::cardcheck
