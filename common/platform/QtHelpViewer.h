// SPDX-License-Identifier: MIT
#pragma once

#include "common/platform/HelpFile.h"
#include "common/platform/HelpViewer.h"
#include "common/platform/HelpWindow.h"

#include <QPointer>

namespace velnet::platform {

// Shows topics in a HelpWindow and pop-up topics as "What's This?" text.
// The file is read again for every request, so an edited file shows at once.
// A missing file or topic is reported in a message box.
class QtHelpViewer : public HelpViewer
{
public:
    ~QtHelpViewer() override;

    bool showTopic(const std::string& file, std::uint32_t id) override;
    bool showPopup(const std::string& file, std::uint32_t id, QPoint globalPos) override;
    void showContextMenu(const std::string& file, std::uint32_t id, QPoint globalPos) override;

    // The text of the context menu's one entry.
    static QString whatsThisText();
    // A topic as HTML: paragraphs at blank lines, lines of a paragraph joined.
    static QString topicHtml(const HelpFile::Topic& topic, bool withTitle);

private:
    std::optional<HelpFile::Topic> lookUp(const std::string& file, std::uint32_t id) const;

    QPointer<HelpWindow> window_;
};

} // namespace velnet::platform
