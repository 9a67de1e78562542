#include "ReportPagePainter.h"

#include "ColorCodes.h"
#include "Numbers.h"
#include "PreparedReport.h"
#include "ReportText.h"

#include <QPaintDevice>
#include <QPainter>
#include <QTextLayout>
#include <algorithm>

namespace {

// Space between a text and its cell's edges, in design units.
constexpr double paddingX = 2;
constexpr double paddingY = 1;

// A line of a text: where it starts in the text and how long it is.
struct TextSpan {
    qsizetype start;
    qsizetype length;
};

} // namespace

ReportPagePainter::ReportPagePainter(QPainter& painter, QPointF origin, double scale)
    : m_painter(painter), m_origin(origin), m_scale(scale) {}

QRectF ReportPagePainter::deviceRect(const QRectF& designRect) const {
    return QRectF(m_origin + designRect.topLeft() * m_scale, designRect.size() * m_scale);
}

void ReportPagePainter::drawPage(const PreparedPage& page) {
    m_painter.fillRect(deviceRect(QRectF(0, 0, page.setup.width, page.setup.height)), Qt::white);
    for (const PreparedText& text : page.texts)
        drawText(text);
}

const ReportPagePainter::FontEntry& ReportPagePainter::fontFor(const ReportFont& font) {
    for (const FontEntry& entry : m_fonts) {
        if (entry.size == font.size && entry.bold == font.bold && entry.italic == font.italic &&
            entry.family == font.family)
            return entry;
    }
    // A point is 96/72 design units; the device turns points into its pixels by its own
    // resolution, so the size is set in the device's points.
    QPaintDevice* device = m_painter.device();
    const int dpi = device && device->logicalDpiY() > 0 ? device->logicalDpiY() : 96;
    QFont qfont(font.family.isEmpty() ? DefaultReportFontFamily() : font.family);
    qfont.setPointSizeF(std::max(0.1, font.size * 96.0 * m_scale / dpi));
    qfont.setBold(font.bold);
    qfont.setItalic(font.italic);
    m_fonts.push_back(
        {font.size, font.bold, font.italic, font.family, qfont, QFontMetricsF(qfont, device)});
    return m_fonts.back();
}

void ReportPagePainter::drawText(const PreparedText& text) {
    const QRectF rect = deviceRect(text.rect);
    if (text.fillColor)
        m_painter.fillRect(rect, QColor::fromRgba(ColorToArgb(*text.fillColor)));
    if (!text.text.isEmpty() && rect.width() > 0 && rect.height() > 0) {
        m_painter.save();
        m_painter.setClipRect(rect, Qt::IntersectClip);
        QRectF area = rect;
        if (text.alignment & frtaVertical) {
            // Turned a quarter to the left: the text runs upwards from the bottom edge.
            m_painter.translate(rect.bottomLeft());
            m_painter.rotate(-90);
            area = QRectF(0, 0, rect.height(), rect.width());
        }
        area.adjust(paddingX * m_scale, paddingY * m_scale, -paddingX * m_scale,
                    -paddingY * m_scale);
        const FontEntry& font = fontFor(text.font);
        m_painter.setFont(font.font);
        m_painter.setPen(QColor::fromRgba(ColorToArgb(text.fontColor)));
        drawLines(text, area, font);
        m_painter.restore();
    }
    if (text.frame)
        drawFrame(text);
}

bool IsNumberText(const QString& text) {
    if (text == QLatin1String(NonFiniteMark))
        return true;
    bool digits = false;
    for (const QChar c : text) {
        if (c.isDigit())
            digits = true;
        else if (!QStringView(u"+-.,'%￥¥$ \u00A0\u202F").contains(c))
            return false;
    }
    return digits;
}

// Drawn in the font's size when it fits, else in the largest smaller size that fits.
void ReportPagePainter::drawNumber(const PreparedText& text, const QRectF& area,
                                   const FontEntry& font) {
    const QString& number = text.text;
    double width = font.metrics.horizontalAdvance(number);
    if (width <= area.width()) {
        drawLine(text, area, number, font.metrics);
        return;
    }
    QFont smaller = font.font;
    QFontMetricsF metrics = font.metrics;
    double size = smaller.pointSizeF();
    // Text widths grow with the size, but not exactly in proportion (glyphs are fitted to the
    // device's pixels): start at the proportional size and step down until it fits.
    size *= area.width() / width;
    for (int attempt = 0; attempt < 40 && size > 0.1; ++attempt, size *= 0.97) {
        smaller.setPointSizeF(size);
        metrics = QFontMetricsF(smaller, m_painter.device());
        width = metrics.horizontalAdvance(number);
        if (width <= area.width())
            break;
    }
    m_painter.setFont(smaller);
    drawLine(text, area, number, metrics);
    m_painter.setFont(font.font);
}

// One line in the area as the text's alignment places it.
void ReportPagePainter::drawLine(const PreparedText& text, const QRectF& area, const QString& line,
                                 const QFontMetricsF& metrics) {
    const double height = metrics.ascent() + metrics.descent();
    double top = area.top();
    if (text.alignment & frtaMiddle)
        top = area.center().y() - height / 2;
    else if (text.alignment & frtaDown)
        top = area.bottom() - height;
    const double width = metrics.horizontalAdvance(line);
    double left = area.left();
    if (text.alignment & frtaCenter)
        left = area.center().x() - width / 2;
    else if (text.alignment & frtaRight)
        left = area.right() - width;
    m_painter.drawText(QPointF(left, top + metrics.ascent()), line);
}

void ReportPagePainter::drawLines(const PreparedText& text, const QRectF& area,
                                  const FontEntry& font) {
    const QFontMetricsF& metrics = font.metrics;
    const QString& content = text.text;
    if (IsNumberText(content)) {
        drawNumber(text, area, font);
        return;
    }
    const int maxLines = std::max(1, int(area.height() / metrics.lineSpacing()));

    // Paragraphs as they are, wrapped at word boundaries when more lines fit.
    std::vector<TextSpan> spans;
    qsizetype start = 0;
    while (start <= content.size() && int(spans.size()) < maxLines) {
        qsizetype end = content.indexOf(u'\n', start);
        if (end < 0)
            end = content.size();
        const QString paragraph = content.mid(start, end - start);
        if (maxLines == 1 || metrics.horizontalAdvance(paragraph) <= area.width()) {
            spans.push_back({start, end - start});
        } else {
            QTextLayout layout(paragraph, font.font, m_painter.device());
            QTextOption option;
            option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
            layout.setTextOption(option);
            layout.beginLayout();
            for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
                line.setLineWidth(area.width());
                spans.push_back({start + line.textStart(), line.textLength()});
            }
            layout.endLayout();
        }
        start = end + 1;
    }

    const bool cut =
        int(spans.size()) > maxLines || (int(spans.size()) == maxLines && start <= content.size());
    if (int(spans.size()) > maxLines)
        spans.resize(std::size_t(maxLines));
    QStringList lines;
    for (const TextSpan& span : spans)
        lines << content.mid(span.start, span.length);
    // The last line that fits carries the rest of the text, shortened with "…".
    QString& last = lines.last();
    if (cut)
        last = content.mid(spans.back().start).replace(u'\n', u' ');
    if (cut || metrics.horizontalAdvance(last) > area.width())
        last = metrics.elidedText(last, Qt::ElideRight, area.width());

    const double blockHeight = lines.size() * metrics.lineSpacing() - metrics.leading();
    double top = area.top();
    if (text.alignment & frtaMiddle)
        top = area.center().y() - blockHeight / 2;
    else if (text.alignment & frtaDown)
        top = area.bottom() - blockHeight;
    for (const QString& line : lines) {
        const double width = metrics.horizontalAdvance(line);
        double left = area.left();
        if (text.alignment & frtaCenter)
            left = area.center().x() - width / 2;
        else if (text.alignment & frtaRight)
            left = area.right() - width;
        m_painter.drawText(QPointF(left, top + metrics.ascent()), line);
        top += metrics.lineSpacing();
    }
}

// The edges are placed from the design units of each side, so that cells which meet on the
// design page draw their shared edge on the same device pixels.
void ReportPagePainter::drawFrame(const PreparedText& text) {
    const QRect& r = text.rect;
    const double left = m_origin.x() + r.left() * m_scale;
    const double right = m_origin.x() + (r.left() + r.width()) * m_scale;
    const double top = m_origin.y() + r.top() * m_scale;
    const double bottom = m_origin.y() + (r.top() + r.height()) * m_scale;
    m_painter.save();
    QPen pen(Qt::black, std::max(1.0, m_scale));
    pen.setCapStyle(Qt::SquareCap);
    m_painter.setPen(pen);
    if (text.frame & frftTop)
        m_painter.drawLine(QPointF(left, top), QPointF(right, top));
    if (text.frame & frftRight)
        m_painter.drawLine(QPointF(right, top), QPointF(right, bottom));
    if (text.frame & frftBottom)
        m_painter.drawLine(QPointF(left, bottom), QPointF(right, bottom));
    if (text.frame & frftLeft)
        m_painter.drawLine(QPointF(left, top), QPointF(left, bottom));
    m_painter.restore();
}
