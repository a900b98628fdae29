// SPDX-License-Identifier: MIT
#include "cardcheck/ui/HelpKeyWatcher.h"

#include "cardcheck/ui/ProgramState.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWhatsThis>

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
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_F1)
        return QObject::eventFilter(watched, event);
    // Shift+F1 is the desktop's key for "What's This?": the help then goes
    // to the control the next click points at, as with the caption's button.
    if (key->modifiers() == Qt::ShiftModifier) {
        if (!QWhatsThis::inWhatsThisMode())
            QWhatsThis::enterWhatsThisMode();
        return true;
    }
    sheetState().helpFromKeyboard = 1;
    return QObject::eventFilter(watched, event);
}

} // namespace velnet::cardcheck
