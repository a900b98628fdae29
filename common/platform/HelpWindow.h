// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

class QTextBrowser;

namespace velnet::platform {

// The small window that shows one help topic at a time.
class HelpWindow : public QWidget
{
    Q_OBJECT

public:
    explicit HelpWindow(QWidget* owner = nullptr);

    void showTopic(const QString& title, const QString& html);

private:
    void placeOnScreen();

    QTextBrowser* text_;
};

} // namespace velnet::platform
