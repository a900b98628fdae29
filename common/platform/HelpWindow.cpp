#include "HelpWindow.h"

#include <QTextBrowser>
#include <QVBoxLayout>

namespace velnet::platform {

HelpWindow::HelpWindow(QWidget* owner) : QWidget(owner, Qt::Window), text_(new QTextBrowser(this))
{
    setObjectName("HelpWindow");
    setAttribute(Qt::WA_DeleteOnClose);
    text_->setObjectName("helpText");
    text_->setOpenExternalLinks(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(text_);
    resize(440, 320);
}

void HelpWindow::showTopic(const QString& title, const QString& html)
{
    setWindowTitle(title);
    text_->setHtml(html);
    show();
    raise();
    activateWindow();
}

} // namespace velnet::platform
