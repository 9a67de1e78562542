#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QLineF>
#include <QPointF>
#include <QRectF>
#include <optional>
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
//
// A page of a long table is mostly cells, so the drawing does per cell only what the cell
// needs: font and pen change only when they differ from the cell before, only a text that does
// not fit its rectangle is clipped, and the frames are gathered and drawn last as rules, each
// edge that cells share or continue once, as one line.
class ReportPagePainter {
public:
    ReportPagePainter(QPainter& painter, QPointF origin, double scale);

    // The paper (white), the fills, the texts and the frames of the page; the painter's own
    // state (pen, font, clip) is as it was afterwards.
    void drawPage(const PreparedPage& page);

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
    // A side of a frame in design units: at `at` (the y of a horizontal side, the x of a
    // vertical one), from `from` to `to` along it.
    struct Edge {
        int at;
        int from;
        int to;
    };
    // A line of a text: where it starts in the text and how long it is.
    struct TextSpan {
        qsizetype start;
        qsizetype length;
    };

    std::size_t fontFor(const ReportFont& font);
    void useFont(std::size_t font);
    void useTextColor(quint32 color);
    void drawText(const PreparedText& text);
    void drawTurnedText(const PreparedText& text, const QRectF& rect, const FontEntry& font);
    void drawLines(const PreparedText& text, const QRectF& area, const QRectF& clip,
                   const FontEntry& font);
    void drawNumber(const PreparedText& text, const QRectF& area, const QRectF& clip,
                    const FontEntry& font);
    void drawWrapped(const PreparedText& text, const QRectF& area, const QRectF& clip,
                     const FontEntry& font);
    void addFrame(const PreparedText& text);
    void drawRules();

    QPainter& m_painter;
    QPointF m_origin;
    double m_scale;
    std::vector<FontEntry> m_fonts;
    std::optional<std::size_t> m_currentFont;
    std::optional<quint32> m_currentColor;
    std::vector<Edge> m_horizontal;
    std::vector<Edge> m_vertical;
    std::vector<QLineF> m_rules;
    std::vector<TextSpan> m_spans;
};

// Whether a text is a number as a report shows one: digits with signs, separators, a decimal
// point, a currency sign and blanks, or the mark of a number that is not finite.
bool IsNumberText(const QString& text);
