// SPDX-License-Identifier: MIT
#include "common/platform/HelpWindow.h"

#include "common/ui/WindowPlacement.h"

#include <QScreen>
#include <QShortcut>
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
    // A help window is read and put away, as a dialog is: Escape closes it.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
}

void HelpWindow::placeOnScreen()
{
    // Over the window that asked, as a dialog opens, and wholly on its screen.
    const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    const QRect available = (owner ? owner->screen() : screen())->availableGeometry();
    velnet::ui::placeCentred(this, owner ? owner->frameGeometry().center() : available.center(),
                             available);
}

void HelpWindow::showTopic(const QString& title, const QString& html)
{
    setWindowTitle(title);
    text_->setHtml(html);
    if (!isVisible())
        placeOnScreen();
    show();
    raise();
    activateWindow();
}

} // namespace velnet::platform
