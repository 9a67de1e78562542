#include "widgets/MessageBoxes.h"

#include <QApplication>
#include <QPushButton>
#include <QQueue>

namespace {

struct MessageState {
    bool scripted = false;
    QQueue<MessageAnswer> answers;
    QList<MessageBoxes::Shown> shown;
};

MessageState& state() {
    static MessageState instance;
    return instance;
}

const QString warningCaption = QStringLiteral("警告");
const QString informationCaption = QStringLiteral("信息");

// The icon that goes with a caption, so that a box never says "警告" beside another sign.
QMessageBox::Icon iconOfCaption(const QString& caption, QMessageBox::Icon asked) {
    if (caption == warningCaption)
        return QMessageBox::Warning;
    if (caption == informationCaption)
        return QMessageBox::Information;
    return asked;
}

QMessageBox::Icon record(const QString& caption, const QString& text, QMessageBox::Icon asked,
                         MessageAnswer defaultAnswer = MessageAnswer::Yes) {
    const QMessageBox::Icon icon = iconOfCaption(caption, asked);
    state().shown.append({caption, text, icon, defaultAnswer});
    return icon;
}

void showNotice(const QString& caption, const QString& text, QMessageBox::Icon asked) {
    const QMessageBox::Icon icon = record(caption, text, asked);
    if (state().scripted)
        return;
    QMessageBox box(icon, caption, text, QMessageBox::NoButton, QApplication::activeWindow());
    QPushButton* ok = box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
}

// A question with "是" and a second button that closing the box also answers; `defaultAnswer`
// is the button Enter presses.
MessageAnswer ask(const QString& caption, const QString& text, QMessageBox::Icon asked,
                  const QString& otherText, MessageAnswer other, MessageAnswer defaultAnswer) {
    const QMessageBox::Icon icon = record(caption, text, asked, defaultAnswer);
    if (state().scripted)
        return state().answers.isEmpty() ? other : state().answers.dequeue();
    QMessageBox box(icon, caption, text, QMessageBox::NoButton, QApplication::activeWindow());
    QPushButton* yes = box.addButton(QStringLiteral("是"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(otherText, QMessageBox::RejectRole);
    box.setDefaultButton(defaultAnswer == MessageAnswer::Yes ? yes : no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes ? MessageAnswer::Yes : other;
}

} // namespace

void ShowWarning(const QString& text) {
    showNotice(warningCaption, text, QMessageBox::Warning);
}

void ShowInformation(const QString& text) {
    showNotice(informationCaption, text, QMessageBox::Information);
}

void ShowError(const QString& text) {
    showNotice(warningCaption, text, QMessageBox::Warning);
}

MessageAnswer AskYesCancel(const QString& caption, const QString& text, QMessageBox::Icon asked,
                           MessageAnswer defaultAnswer) {
    return ask(caption, text, asked, QStringLiteral("取消"), MessageAnswer::Cancel, defaultAnswer);
}

MessageAnswer AskYesNo(const QString& caption, const QString& text, QMessageBox::Icon asked) {
    return ask(caption, text, asked, QStringLiteral("否"), MessageAnswer::No, MessageAnswer::No);
}

namespace MessageBoxes {

void setScripted(bool scripted) {
    state().scripted = scripted;
}

bool isScripted() {
    return state().scripted;
}

void setNextAnswer(MessageAnswer answer) {
    state().answers.enqueue(answer);
}

QList<Shown> shown() {
    return state().shown;
}

void clearShown() {
    state().shown.clear();
    state().answers.clear();
}

} // namespace MessageBoxes
