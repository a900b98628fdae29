// SPDX-License-Identifier: MIT
#include "common/platform/FakeHelpViewer.h"

namespace velnet::platform {

bool FakeHelpViewer::showTopic(const std::string& file, std::uint32_t id)
{
    requests_.push_back({Kind::Topic, file, id, {}});
    return found_;
}

bool FakeHelpViewer::showPopup(const std::string& file, std::uint32_t id, QPoint globalPos)
{
    requests_.push_back({Kind::Popup, file, id, globalPos});
    return found_;
}

void FakeHelpViewer::showContextMenu(const std::string& file, std::uint32_t id, QPoint globalPos)
{
    requests_.push_back({Kind::ContextMenu, file, id, globalPos});
}

} // namespace velnet::platform
