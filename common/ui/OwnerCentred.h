// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

class QWidget;

namespace velnet::ui {

// Opens a dialog centred on its owner window, at the same place every time.
// Apply it before DialogTemplate: filters run newest first, and the dialog
// has its final size only once the template has fixed it.
// The platform's own placement guesses the decoration the window manager
// will draw around a window not yet shown, and guesses differently from run
// to run; the owner, shown long since, has the same decoration, measured.
class OwnerCentred : public QObject
{
    Q_OBJECT

public:
    static void apply(QWidget* dialog);

    // Where the client area of `dialog` goes: centred on the owner's, with
    // the frame wholly on the owner's screen.
    static QPoint clientPosition(const QWidget* dialog, const QWidget* owner);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit OwnerCentred(QWidget* dialog);
};

} // namespace velnet::ui
