// SPDX-License-Identifier: MIT
#pragma once

#include <QPoint>
#include <cstdint>
#include <string>
#include <string_view>

namespace velnet::platform {

// Shows topics of a help file (see HelpFile for its format). The programs
// hold the Qt viewer; tests hand them a FakeHelpViewer.
class HelpViewer
{
public:
    virtual ~HelpViewer() = default;

    // Opens the topic in the help window. False when the file or the topic
    // is missing; the user has been told.
    virtual bool showTopic(const std::string& file, std::uint32_t id) = 0;

    // Shows a pop-up topic at a screen position, as "What's This?" help does.
    virtual bool showPopup(const std::string& file, std::uint32_t id, QPoint globalPos) = 0;

    // Offers "What's This?" at a screen position, for a control whose pop-up
    // topic is `id`; choosing it shows that topic as showPopup() does.
    virtual void showContextMenu(const std::string& file, std::uint32_t id, QPoint globalPos) = 0;
};

// The running program's help file: its path with the extension .hlp, or
// where that is missing, the file of that name in ../share/velnet.
std::string helpFilePath();
// The help file of the program at `programPath` ("/a/b/x" or "/a/b/x.exe" -> "/a/b/x.hlp").
std::string helpFilePathFor(std::string_view programPath);

} // namespace velnet::platform
