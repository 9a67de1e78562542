#include "widgets/FocusNotifier.h"

#include <QFocusEvent>
#include <QWidget>

FocusNotifier::FocusNotifier(QWidget* control) : QObject(control) {
    control->installEventFilter(this);
}

bool FocusNotifier::eventFilter(QObject*, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        if (!m_entered) {
            m_entered = true;
            emit entered();
        }
    } else if (event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason && m_entered) {
            m_entered = false;
            emit left(reason);
        }
    }
    return false;
}
