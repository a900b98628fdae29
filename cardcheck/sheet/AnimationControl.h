// SPDX-License-Identifier: MIT
#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <chrono>

namespace velnet::cardcheck {

// Plays a clip of equal frames laid side by side in one image strip, the way
// an animation control plays its clip: a range of frames repeated without
// end, or one frame held still. The colour of the strip's top-left pixel is
// transparent, so the dialog's background shows around the drawing.
class AnimationControl : public QWidget
{
    Q_OBJECT

public:
    explicit AnimationControl(QWidget* parent = nullptr);

    // Loads the strip; false (and nothing to show) when it cannot be read or
    // is not frameCount frames wide.
    bool open(const QString& stripPath, int frameCount, std::chrono::microseconds frameInterval);

    // Repeats frames first..last (inclusive) until stop() or seek().
    void play(int first, int last);
    void stop();
    void seek(int frame);

    bool isPlaying() const { return ticker_.isActive(); }
    int currentFrame() const { return frame_; }
    int firstFrame() const { return first_; }
    int lastFrame() const { return last_; }
    int frameCount() const { return frameCount_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void OnTick();
    void showFrame(int frame);

    // NAME@2x.png instead of NAME.png on a screen of double density.
    static QImage loadStrip(const QString& path, qreal devicePixelRatio);

    QImage strip_;
    QSize framePixels_; // in the strip
    QSize frameSize_;   // on the screen
    int frameCount_ = 0;
    std::chrono::microseconds interval_{0};
    int first_ = 0;
    int last_ = 0;
    int frame_ = 0;
    QTimer ticker_;
    QElapsedTimer clock_;
};

} // namespace velnet::cardcheck
