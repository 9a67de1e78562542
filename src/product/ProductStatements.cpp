#include "product/ProductStatements.h"

#include "data/ShareDMUnit.h"

const QString AllItems = QStringLiteral("所有");

namespace {

QString condition(const char* column, const QString& text) {
    return QStringLiteral(" and ") + QLatin1String(column) + '=' + QuotedSql(text);
}

} // namespace

QString ProductFilterFragment(const QString& name, const QString& model) {
    QString fragment;
    if (name != AllItems)
        fragment += condition("ProductName", name);
    if (model != AllItems)
        fragment += condition("ProductType", model);
    return fragment;
}

bool FiltersByName(const QString& fragment) {
    // A date range holds no such word, and the first product condition is written before any
    // text that a condition quotes.
    const qsizetype products = fragment.indexOf(QStringLiteral(" and Product"));
    return products >= 0 &&
           QStringView(fragment).mid(products).startsWith(QStringLiteral(" and ProductName="));
}

const QString NameIndexOrder =
    QStringLiteral("ProductType COLLATE ucs_basic NULLS FIRST,ProductIndex");

QString ModelListFragment(const QString& name) {
    return name == AllItems ? QString() : condition("ProductName", name);
}

QString ProductListStatement(const QString& fragment) {
    return FormatSql(QStringLiteral("select * from Product where 0=0 %s"), {fragment});
}

QString ProductByIndexStatement(qint64 productIndex) {
    return QStringLiteral("select * from Product where ProductIndex=") +
           QString::number(productIndex);
}

QString ProductBySerialStatement(const QString& serial) {
    return QStringLiteral("select * from Product where ProductSerial=") + QuotedSql(serial);
}

QString FilledFieldsFragment(const QString& name, const QString& model, const QString& unit) {
    QString fragment;
    if (!name.isEmpty())
        fragment += condition("ProductName", name);
    if (!model.isEmpty())
        fragment += condition("ProductType", model);
    if (!unit.isEmpty())
        fragment += condition("ProductUnit", unit);
    return fragment;
}
