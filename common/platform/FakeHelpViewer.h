// SPDX-License-Identifier: MIT
#pragma once

#include "common/platform/HelpViewer.h"

#include <vector>

namespace velnet::platform {

// Records every request instead of showing anything.
class FakeHelpViewer : public HelpViewer
{
public:
    enum class Kind
    {
        Topic,
        Popup,
        ContextMenu
    };

    struct Request
    {
        Kind kind;
        std::string file;
        std::uint32_t id;
        QPoint pos;
        bool operator==(const Request&) const = default;
    };

    bool showTopic(const std::string& file, std::uint32_t id) override;
    bool showPopup(const std::string& file, std::uint32_t id, QPoint globalPos) override;
    void showContextMenu(const std::string& file, std::uint32_t id, QPoint globalPos) override;

    const std::vector<Request>& requests() const { return requests_; }
    void clear() { requests_.clear(); }
    // What showTopic() and showPopup() answer; true unless set otherwise.
    void setFound(bool found) { found_ = found; }

private:
    std::vector<Request> requests_;
    bool found_ = true;
};

} // namespace velnet::platform
