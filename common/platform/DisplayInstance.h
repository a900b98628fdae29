// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <cstdint>
#include <memory>

struct xcb_connection_t;

namespace velnet::platform {

// Keeps a program to one copy per X display, whoever started each copy (the
// user, root through pkexec or su, with any runtime folder): the display is
// the one place every copy shares. A copy finds the others by the caption of
// their window and by an X selection that the first copy owns for as long as
// it runs; the X server drops it when that copy ends, however it ends.
class DisplayInstance
{
public:
    enum class Start
    {
        First,        // no other copy: this one holds the selection now
        RaisedOther,  // a window with the caption was brought to the front
        OtherRunning, // another copy holds the selection, with no such window yet
    };

    // Nothing when the application does not run on an X display.
    static std::unique_ptr<DisplayInstance> open(const QString& selectionName);
    ~DisplayInstance();
    DisplayInstance(const DisplayInstance&) = delete;
    DisplayInstance& operator=(const DisplayInstance&) = delete;

    // First raises a top-level window captioned exactly `caption`, then
    // checks for and takes the selection.
    Start start(const QString& caption);

private:
    DisplayInstance(xcb_connection_t* connection, QString selectionName);

    std::uint32_t atom(const char* name) const;
    std::uint32_t windowCaptioned(const QString& caption) const;
    QString captionOf(std::uint32_t window) const;
    void activate(std::uint32_t window) const;
    bool takeSelection();

    xcb_connection_t* connection_;
    QString selectionName_;
    std::uint32_t root_ = 0;
    std::uint32_t owner_ = 0; // the window that holds the selection
};

} // namespace velnet::platform
