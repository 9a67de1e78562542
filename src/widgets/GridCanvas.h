#pragma once

#include <QColor>

class QPainter;

// The drawing surface of a DataGrid while a cell is being drawn: the background (brush) and
// text (font) colours that the next default cell drawing uses.
class GridCanvas {
public:
    void setBrushColor(const QColor& color) { m_brush = color; }
    QColor brushColor() const { return m_brush; }
    void setFontColor(const QColor& color) { m_font = color; }
    QColor fontColor() const { return m_font; }
    // The painter of the cell being drawn; null outside cell drawing.
    QPainter* painter() const { return m_painter; }

private:
    friend class DataGrid;
    QColor m_brush;
    QColor m_font;
    QPainter* m_painter = nullptr;
};
