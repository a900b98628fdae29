// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

class QWidget;

namespace velnet::ui {

// Opens a dialog centred on its owner window, at the same place every time.
// The platform's own placement guesses the decoration the window manager
// will draw around a window not yet shown, and guesses differently from run
// to run; the owner, shown long since, has the same decoration, measured.
class OwnerCentred : public QObject
{
    Q_OBJECT

public:
    static void apply(QWidget* dialog);

    // Where the frame of `dialog` goes: its client area centred on the
    // owner's, and wholly on the owner's screen.
    static QPoint framePosition(const QWidget* dialog, const QWidget* owner);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit OwnerCentred(QWidget* dialog);
};

} // namespace velnet::ui
