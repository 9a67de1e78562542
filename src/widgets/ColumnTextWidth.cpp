#include "widgets/ColumnTextWidth.h"

#include "data/Query.h"
#include "lists/ListFormatter.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QString>
#include <algorithm>
#include <cmath>
#include <string>
#include <unordered_set>
#include <vector>

namespace {

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A bound on the width of a text from its characters, so that most texts need not be measured:
// the advance of each ASCII character, one em for the Chinese and full-width characters (which
// the program's font draws one em wide), and the font's widest character for the others.
class WidthBound {
public:
    explicit WidthBound(const QFontMetrics& metrics) {
        const QFontMetricsF exact(metrics);
        for (char16_t c = 0; c < 0x80; ++c)
            m_ascii[c] = std::max(exact.horizontalAdvance(QChar(c)), 0.0);
        for (const char16_t c : {u'中', u'，', u'。', u'（', u'Ｗ', u'：'})
            m_wide = std::max(m_wide, exact.horizontalAdvance(QChar(c)));
        m_other = std::max({exact.maxWidth(), m_wide, 1.0});
    }

    // In whole pixels, as QFontMetrics measures: no text is wider.
    int of(const std::string& utf8) const {
        double bound = 0;
        for (const char byte : utf8) {
            const auto b = static_cast<unsigned char>(byte);
            if (b < 0x80)
                bound += m_ascii[b];
            else if (b >= 0xE3 && b <= 0xE9) // U+3000 to U+9FFF
                bound += m_wide;
            else if ((b & 0xC0) != 0x80)
                bound += m_other;
        }
        return static_cast<int>(std::ceil(bound));
    }

private:
    double m_ascii[0x80];
    double m_wide = 1;
    double m_other = 1;
};

QChar widestDigit(const QFontMetrics& metrics) {
    QChar widest = u'0';
    for (char16_t digit = u'1'; digit <= u'9'; ++digit) {
        if (metrics.horizontalAdvance(QChar(digit)) > metrics.horizontalAdvance(widest))
            widest = QChar(digit);
    }
    return widest;
}

// The texts shown as they are held, each once: measured widest bound first, until no bound is
// above the widest text found.
class TextMeasure {
public:
    TextMeasure(const ListFormatter& formatter, int column, const QFontMetrics& metrics)
        : m_formatter(formatter), m_column(column), m_bounds(metrics) {}

    void add(const CellValue& value) {
        // A text is held once, so its address names it.
        if (!m_seen.insert(value.text.data()).second)
            return;
        m_text.clear();
        m_formatter.append(m_column, value, m_text);
        m_candidates.push_back({m_bounds.of(m_text), value});
    }

    int widest(const QFontMetrics& metrics) {
        std::sort(m_candidates.begin(), m_candidates.end(),
                  [](const Candidate& a, const Candidate& b) { return a.bound > b.bound; });
        int widest = 0;
        for (const Candidate& candidate : m_candidates) {
            if (candidate.bound <= widest)
                break;
            m_text.clear();
            m_formatter.append(m_column, candidate.value, m_text);
            widest = std::max(widest, metrics.horizontalAdvance(fromUtf8(m_text)));
        }
        return widest;
    }

private:
    struct Candidate {
        int bound; // no wider than this
        CellValue value;
    };
    const ListFormatter& m_formatter;
    int m_column;
    WidthBound m_bounds;
    std::unordered_set<const char*> m_seen;
    std::vector<Candidate> m_candidates;
    std::string m_text;
};

// Numbers and dates by the shapes of their texts, each shape once.
class ShapeMeasure {
public:
    ShapeMeasure(const ListFormatter& formatter, int column)
        : m_formatter(formatter), m_column(column) {}

    void add(const CellValue& value) {
        m_text.clear();
        m_formatter.append(m_column, value, m_text);
        for (char& c : m_text) {
            if (c >= '0' && c <= '9')
                c = '0';
        }
        if (m_shapes.find(m_text) == m_shapes.end())
            m_shapes.insert(m_text);
    }

    int widest(const QFontMetrics& metrics) const {
        const QChar digit = widestDigit(metrics);
        int widest = 0;
        for (const std::string& shape : m_shapes) {
            QString shown = fromUtf8(shape);
            shown.replace(u'0', digit);
            widest = std::max(widest, metrics.horizontalAdvance(shown));
        }
        return widest;
    }

private:
    const ListFormatter& m_formatter;
    int m_column;
    std::unordered_set<std::string> m_shapes;
    std::string m_text;
};

} // namespace

int WidestCellTextWidth(const Query& query, int field, const ListFormatter& formatter, int column,
                        bool asText, const QFontMetrics& metrics) {
    if (!query.Active() || field < 0 || field >= query.FieldCount())
        return 0;
    TextMeasure texts(formatter, column, metrics);
    ShapeMeasure shapes(formatter, column);
    const int rows = query.RecordCount();
    for (int row = 0; row < rows; ++row) {
        const CellValue value = query.CellAt(row, field);
        if (value.kind == CellValue::Kind::Null)
            continue;
        if (asText && value.kind == CellValue::Kind::Text)
            texts.add(value);
        else
            shapes.add(value);
    }
    return std::max(texts.widest(metrics), shapes.widest(metrics));
}
