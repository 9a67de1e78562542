#pragma once

#include <QList>
#include <QMessageBox>
#include <QString>

// The program's message boxes: Chinese captions and buttons, parented to the active window.
// The icon always matches the caption: "警告" shows the warning sign, "信息" the information
// sign, whatever icon a caller asks for; other captions keep the icon asked for.
// Every box shown is recorded; tests switch to scripted mode, in which nothing is displayed and
// questions take their answers from a queue.

enum class MessageAnswer { Yes, No, Cancel };

void ShowWarning(const QString& text);     // caption "警告", button "确定"
void ShowInformation(const QString& text); // caption "信息", button "确定"
void ShowError(const QString& text);       // a failure: caption "警告", button "确定"
// Buttons "是" and "取消"; closing the box answers Cancel. `defaultAnswer` is the button that
// Enter presses: a question whose "是" destroys or replaces data makes it Cancel.
MessageAnswer AskYesCancel(const QString& caption, const QString& text, QMessageBox::Icon icon,
                           MessageAnswer defaultAnswer = MessageAnswer::Yes);
// Buttons "是" and "否", "否" the default: for a question whose "yes" writes something the user
// may not want. Closing the box answers No.
MessageAnswer AskYesNo(const QString& caption, const QString& text, QMessageBox::Icon icon);

namespace MessageBoxes {

struct Shown {
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    // The button Enter presses: "确定" (Yes) for a notice, as chosen for a question.
    MessageAnswer defaultAnswer = MessageAnswer::Yes;
};

void setScripted(bool scripted);
bool isScripted();
// Queues the answer of the next question; a question with no queued answer is answered as by
// closing its box (Cancel, or No).
void setNextAnswer(MessageAnswer answer);
QList<Shown> shown();
void clearShown(); // also drops answers still queued

} // namespace MessageBoxes
