// SPDX-License-Identifier: MIT
#include "common/platform/QtHelpViewer.h"

#include "common/ui/MessageBox.h"

#include <QApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QWhatsThis>

namespace velnet::platform {

namespace {

std::string hexId(std::uint32_t id)
{
    return "0x" + QString::number(id, 16).toStdString();
}

void complain(const std::string& text)
{
    ui::messageBox(text, QGuiApplication::applicationDisplayName().toStdString(), ui::Buttons::Ok,
                   ui::Icon::Warning);
}

} // namespace

QtHelpViewer::~QtHelpViewer()
{
    if (window_)
        window_->close();
}

QString QtHelpViewer::whatsThisText()
{
    return QStringLiteral("What's This?");
}

QString QtHelpViewer::topicHtml(const HelpFile::Topic& topic, bool withTitle)
{
    QString html;
    if (withTitle && !topic.title.empty())
        html += "<h3>" + QString::fromStdString(topic.title).toHtmlEscaped() + "</h3>";
    const QStringList lines = QString::fromStdString(topic.text).split('\n');
    QStringList paragraph;
    auto flush = [&] {
        if (!paragraph.isEmpty())
            html += "<p>" + paragraph.join(' ').toHtmlEscaped() + "</p>";
        paragraph.clear();
    };
    for (const QString& line : lines) {
        if (line.trimmed().isEmpty())
            flush();
        else
            paragraph << line.trimmed();
    }
    flush();
    return html;
}

std::optional<HelpFile::Topic> QtHelpViewer::lookUp(const std::string& file, std::uint32_t id) const
{
    const auto help = HelpFile::load(file);
    if (!help) {
        complain("The help file " + file + " cannot be used: " + help.error() + ".");
        return std::nullopt;
    }
    const HelpFile::Topic* topic = help->find(id);
    if (!topic) {
        complain("The help file " + file + " has no topic " + hexId(id) + ".");
        return std::nullopt;
    }
    return *topic;
}

bool QtHelpViewer::showTopic(const std::string& file, std::uint32_t id)
{
    const auto topic = lookUp(file, id);
    if (!topic)
        return false;
    // Owned by the modal dialog that asked, so that the window can be used
    // while that dialog runs; it goes with its owner.
    QWidget* owner = QApplication::activeModalWidget();
    if (window_ && window_->parentWidget() != owner)
        window_->close();
    if (!window_)
        window_ = new HelpWindow(owner);
    // The window's caption is the help file's own, like "nicsetup Help"; the
    // topic's title heads its text, so that it never repeats a dialog's caption.
    const QString caption = QFileInfo(QString::fromStdString(file)).completeBaseName() + " Help";
    window_->showTopic(caption, topicHtml(*topic, true));
    return true;
}

bool QtHelpViewer::showPopup(const std::string& file, std::uint32_t id, QPoint globalPos)
{
    const auto topic = lookUp(file, id);
    if (!topic)
        return false;
    QWhatsThis::showText(globalPos, topicHtml(*topic, topic->text.empty()));
    return true;
}

void QtHelpViewer::showContextMenu(const std::string& file, std::uint32_t id, QPoint globalPos)
{
    QMenu menu;
    menu.setObjectName("WhatsThisMenu");
    QAction* whatsThis = menu.addAction(whatsThisText());
    if (menu.exec(globalPos) == whatsThis)
        showPopup(file, id, globalPos);
}

} // namespace velnet::platform
