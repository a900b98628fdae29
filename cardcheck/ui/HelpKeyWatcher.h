// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

namespace velnet::cardcheck {

// Sets the help-from-keyboard flag whenever F1 goes down in any window of
// the program, before the window itself sees the key; Shift+F1 starts
// "What's This?" mode instead.
class HelpKeyWatcher : public QObject
{
    Q_OBJECT

public:
    explicit HelpKeyWatcher(QObject* parent = nullptr);
    ~HelpKeyWatcher() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace velnet::cardcheck
