#include "stock/StockCountFile.h"

#include "data/DataError.h"
#include "data/Query.h"
#include "data/ShareDMUnit.h"

#include <QFile>
#include <QHash>
#include <QStringDecoder>

namespace {

// The fields of one line of a CSV file: separated by commas; a field in double quotes may hold
// commas, and "" stands for one quote in it. Returns false for a quote left open.
bool splitFields(const QString& line, QStringList& fields) {
    fields.clear();
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted) {
            if (c != '"')
                field += c;
            else if (i + 1 < line.size() && line[i + 1] == '"')
                field += line[++i];
            else
                quoted = false;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields << field;
            field.clear();
        } else {
            field += c;
        }
    }
    fields << field;
    return !quoted;
}

[[noreturn]] void refuse(int line, const QString& what) {
    throw DataError(QStringLiteral("盘点文件第 %1 行：%2。盘点没有记录。").arg(line).arg(what));
}

// The catalogue's codes, each with the keys of the products that carry it.
QHash<QString, QList<qint64>> productsByCode(Connection& connection) {
    Query query(&connection);
    OpenSQL(query, ProductCodesStatement());
    const int key = query.FieldIndex(QStringLiteral("ProductIndex"));
    const int code = query.FieldIndex(QStringLiteral("ProductSerial"));
    QHash<QString, QList<qint64>> products;
    products.reserve(query.RecordCount());
    for (int row = 0; row < query.RecordCount(); ++row)
        products[query.TextAt(row, code)] << query.IntegerAt(row, key);
    return products;
}

QStringList decodedLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw DataError(QStringLiteral("无法读取盘点文件 %1：%2").arg(path, file.errorString()));
    QByteArray bytes = file.readAll();
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    const QList<QByteArray> rawLines = bytes.split('\n');
    QStringList lines;
    lines.reserve(rawLines.size());
    for (qsizetype i = 0; i < rawLines.size(); ++i) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString line = utf8(rawLines[i]);
        if (utf8.hasError())
            refuse(int(i + 1), QStringLiteral("不是 UTF-8 编码的文字（请把文件另存为 UTF-8 "
                                              "编码的 CSV 文件）"));
        if (line.endsWith('\r'))
            line.chop(1);
        lines << line;
    }
    return lines;
}

} // namespace

QString ProductCodesStatement() {
    return QStringLiteral("select ProductIndex,ProductSerial from Product");
}

std::vector<StockCount> ReadStockCountFile(Connection& connection, const QString& path) {
    const QStringList lines = decodedLines(path);
    const QHash<QString, QList<qint64>> products = productsByCode(connection);
    std::vector<StockCount> counts;
    QHash<qint64, int> countedOnLine;
    bool firstLine = true;
    QStringList fields;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int lineNumber = int(i + 1);
        if (lines[i].trimmed().isEmpty())
            continue;
        const bool header = firstLine;
        firstLine = false;
        if (!splitFields(lines[i], fields))
            refuse(lineNumber, QStringLiteral("引号没有结束"));
        while (fields.size() > 2 && fields.last().trimmed().isEmpty())
            fields.removeLast();
        if (fields.size() != 2)
            refuse(lineNumber, QStringLiteral("每行应为“商品编号,实盘数量”两项"));
        const QString code = fields[0].trimmed();
        const QString countText = fields[1].trimmed();
        const auto product = products.constFind(code);
        const std::optional<double> counted = ParseCount(countText);
        if (header && !counted && product == products.cend())
            continue;
        if (countText.isEmpty())
            continue;
        if (product == products.cend())
            refuse(lineNumber, QStringLiteral("没有商品编号为“%1”的商品").arg(code));
        if (product->size() > 1)
            refuse(lineNumber, QStringLiteral("商品编号“%1”有 %2 种商品使用，无法确定是哪一种")
                                   .arg(code)
                                   .arg(product->size()));
        if (!counted)
            refuse(lineNumber, QStringLiteral("实盘数量“%1”不是数字（或为负数）").arg(countText));
        const qint64 key = product->first();
        if (const int earlier = countedOnLine.value(key); earlier > 0)
            refuse(lineNumber,
                   QStringLiteral("商品“%1”在第 %2 行已经盘点过").arg(code).arg(earlier));
        countedOnLine.insert(key, lineNumber);
        counts.push_back({key, code, *counted});
    }
    return counts;
}
