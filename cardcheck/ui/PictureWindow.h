// SPDX-License-Identifier: MIT
#pragma once

#include <QImage>
#include <QWidget>

namespace velnet::cardcheck {

// A bitmap shown in place of a static control of a dialog, with every pixel
// of the colour of its top-left pixel transparent so that the dialog shows
// through. It goes away with the dialog that holds it.
class PictureWindow : public QWidget
{
    Q_OBJECT

public:
    // Bitmap ids of the program's own pictures.
    enum BitmapId
    {
        Bug = 137,
        EchoComputers = 139,
        Computer = 140,
        Logo = 141,
        Splash = 142,
        Warning = 143
    };

    // From one of the program's bitmaps; nothing when the id names none.
    static PictureWindow* fromId(int bitmapId);
    // From a bitmap handed over by a library.
    static PictureWindow* fromImage(const QImage& bitmap);

    // The program's bitmap `bitmapId`, at the screen's pixel ratio; a null
    // image when there is no such bitmap.
    static QImage loadBitmap(int bitmapId, qreal devicePixelRatio);
    // The bitmap with the colour of its top-left pixel made transparent.
    static QImage maskedBitmap(const QImage& bitmap);

    // Puts a new bitmap in and repaints at once; returns the old one.
    QImage replaceBitmap(const QImage& bitmap);
    const QImage& bitmap() const { return bitmap_; }

    // Takes the place of `control`: its layout slot or its position, its
    // name and control id. The control is deleted.
    void attachTo(QWidget* control);
    // The same for the child of `dialog` with the control id; false when
    // there is none.
    bool attach(QWidget* dialog, int controlId);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    explicit PictureWindow(const QImage& bitmap);
    QSize logicalSize() const;

    QImage bitmap_;
    QImage masked_; // built on the first paint after the bitmap changes
};

} // namespace velnet::cardcheck
