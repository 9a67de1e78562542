#include "widgets/FixedLabel.h"

FixedLabel::FixedLabel(const QString& text, QWidget* parent, const QRect& geometry,
                       Qt::Alignment alignment)
    : QLabel(text, parent) {
    setGeometry(geometry);
    setFixedSize(geometry.size());
    setAlignment(alignment | Qt::AlignVCenter);
    setAutoFillBackground(false);
    setAttribute(Qt::WA_TranslucentBackground);
}
