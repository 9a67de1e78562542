#pragma once

#include <QLineEdit>
#include <optional>

// An edit box for a number that holds a value or nothing (empty text). A value that the
// operator types is rounded to two decimals; a value set by the program is kept as it is.
// Outside editing the value is shown through the display format; text is centred. Entering the
// box by the keyboard or by the program selects the value, so typing replaces it.
class NumberBox : public QLineEdit {
    Q_OBJECT
public:
    explicit NumberBox(QWidget* parent = nullptr);

    std::optional<double> value() const { return m_value; }
    bool hasValue() const { return m_value.has_value(); }
    // The value; throws DataError when the box holds none.
    double valueOrThrow() const;
    void setValue(double value);
    void clearValue();

    QString displayFormat() const { return m_displayFormat; }
    void setDisplayFormat(const QString& format);

signals:
    // The value changed, by typing or by the program.
    void valueChanged();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void takeTypedText(const QString& text);
    void showValue(bool editing);

    std::optional<double> m_value;
    QString m_displayFormat;
};
