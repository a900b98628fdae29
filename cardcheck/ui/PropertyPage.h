// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QWidget>

namespace velnet::cardcheck {

// A page of the property sheet. The sheet calls OnInitDialog() once, when
// the page is shown for the first time, and OnSetActive() each time it is
// shown; OnKillActive() and OnQueryCancel() may refuse leaving the page or
// cancelling the sheet.
class PropertyPage : public QWidget
{
    Q_OBJECT

public:
    explicit PropertyPage(QWidget* parent = nullptr) : QWidget(parent) {}

    // The tab's caption: the page's window title.
    QString caption() const { return windowTitle(); }

    // Called by the sheet; runs OnInitDialog() the first time.
    void activate();
    bool initialised() const { return initialised_; }

    virtual void OnInitDialog() {}
    virtual void OnSetActive() {}
    // False keeps the page shown.
    virtual bool OnKillActive() { return true; }
    // False keeps the sheet open when it is cancelled.
    virtual bool OnQueryCancel() { return true; }

private:
    bool initialised_ = false;
};

} // namespace velnet::cardcheck
