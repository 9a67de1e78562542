#pragma once

#include <QLabel>

// A label of fixed size on a transparent background.
class FixedLabel : public QLabel {
    Q_OBJECT
public:
    FixedLabel(const QString& text, QWidget* parent, const QRect& geometry,
               Qt::Alignment alignment = Qt::AlignLeft);
};
