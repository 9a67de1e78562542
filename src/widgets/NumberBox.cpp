#include "widgets/NumberBox.h"

#include "data/DataError.h"
#include "lists/DisplayFormat.h"

#include <QDoubleValidator>
#include <QFocusEvent>
#include <QLocale>
#include <cmath>

namespace {

double roundToCents(double value) {
    return std::round(value * 100.0) / 100.0;
}

} // namespace

NumberBox::NumberBox(QWidget* parent) : QLineEdit(parent) {
    setAlignment(Qt::AlignCenter);
    auto* validator = new QDoubleValidator(this);
    validator->setNotation(QDoubleValidator::StandardNotation);
    setValidator(validator);
    connect(this, &QLineEdit::textEdited, this, &NumberBox::takeTypedText);
}

double NumberBox::valueOrThrow() const {
    if (!m_value)
        throw DataError(QStringLiteral("“%1”不是有效的数值").arg(text()));
    return *m_value;
}

void NumberBox::setValue(double value) {
    m_value = value;
    showValue(hasFocus() && !isReadOnly());
    emit valueChanged();
}

void NumberBox::clearValue() {
    m_value.reset();
    clear();
    emit valueChanged();
}

void NumberBox::setDisplayFormat(const QString& format) {
    m_displayFormat = format;
    showValue(hasFocus() && !isReadOnly());
}

void NumberBox::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    if (isReadOnly())
        return;
    showValue(true);
    // Reached by the keyboard or moved here by the program: what is typed replaces the value.
    if (event->reason() != Qt::MouseFocusReason)
        selectAll();
}

void NumberBox::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    showValue(false);
}

void NumberBox::takeTypedText(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        m_value.reset();
    } else {
        bool ok = false;
        const double typed = QLocale().toDouble(trimmed, &ok);
        if (ok)
            m_value = roundToCents(typed);
        else
            m_value.reset();
    }
    emit valueChanged();
}

void NumberBox::showValue(bool editing) {
    if (!m_value) {
        clear();
        return;
    }
    const QLocale locale;
    QString shown;
    if (editing) {
        shown = locale.toString(*m_value, 'f', 2);
        shown.remove(locale.groupSeparator());
    } else {
        shown = FormatFloat(m_displayFormat, *m_value);
    }
    setText(shown);
}
