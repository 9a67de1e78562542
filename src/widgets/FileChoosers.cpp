#include "widgets/FileChoosers.h"

#include <QFileDialog>
#include <QList>
#include <QQueue>

namespace {

struct ChooserState {
    bool scripted = false;
    QQueue<QString> choices;
    QQueue<FileChoosers::PrinterChoice> printerChoices;
    QList<FileChoosers::Shown> shown;
};

ChooserState& state() {
    static ChooserState instance;
    return instance;
}

// True when the answer is scripted; `answer` then holds it.
bool scriptedAnswer(const QString& caption, const QString& startFolder, QString& answer) {
    state().shown.append({caption, startFolder});
    if (!state().scripted)
        return false;
    answer = state().choices.isEmpty() ? QString() : state().choices.dequeue();
    return true;
}

} // namespace

QString ChooseFolder(QWidget* parent, const QString& caption, const QString& startFolder) {
    QString answer;
    if (scriptedAnswer(caption, startFolder, answer))
        return answer;
    return QFileDialog::getExistingDirectory(parent, caption, startFolder);
}

QString ChooseFile(QWidget* parent, const QString& caption, const QString& startFolder,
                   const QString& filter) {
    QString answer;
    if (scriptedAnswer(caption, startFolder, answer))
        return answer;
    return QFileDialog::getOpenFileName(parent, caption, startFolder, filter);
}

QString ChooseSaveFile(QWidget* parent, const QString& caption, const QString& proposed,
                       const QString& filter, const QString& suffix) {
    QString answer;
    if (scriptedAnswer(caption, proposed, answer))
        return answer;
    QFileDialog dialog(parent, caption, proposed, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(suffix);
    dialog.selectFile(proposed);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

namespace FileChoosers {

void setScripted(bool scripted) {
    state().scripted = scripted;
}

void setNextChoice(const QString& path) {
    state().choices.enqueue(path);
}

void setNextPrinterChoice(PrinterChoice choice) {
    state().printerChoices.enqueue(std::move(choice));
}

bool scriptedPrinterChoice(const QString& caption, QPrinter& printer, bool& accepted) {
    state().shown.append({caption, QString()});
    if (!state().scripted)
        return false;
    const PrinterChoice choice =
        state().printerChoices.isEmpty() ? PrinterChoice() : state().printerChoices.dequeue();
    accepted = choice && choice(printer);
    return true;
}

QList<Shown> shown() {
    return state().shown;
}

void clear() {
    state().shown.clear();
    state().choices.clear();
    state().printerChoices.clear();
}

} // namespace FileChoosers
