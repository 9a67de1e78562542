#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QPointF>
#include <QRectF>
#include <vector>

class QPainter;
class QString;
struct PreparedPage;
struct PreparedText;
struct ReportFont;

// Draws prepared pages on any QPainter (a window, an image, a printer, a PDF file) in device
// coordinates: `origin` is where the paper's top-left corner lies and `scale` the device pixels
// per design unit (1/96 inch). Fonts are sized for the painter's device, so a page looks the
// same at every scale. A text is kept inside its rectangle: wrapped at word boundaries when
// more lines fit, cut short with "…" when it is still too long. A number is never wrapped or
// cut: one that does not fit is drawn in a smaller font, as large as fits.
class ReportPagePainter {
public:
    ReportPagePainter(QPainter& painter, QPointF origin, double scale);

    // The paper (white) and every text of the page.
    void drawPage(const PreparedPage& page);
    void drawText(const PreparedText& text);

    QRectF deviceRect(const QRectF& designRect) const;

private:
    struct FontEntry {
        double size;
        bool bold;
        bool italic;
        QString family;
        QFont font;
        QFontMetricsF metrics;
    };
    const FontEntry& fontFor(const ReportFont& font);
    void drawLines(const PreparedText& text, const QRectF& area, const FontEntry& font);
    void drawNumber(const PreparedText& text, const QRectF& area, const FontEntry& font);
    void drawLine(const PreparedText& text, const QRectF& area, const QString& line,
                  const QFontMetricsF& metrics);
    void drawFrame(const PreparedText& text);

    QPainter& m_painter;
    QPointF m_origin;
    double m_scale;
    std::vector<FontEntry> m_fonts;
};

// Whether a text is a number as a report shows one: digits with signs, separators, a decimal
// point, a currency sign and blanks, or the mark of a number that is not finite.
bool IsNumberText(const QString& text);
