#include "widgets/ControlOps.h"

#include "data/DataError.h"
#include "data/Query.h"
#include "data/ShareDMUnit.h"
#include "widgets/MessageBoxes.h"
#include "widgets/NumberBox.h"
#include "widgets/ScreenColors.h"
#include "widgets/TextListModel.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

void FillComboBox(Query& query, QComboBox* combo, const QString& sql, const QString& column,
                  bool clear, const QString& firstItem) {
    if (clear) {
        combo->clear();
        combo->setEditText(QString());
    }
    if (!firstItem.isEmpty())
        combo->addItem(firstItem);
    OpenSQL(query, sql);
    const int field = query.FieldIndex(column);
    if (field < 0)
        throw DataError(QStringLiteral("数据集中没有字段 %1。").arg(column));
    // The values come in the order a title click gives a grid's column, through the same
    // in-memory sort: one collation for every list the user reads.
    query.SetSort(column);
    if (auto* list = qobject_cast<TextListModel*>(combo->model())) {
        list->appendTexts(query.RecordCount(), [&](int row) { return query.TextAt(row, field); });
    } else if (query.RecordCount() > 0) {
        QStringList values;
        values.reserve(query.RecordCount());
        for (int row = 0; row < query.RecordCount(); ++row)
            values.append(query.TextAt(row, field));
        combo->addItems(values);
    }
    if (combo->count() > 0)
        combo->setCurrentIndex(0);
}

void FillDistinctCombo(Query& query, QComboBox* combo, const QString& table, const QString& column,
                       const QString& fragment, bool clear, const QString& firstItem) {
    FillComboBox(query, combo, DistinctStatement(table, column, fragment), column, clear,
                 firstItem);
}

void SetControlsEnabled(const QList<QWidget*>& controls, bool enabled) {
    const QColor labelText = ColorToQColor(enabled ? clWindowText : clGrayText);
    const QColor background = ColorToQColor(enabled ? clWindow : clBtnFace);
    for (QWidget* control : controls) {
        if (!control)
            continue;
        QPalette palette = control->palette();
        if (qobject_cast<QLabel*>(control)) {
            palette.setColor(QPalette::WindowText, labelText);
            control->setPalette(palette);
        } else if (qobject_cast<QLineEdit*>(control) || qobject_cast<QComboBox*>(control) ||
                   qobject_cast<QAbstractSpinBox*>(control) || qobject_cast<QTextEdit*>(control) ||
                   qobject_cast<QPlainTextEdit*>(control)) {
            palette.setColor(QPalette::Base, background); // in every colour group
            control->setPalette(palette);
        }
        control->setEnabled(enabled);
    }
}

QString ControlText(const QWidget* control) {
    if (auto* edit = qobject_cast<const QLineEdit*>(control))
        return edit->text();
    if (auto* combo = qobject_cast<const QComboBox*>(control))
        return combo->currentText();
    if (auto* spin = qobject_cast<const QAbstractSpinBox*>(control))
        return spin->text();
    if (auto* label = qobject_cast<const QLabel*>(control))
        return label->text();
    if (auto* text = qobject_cast<const QTextEdit*>(control))
        return text->toPlainText();
    if (auto* plain = qobject_cast<const QPlainTextEdit*>(control))
        return plain->toPlainText();
    return QString();
}

namespace {

void selectAllText(QWidget* control) {
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        edit->selectAll();
    else if (auto* combo = qobject_cast<QComboBox*>(control); combo && combo->lineEdit())
        combo->lineEdit()->selectAll();
    else if (auto* spin = qobject_cast<QAbstractSpinBox*>(control))
        spin->selectAll();
}

} // namespace

void RequireText(QWidget* control, const QString& message) {
    const auto* number = qobject_cast<const NumberBox*>(control);
    if (number ? number->hasValue() : !ControlText(control).isEmpty())
        return;
    RefuseInput(control, message);
}

void RefuseInput(QWidget* control, const QString& message) {
    ShowWarning(message);
    control->setFocus(Qt::OtherFocusReason);
    selectAllText(control);
    throw SilentAbort();
}

namespace {

// The edit box inside a combo box or a date picker belongs to that control.
bool isPartOfAnotherControl(const QWidget* widget) {
    const QWidget* parent = widget->parentWidget();
    return qobject_cast<const QComboBox*>(parent) || qobject_cast<const QAbstractSpinBox*>(parent);
}

} // namespace

void ClearInputs(QWidget* window) {
    for (QWidget* control : window->findChildren<QWidget*>()) {
        if (auto* combo = qobject_cast<QComboBox*>(control)) {
            if (!combo->isEditable())
                continue;
            if (combo->count() > 0)
                combo->setCurrentIndex(-1);
            else
                combo->clearEditText();
        } else if (auto* number = qobject_cast<NumberBox*>(control)) {
            number->setValue(0);
        } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
            if (!isPartOfAnotherControl(edit))
                edit->clear();
        } else if (auto* text = qobject_cast<QTextEdit*>(control)) {
            text->clear();
        } else if (auto* plain = qobject_cast<QPlainTextEdit*>(control)) {
            plain->clear();
        }
    }
}
