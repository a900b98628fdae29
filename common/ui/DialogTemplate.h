// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

class QWidget;

namespace velnet::ui {

// What a dialog template makes of a dialog: a caption bar with the system
// menu and the close box (and, where asked, the context-help button), but no
// minimise or maximise box, and one size, the one the dialog first shows
// with, whatever its lists hold later.
class DialogTemplate : public QObject
{
    Q_OBJECT

public:
    enum class Caption
    {
        Plain,
        WithContextHelp,
    };

    static void apply(QWidget* dialog, Caption caption = Caption::Plain);

    // How wide a window must be for the window manager to show its caption
    // whole: the text in a common title-bar font (the dialog font in bold, at
    // least 11 points) with room for the caption's buttons and margins.
    static int captionWidth(const QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit DialogTemplate(QWidget* dialog);
};

} // namespace velnet::ui
