// SPDX-License-Identifier: MIT
#include "common/platform/DisplayInstance.h"

#include <QGuiApplication>
#include <cstdlib>
#include <cstring>
#include <vector>
#include <xcb/xcb.h>

namespace velnet::platform {

namespace {

// A reply of xcb, freed with free() as xcb asks.
template <class T> struct Reply
{
    T* reply;
    explicit Reply(T* r) : reply(r) {}
    Reply(const Reply&) = delete;
    Reply& operator=(const Reply&) = delete;
    ~Reply() { std::free(reply); }
    T* operator->() const { return reply; }
    explicit operator bool() const { return reply != nullptr; }
};

} // namespace

std::unique_ptr<DisplayInstance> DisplayInstance::open(const QString& selectionName)
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return nullptr;
    return std::unique_ptr<DisplayInstance>(new DisplayInstance(x11->connection(), selectionName));
}

DisplayInstance::DisplayInstance(xcb_connection_t* connection, QString selectionName)
    : connection_(connection), selectionName_(std::move(selectionName))
{
    // Qt opened the display with its default screen.
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
}

DisplayInstance::~DisplayInstance()
{
    if (owner_) {
        xcb_destroy_window(connection_, owner_);
        xcb_flush(connection_);
    }
}

std::uint32_t DisplayInstance::atom(const char* name) const
{
    const Reply reply(xcb_intern_atom_reply(
        connection_, xcb_intern_atom(connection_, 0, std::uint16_t(std::strlen(name)), name),
        nullptr));
    return reply ? reply->atom : std::uint32_t{XCB_ATOM_NONE};
}

QString DisplayInstance::captionOf(std::uint32_t window) const
{
    for (const auto& [property, type] :
         {std::pair{atom("_NET_WM_NAME"), atom("UTF8_STRING")},
          std::pair{std::uint32_t(XCB_ATOM_WM_NAME), std::uint32_t(XCB_ATOM_STRING)}}) {
        const Reply reply(xcb_get_property_reply(
            connection_, xcb_get_property(connection_, 0, window, property, type, 0, 1024),
            nullptr));
        if (reply && reply->type == type && reply->format == 8) {
            const auto* text = static_cast<const char*>(xcb_get_property_value(reply.reply));
            const int length = xcb_get_property_value_length(reply.reply);
            return type == XCB_ATOM_STRING ? QString::fromLatin1(text, length)
                                           : QString::fromUtf8(text, length);
        }
    }
    return {};
}

// The top-level windows as the window manager lists them; without one, the
// root's children are the top-level windows.
std::uint32_t DisplayInstance::windowCaptioned(const QString& caption) const
{
    std::vector<xcb_window_t> windows;
    bool managed = false;
    const Reply clients(xcb_get_property_reply(
        connection_,
        xcb_get_property(connection_, 0, root_, atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW, 0, 4096),
        nullptr));
    if (clients && clients->type == XCB_ATOM_WINDOW) {
        const auto* list = static_cast<const xcb_window_t*>(xcb_get_property_value(clients.reply));
        windows.assign(list, list + xcb_get_property_value_length(clients.reply) / 4);
        managed = true;
    } else {
        const Reply tree(
            xcb_query_tree_reply(connection_, xcb_query_tree(connection_, root_), nullptr));
        if (tree) {
            const xcb_window_t* children = xcb_query_tree_children(tree.reply);
            windows.assign(children, children + xcb_query_tree_children_length(tree.reply));
        }
    }
    for (const xcb_window_t window : windows) {
        if (captionOf(window) != caption)
            continue;
        // A managed window counts even minimised; among the root's children
        // only a shown one is a window at all.
        const Reply attributes(xcb_get_window_attributes_reply(
            connection_, xcb_get_window_attributes(connection_, window), nullptr));
        if (managed || (attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE))
            return window;
    }
    return XCB_WINDOW_NONE;
}

// Asks the window manager to activate the window, as a task bar does
// (source 2), and raises it where there is no window manager.
void DisplayInstance::activate(std::uint32_t window) const
{
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = atom("_NET_ACTIVE_WINDOW");
    message.data.data32[0] = 2;
    message.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(connection_, 0, root_,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    const std::uint32_t above = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(connection_, window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    xcb_flush(connection_);
}

// Looking for an owner and becoming it is one step: with the server grabbed,
// no other copy can come between the two.
bool DisplayInstance::takeSelection()
{
    const QByteArray name = selectionName_.toLatin1();
    const std::uint32_t selection = atom(name.constData());
    xcb_grab_server(connection_);
    const Reply owner(xcb_get_selection_owner_reply(
        connection_, xcb_get_selection_owner(connection_, selection), nullptr));
    const bool taken = owner && owner->owner != XCB_WINDOW_NONE;
    if (!taken) {
        owner_ = xcb_generate_id(connection_);
        const std::uint32_t overrideRedirect = 1;
        xcb_create_window(connection_, XCB_COPY_FROM_PARENT, owner_, root_, -1, -1, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT,
                          XCB_CW_OVERRIDE_REDIRECT, &overrideRedirect);
        xcb_set_selection_owner(connection_, owner_, selection, XCB_CURRENT_TIME);
    }
    xcb_ungrab_server(connection_);
    xcb_flush(connection_);
    return !taken;
}

DisplayInstance::Start DisplayInstance::start(const QString& caption)
{
    if (const std::uint32_t window = windowCaptioned(caption)) {
        activate(window);
        return Start::RaisedOther;
    }
    return takeSelection() ? Start::First : Start::OtherRunning;
}

} // namespace velnet::platform
