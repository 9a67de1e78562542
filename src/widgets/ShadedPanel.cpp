#include "widgets/ShadedPanel.h"

#include "widgets/BlueScheme.h"

#include <QLinearGradient>
#include <QPainter>

ShadedPanel::ShadedPanel(QWidget* parent, Shade shade) : QFrame(parent) {
    if (shade == Shade::Page)
        setColors(BlueScheme::pageTop(), BlueScheme::pageBottom());
    else
        setColors(BlueScheme::panelTop(), BlueScheme::panelBottom());
}

void ShadedPanel::setColors(const QColor& top, const QColor& bottom) {
    m_top = top;
    m_bottom = bottom;
    update();
}

void ShadedPanel::paintEvent(QPaintEvent* event) {
    {
        QPainter painter(this);
        QLinearGradient gradient(0, 0, 0, height());
        gradient.setColorAt(0, m_top);
        gradient.setColorAt(1, m_bottom);
        painter.fillRect(rect(), gradient);
    }
    QFrame::paintEvent(event);
}
