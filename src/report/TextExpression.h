#pragma once

#include <QString>
#include <vector>

class ReportDataSource;

// A text with its references resolved once, so that printing a record only joins the pieces:
// "[Dataset.Field]" (a field of a data source, by its dataset's or its own name), "[PAGE#]" and
// "[TOTALPAGES]". Brackets that name none of these stay as they are written.
class TextExpression {
public:
    TextExpression() = default;
    // Throws ReportError for a reference to a data source that has no such field.
    TextExpression(const QString& text, const ReportDataSource* source);
    // A text printed exactly as it stands.
    static TextExpression Literal(const QString& text);

    // `record` is 0-based in the data source; outside its records a field reads as empty text.
    QString Evaluate(int record, int page, int totalPages) const;
    bool IsConstant() const;

private:
    enum class Kind { Text, Field, Page, TotalPages };
    struct Piece {
        Kind kind;
        QString text;
        int field = -1;
    };
    void appendText(const QString& text);
    bool resolve(const QString& reference);

    std::vector<Piece> m_pieces;
    const ReportDataSource* m_source = nullptr;
};
