// SPDX-License-Identifier: MIT
#include "cardcheck/sheet/AnimationControl.h"

#include <QPainter>
#include <algorithm>

namespace velnet::cardcheck {

QImage AnimationControl::loadStrip(const QString& path, qreal devicePixelRatio)
{
    if (devicePixelRatio > 1.0 && path.endsWith(QStringLiteral(".png"))) {
        QString hiDpi = path;
        hiDpi.insert(hiDpi.size() - 4, QStringLiteral("@2x"));
        QImage image(hiDpi);
        if (!image.isNull()) {
            image.setDevicePixelRatio(2.0);
            return image;
        }
    }
    return QImage(path);
}

AnimationControl::AnimationControl(QWidget* parent) : QWidget(parent)
{
    ticker_.setTimerType(Qt::PreciseTimer);
    connect(&ticker_, &QTimer::timeout, this, &AnimationControl::OnTick);
}

bool AnimationControl::open(const QString& stripPath, int frameCount,
                            std::chrono::microseconds frameInterval)
{
    stop();
    strip_ = QImage();
    frameCount_ = 0;
    frame_ = first_ = last_ = 0;
    QImage image = loadStrip(stripPath, devicePixelRatioF());
    if (image.isNull() || frameCount <= 0 || image.width() % frameCount != 0 ||
        frameInterval.count() <= 0)
        return false;
    const qreal ratio = image.devicePixelRatio();
    image = image.convertToFormat(QImage::Format_ARGB32);
    image.setDevicePixelRatio(ratio);
    const QRgb transparent = image.pixel(0, 0);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        std::replace(line, line + image.width(), transparent, qRgba(0, 0, 0, 0));
    }
    strip_ = image;
    frameCount_ = frameCount;
    framePixels_ = QSize(image.width() / frameCount, image.height());
    frameSize_ = (QSizeF(framePixels_) / image.devicePixelRatio()).toSize();
    interval_ = frameInterval;
    updateGeometry();
    update();
    return true;
}

void AnimationControl::play(int first, int last)
{
    if (frameCount_ == 0)
        return;
    first_ = std::clamp(first, 0, frameCount_ - 1);
    last_ = std::clamp(last, first_, frameCount_ - 1);
    showFrame(first_);
    clock_.start();
    // The frame shown is worked out from the time since play(), so a late
    // tick never makes the clip run slow; ticking once a frame is enough.
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(interval_).count();
    ticker_.start(static_cast<int>(std::max<long long>(ms, 1)));
}

void AnimationControl::stop()
{
    ticker_.stop();
}

void AnimationControl::seek(int frame)
{
    stop();
    if (frameCount_ > 0)
        showFrame(std::clamp(frame, 0, frameCount_ - 1));
}

QSize AnimationControl::sizeHint() const
{
    return frameSize_.isValid() ? frameSize_ : QSize(36, 25);
}

void AnimationControl::paintEvent(QPaintEvent*)
{
    if (strip_.isNull())
        return;
    QPainter painter(this);
    const QRect source(frame_ * framePixels_.width(), 0, framePixels_.width(),
                       framePixels_.height());
    QRect target(QPoint(0, 0), frameSize_);
    target.moveCenter(rect().center());
    painter.drawImage(target, strip_, source);
}

void AnimationControl::OnTick()
{
    const long long elapsed = clock_.nsecsElapsed() / 1000;
    const long long step = elapsed / interval_.count();
    showFrame(first_ + static_cast<int>(step % (last_ - first_ + 1)));
}

void AnimationControl::showFrame(int frame)
{
    if (frame == frame_)
        return;
    frame_ = frame;
    update();
}

} // namespace velnet::cardcheck
