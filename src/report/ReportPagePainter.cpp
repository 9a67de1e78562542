#include "report/ReportPagePainter.h"

#include "platform/ColorCodes.h"
#include "platform/Numbers.h"
#include "report/PreparedReport.h"
#include "report/ReportText.h"

#include <QPaintDevice>
#include <QPainter>
#include <QTextLayout>
#include <algorithm>

namespace {

// Space between a text and its cell's edges, in design units.
constexpr double paddingX = 2;
constexpr double paddingY = 1;

// Where a line of the given width starts across the area, as the alignment places it.
double alignedLeft(int alignment, const QRectF& area, double width) {
    if (alignment & frtaCenter)
        return area.center().x() - width / 2;
    if (alignment & frtaRight)
        return area.right() - width;
    return area.left();
}

// Where a block of lines of the given height starts down the area, as the alignment places it.
double alignedTop(int alignment, const QRectF& area, double height) {
    if (alignment & frtaMiddle)
        return area.center().y() - height / 2;
    if (alignment & frtaDown)
        return area.bottom() - height;
    return area.top();
}

// Whether a span across and a span down lie inside a rectangle (a hair's tolerance for
// rounding), so that what is drawn there needs no clipping.
bool inside(const QRectF& rect, double left, double right, double top, double bottom) {
    constexpr double hair = 1e-6;
    return left >= rect.left() - hair && right <= rect.right() + hair && top >= rect.top() - hair &&
           bottom <= rect.bottom() + hair;
}

// Sorts the sides along each line and joins those that touch or overlap into one.
void joinEdges(auto& edges) {
    std::sort(edges.begin(), edges.end(), [](const auto& a, const auto& b) {
        return a.at != b.at ? a.at < b.at : a.from < b.from;
    });
    auto joined = edges.begin();
    for (auto edge = edges.begin(); edge != edges.end(); ++edge) {
        if (edge != edges.begin() && edge->at == joined->at && edge->from <= joined->to)
            joined->to = std::max(joined->to, edge->to);
        else if (edge != edges.begin())
            *++joined = *edge;
    }
    if (!edges.empty())
        edges.erase(joined + 1, edges.end());
}

} // namespace

ReportPagePainter::ReportPagePainter(QPainter& painter, QPointF origin, double scale)
    : m_painter(painter), m_origin(origin), m_scale(scale) {}

QRectF ReportPagePainter::deviceRect(const QRectF& designRect) const {
    return QRectF(m_origin + designRect.topLeft() * m_scale, designRect.size() * m_scale);
}

// Font and pen are set as the texts need them; the painter is left as it was found.
void ReportPagePainter::drawPage(const PreparedPage& page) {
    m_painter.save();
    m_currentFont.reset();
    m_currentColor.reset();
    m_painter.fillRect(deviceRect(QRectF(0, 0, page.setup.width, page.setup.height)), Qt::white);
    for (const PreparedText& text : page.texts) {
        if (text.fillColor)
            m_painter.fillRect(deviceRect(text.rect),
                               QColor::fromRgba(ColorToArgb(*text.fillColor)));
    }
    m_horizontal.clear();
    m_vertical.clear();
    for (const PreparedText& text : page.texts) {
        drawText(text);
        addFrame(text);
    }
    drawRules();
    m_painter.restore();
}

std::size_t ReportPagePainter::fontFor(const ReportFont& font) {
    const auto same = [&](const FontEntry& entry) {
        return entry.size == font.size && entry.bold == font.bold && entry.italic == font.italic &&
               entry.family == font.family;
    };
    if (m_currentFont && same(m_fonts[*m_currentFont]))
        return *m_currentFont;
    for (std::size_t i = 0; i < m_fonts.size(); ++i) {
        if (same(m_fonts[i]))
            return i;
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
    return m_fonts.size() - 1;
}

void ReportPagePainter::useFont(std::size_t font) {
    if (m_currentFont != font) {
        m_painter.setFont(m_fonts[font].font);
        m_currentFont = font;
    }
}

void ReportPagePainter::useTextColor(quint32 color) {
    if (m_currentColor != color) {
        m_painter.setPen(QColor::fromRgba(ColorToArgb(color)));
        m_currentColor = color;
    }
}

void ReportPagePainter::drawText(const PreparedText& text) {
    const QRectF rect = deviceRect(text.rect);
    if (text.text.isEmpty() || rect.width() <= 0 || rect.height() <= 0)
        return;
    const std::size_t font = fontFor(text.font);
    useFont(font);
    useTextColor(text.fontColor);
    if (text.alignment & frtaVertical) {
        drawTurnedText(text, rect, m_fonts[font]);
        return;
    }
    const QRectF area = rect.adjusted(paddingX * m_scale, paddingY * m_scale, -paddingX * m_scale,
                                      -paddingY * m_scale);
    drawLines(text, area, rect, m_fonts[font]);
}

// Turned a quarter to the left: the text runs upwards from the bottom edge.
void ReportPagePainter::drawTurnedText(const PreparedText& text, const QRectF& rect,
                                       const FontEntry& font) {
    m_painter.save();
    m_painter.translate(rect.bottomLeft());
    m_painter.rotate(-90);
    const QRectF turned(0, 0, rect.height(), rect.width());
    const QRectF area = turned.adjusted(paddingX * m_scale, paddingY * m_scale, -paddingX * m_scale,
                                        -paddingY * m_scale);
    drawLines(text, area, turned, font);
    m_painter.restore();
}

// The text's lines in the area; clipped to `clip` only when they do not lie inside it.
void ReportPagePainter::drawLines(const PreparedText& text, const QRectF& area, const QRectF& clip,
                                  const FontEntry& font) {
    const QString& content = text.text;
    if (IsNumberText(content)) {
        drawNumber(text, area, clip, font);
        return;
    }
    if (!content.contains(u'\n')) {
        const QFontMetricsF& metrics = font.metrics;
        const double width = metrics.horizontalAdvance(content);
        const double height = metrics.ascent() + metrics.descent();
        const double left = alignedLeft(text.alignment, area, width);
        const double top = alignedTop(text.alignment, area, height);
        if (width <= area.width() && inside(clip, left, left + width, top, top + height)) {
            m_painter.drawText(QPointF(left, top + metrics.ascent()), content);
            return;
        }
    }
    drawWrapped(text, area, clip, font);
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
void ReportPagePainter::drawNumber(const PreparedText& text, const QRectF& area, const QRectF& clip,
                                   const FontEntry& font) {
    const QString& number = text.text;
    double width = font.metrics.horizontalAdvance(number);
    std::optional<QFont> smaller;
    std::optional<QFontMetricsF> smallerMetrics;
    if (width > area.width()) {
        smaller = font.font;
        double size = smaller->pointSizeF();
        // Text widths grow with the size, but not exactly in proportion (glyphs are fitted to
        // the device's pixels): start at the proportional size and step down until it fits.
        size *= area.width() / width;
        for (int attempt = 0; attempt < 40 && size > 0.1; ++attempt, size *= 0.97) {
            smaller->setPointSizeF(size);
            smallerMetrics.emplace(*smaller, m_painter.device());
            width = smallerMetrics->horizontalAdvance(number);
            if (width <= area.width())
                break;
        }
    }
    const QFontMetricsF& metrics = smallerMetrics ? *smallerMetrics : font.metrics;
    const double height = metrics.ascent() + metrics.descent();
    const double left = alignedLeft(text.alignment, area, width);
    const double top = alignedTop(text.alignment, area, height);
    const bool clipped = !inside(clip, left, left + width, top, top + height);
    if (clipped || smaller) {
        m_painter.save();
        if (clipped)
            m_painter.setClipRect(clip, Qt::IntersectClip);
        if (smaller)
            m_painter.setFont(*smaller);
    }
    m_painter.drawText(QPointF(left, top + metrics.ascent()), number);
    if (clipped || smaller)
        m_painter.restore();
}

// Paragraphs as they are, wrapped at word boundaries when more lines fit; the last line that
// fits carries the rest of the text, shortened with "…".
void ReportPagePainter::drawWrapped(const PreparedText& text, const QRectF& area,
                                    const QRectF& clip, const FontEntry& font) {
    const QFontMetricsF& metrics = font.metrics;
    const QString& content = text.text;
    const int maxLines = std::max(1, int(area.height() / metrics.lineSpacing()));

    m_spans.clear();
    qsizetype start = 0;
    while (start <= content.size() && int(m_spans.size()) < maxLines) {
        qsizetype end = content.indexOf(u'\n', start);
        if (end < 0)
            end = content.size();
        const QString paragraph = content.mid(start, end - start);
        if (maxLines == 1 || metrics.horizontalAdvance(paragraph) <= area.width()) {
            m_spans.push_back({start, end - start});
        } else {
            QTextLayout layout(paragraph, font.font, m_painter.device());
            QTextOption option;
            option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
            layout.setTextOption(option);
            layout.beginLayout();
            for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
                line.setLineWidth(area.width());
                m_spans.push_back({start + line.textStart(), line.textLength()});
            }
            layout.endLayout();
        }
        start = end + 1;
    }

    const bool cut = int(m_spans.size()) > maxLines ||
                     (int(m_spans.size()) == maxLines && start <= content.size());
    if (int(m_spans.size()) > maxLines)
        m_spans.resize(std::size_t(maxLines));
    QStringList lines;
    for (const TextSpan& span : m_spans)
        lines << content.mid(span.start, span.length);
    QString& last = lines.last();
    if (cut)
        last = content.mid(m_spans.back().start).replace(u'\n', u' ');
    if (cut || metrics.horizontalAdvance(last) > area.width())
        last = metrics.elidedText(last, Qt::ElideRight, area.width());

    std::vector<double> widths;
    double left = area.left();
    double right = area.right();
    for (const QString& line : lines) {
        widths.push_back(metrics.horizontalAdvance(line));
        left = std::min(left, alignedLeft(text.alignment, area, widths.back()));
        right = std::max(right, alignedLeft(text.alignment, area, widths.back()) + widths.back());
    }
    const double blockHeight = lines.size() * metrics.lineSpacing() - metrics.leading();
    double top = alignedTop(text.alignment, area, blockHeight);
    const bool clipped = !inside(clip, left, right, top, top + blockHeight);
    if (clipped) {
        m_painter.save();
        m_painter.setClipRect(clip, Qt::IntersectClip);
    }
    for (qsizetype i = 0; i < lines.size(); ++i) {
        m_painter.drawText(QPointF(alignedLeft(text.alignment, area, widths[std::size_t(i)]),
                                   top + metrics.ascent()),
                           lines[i]);
        top += metrics.lineSpacing();
    }
    if (clipped)
        m_painter.restore();
}

void ReportPagePainter::addFrame(const PreparedText& text) {
    if (!text.frame)
        return;
    const QRect& r = text.rect;
    const int right = r.left() + r.width();
    const int bottom = r.top() + r.height();
    if (text.frame & frftTop)
        m_horizontal.push_back({r.top(), r.left(), right});
    if (text.frame & frftBottom)
        m_horizontal.push_back({bottom, r.left(), right});
    if (text.frame & frftLeft)
        m_vertical.push_back({r.left(), r.top(), bottom});
    if (text.frame & frftRight)
        m_vertical.push_back({right, r.top(), bottom});
}

// The sides are placed from their design units, so that cells which meet on the design page
// meet on the device, and drawn as few whole lines in one pen: a row's top and bottom across
// the table, a column's edge down the page.
void ReportPagePainter::drawRules() {
    if (m_horizontal.empty() && m_vertical.empty())
        return;
    joinEdges(m_horizontal);
    joinEdges(m_vertical);
    m_rules.clear();
    const auto x = [&](int design) { return m_origin.x() + design * m_scale; };
    const auto y = [&](int design) { return m_origin.y() + design * m_scale; };
    for (const Edge& edge : m_horizontal)
        m_rules.emplace_back(x(edge.from), y(edge.at), x(edge.to), y(edge.at));
    for (const Edge& edge : m_vertical)
        m_rules.emplace_back(x(edge.at), y(edge.from), x(edge.at), y(edge.to));
    QPen pen(Qt::black, std::max(1.0, m_scale));
    pen.setCapStyle(Qt::SquareCap);
    m_painter.setPen(pen);
    m_currentColor.reset();
    m_painter.drawLines(m_rules.data(), int(m_rules.size()));
}
