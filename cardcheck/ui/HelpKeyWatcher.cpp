#include "HelpKeyWatcher.h"

#include "ui/ProgramState.h"

#include <QCoreApplication>
#include <QKeyEvent>

namespace velnet::cardcheck {

HelpKeyWatcher::HelpKeyWatcher(QObject* parent) : QObject(parent)
{
    QCoreApplication::instance()->installEventFilter(this);
}

HelpKeyWatcher::~HelpKeyWatcher()
{
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
}

bool HelpKeyWatcher::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1)
        sheetState().helpFromKeyboard = 1;
    return QObject::eventFilter(watched, event);
}

} // namespace velnet::cardcheck
