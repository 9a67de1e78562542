#pragma once

#include <QColor>
#include <QFrame>

// A panel painted with a vertical gradient from its top colour to its bottom colour.
class ShadedPanel : public QFrame {
    Q_OBJECT
public:
    enum class Shade { Panel, Page };

    explicit ShadedPanel(QWidget* parent = nullptr, Shade shade = Shade::Panel);

    void setColors(const QColor& top, const QColor& bottom);
    QColor topColor() const { return m_top; }
    QColor bottomColor() const { return m_bottom; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_top;
    QColor m_bottom;
};
