#pragma once

#include <QObject>

class QWidget;

// Announces that the operator entered or left a control. A control is left when the focus goes
// from it to another control of the same window, and `reason` tells how (Tab, a click, the
// program); opening the control's list or a completion popup, or turning to another window (a
// message box among them), is no leave, and coming back from them is no new entry.
class FocusNotifier : public QObject {
    Q_OBJECT
public:
    explicit FocusNotifier(QWidget* control);

signals:
    void entered();
    void left(Qt::FocusReason reason);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool m_entered = false;
};
