// How a query holds and orders its rows: every value read back unchanged through every read path
// whatever its neighbours in the column, text sorting in the user's collation, and rows fetched
// ahead on a connection of their own or filled in the background.
#include "TestSupport.h"
#include "data/DataError.h"
#include "data/FetchLane.h"
#include "data/RowStream.h"
#include "data/ShareDMUnit.h"
#include "data/TextRanks.h"

#include <QCollator>
#include <QtTest>
#include <algorithm>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

// The order a text column had before it was sorted by collation keys: nulls first, texts by the
// collator in numeric mode, texts it holds equal by their UTF-16 code units; equal texts keep the
// statement's order; descending turns the comparison round.
QList<int> referenceOrder(const QList<std::optional<QString>>& values, bool descending) {
    QCollator collator(QLocale(u"zh_CN"_s));
    collator.setNumericMode(true);
    auto less = [&](int a, int b) {
        const auto& x = values[a];
        const auto& y = values[b];
        if (!x || !y)
            return !x && y;
        const int order = collator.compare(*x, *y);
        return order != 0 ? order < 0 : *x < *y;
    };
    QList<int> order;
    for (int i = 0; i < values.size(); ++i)
        order << i;
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return descending ? less(b, a) : less(a, b); });
    return order;
}

// A table of one text column, filled in the given order; Id is the position.
void fillTexts(TestDatabase& db, const QList<std::optional<QString>>& values) {
    db.exec("create table T (Id INTEGER PRIMARY KEY, V TEXT)");
    QStringList rows;
    for (int i = 0; i < values.size(); ++i)
        rows
            << QStringLiteral("(%1, %2)").arg(i).arg(values[i] ? QuotedSql(*values[i]) : u"NULL"_s);
    db.exec("insert into T values " + rows.join(','));
}

QList<int> sortedIds(Query& query, const QString& sort) {
    query.SetSort(sort);
    QList<int> ids;
    for (int row = 0; row < query.RecordCount(); ++row)
        ids << int(query.IntegerAt(row, 0));
    return ids;
}

// A list of 100,000 rows: texts repeated in no order, amounts, dates.
constexpr int ManyRows = 100'000;
const QString ManyRowsStatement = QStringLiteral("select * from M");

void fillManyRows(TestDatabase& db) {
    db.exec("create table M (Id INTEGER PRIMARY KEY, Name TEXT, Amount REAL, Day TEXT)");
    const QDate first(2024, 1, 1);
    QStringList rows;
    for (int x = 1; x <= ManyRows; ++x) {
        rows << QStringLiteral("(%1,'名%2',%3,'%4 00:00:00')")
                    .arg(x)
                    .arg(x * 7919 % 5003)
                    .arg((x % 97) * 1.25)
                    .arg(first.addDays(x % 365).toString(Qt::ISODate));
        if (rows.size() == 10'000 || x == ManyRows) {
            db.exec("insert into M values " + rows.join(','));
            rows.clear();
        }
    }
}

// Every cell of every row, as read in the query's current order.
QList<QVariant> allCells(Query& query) {
    QList<QVariant> cells;
    for (int row = 0; row < query.RecordCount(); ++row)
        for (int column = 0; column < query.FieldCount(); ++column)
            cells << query.ValueAt(row, column);
    return cells;
}

QList<std::optional<QString>> texts(const QStringList& list) {
    QList<std::optional<QString>> values;
    for (const QString& text : list)
        values << (text == u"<null>"_s ? std::nullopt : std::optional<QString>(text));
    return values;
}

// Enough distinct texts, sharing long beginnings, that the keys are sorted eight bytes at a
// time: names, models and numbers, in Chinese and Latin, in both letter cases, with duplicates.
QList<std::optional<QString>> generatedTexts() {
    const QStringList names = {u"不锈钢螺栓"_s, u"不锈钢螺母"_s, u"镀锌螺栓"_s, u"Bolt"_s,
                               u"bolt"_s,       u"BOLT-"_s,      u"阀门"_s,     u""_s};
    QList<std::optional<QString>> values;
    for (int i = 0; i < 700; ++i) {
        const QString number = QString::number((i * 7919) % 1000);
        values << names[i % names.size()] + u" M"_s + QString::number(i % 13) + u" 第"_s + number;
        if (i % 50 == 0)
            values << std::nullopt << names[i % names.size()];
    }
    return values;
}

} // namespace

class TestRowStore : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { UseChineseLocale(); }

    void textsSortAsTheCollationOrdersThem_data() {
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QStringList>("ascending"); // by hand; empty: only the reference
        QTest::newRow("chinese in pinyin")
            << QStringList{u"张"_s, u"阿"_s, u"王"_s, u"李"_s, u"陈"_s, u"白"_s}
            << QStringList{u"阿"_s, u"白"_s, u"陈"_s, u"李"_s, u"王"_s, u"张"_s};
        QTest::newRow("latin, letter case")
            << QStringList{u"b"_s, u"B"_s, u"a"_s, u"A"_s, u"ab"_s, u"Ab"_s} << QStringList{};
        QTest::newRow("numbers by value")
            << QStringList{u"10"_s, u"9"_s, u"100"_s, u"1.5"_s, u"01"_s, u"1"_s, u"-2"_s}
            << QStringList{};
        QTest::newRow("codes with numbers")
            << QStringList{u"P10"_s, u"P9"_s, u"P100"_s, u"p9"_s, u"P09"_s} << QStringList{};
        QTest::newRow("mixed scripts and punctuation")
            << QStringList{u"螺丝 M3"_s, u"螺丝M3"_s,  u"Screw"_s, u"螺丝-M3"_s, u"(旧)螺丝"_s,
                           u"螺丝"_s,    u"3号螺丝"_s, u"😀"_s,     u"é"_s,       u"e\u0301"_s}
            << QStringList{};
        QTest::newRow("empty and null")
            << QStringList{u"b"_s, u""_s, u"<null>"_s, u"a"_s, u""_s, u"<null>"_s}
            << QStringList{u"<null>"_s, u"<null>"_s, u""_s, u""_s, u"a"_s, u"b"_s};
        QTest::newRow("equal texts keep the statement's order")
            << QStringList{u"乙"_s, u"甲"_s, u"乙"_s, u"甲"_s, u"乙"_s} << QStringList{};
    }

    // Ascending and descending, against the order the collator gives and a few orders by hand.
    void textsSortAsTheCollationOrdersThem() {
        QFETCH(QStringList, values);
        QFETCH(QStringList, ascending);
        TestDatabase db;
        const QList<std::optional<QString>> cells = texts(values);
        fillTexts(db, cells);
        Query query(&db.dm().ADOConnection1);
        OpenSQL(query, "select * from T");
        const QList<int> up = sortedIds(query, "V");
        QCOMPARE(up, referenceOrder(cells, false));
        QCOMPARE(sortedIds(query, "V DESC"), referenceOrder(cells, true));
        if (!ascending.isEmpty()) {
            QStringList shown;
            for (int id : up)
                shown << values[id];
            QCOMPARE(shown, ascending);
        }
    }

    // Many texts with long common beginnings take the sorting path of large columns.
    void manyTextsSortAsTheCollationOrdersThem() {
        TestDatabase db;
        const QList<std::optional<QString>> cells = generatedTexts();
        fillTexts(db, cells);
        Query query(&db.dm().ADOConnection1);
        OpenSQL(query, "select * from T");
        QCOMPARE(sortedIds(query, "V"), referenceOrder(cells, false));
        QCOMPARE(sortedIds(query, "V DESC"), referenceOrder(cells, true));
    }

    // Whole numbers beyond the precision of doubles still sort by their exact value.
    void largeIntegersSortByTheirExactValue() {
        TestDatabase db;
        db.exec("create table T (Id INTEGER PRIMARY KEY, V TEXT)");
        db.exec("insert into T values (0, 9007199254740993), (1, 9007199254740992), (2, NULL), "
                "(3, -9223372036854775808), (4, 9223372036854775807)");
        Query query(&db.dm().ADOConnection1);
        OpenSQL(query, "select * from T");
        QCOMPARE(sortedIds(query, "V"), QList<int>({2, 3, 1, 0, 4}));
        QCOMPARE(sortedIds(query, "V DESC"), QList<int>({4, 0, 1, 3, 2}));
    }

    void valuesReadBackThroughEveryPath_data() {
        QTest::addColumn<QString>("literal"); // the value as SQL
        QTest::addColumn<QString>("text");    // AsString, TextAt, ValueAt of a text
        QTest::addColumn<qint64>("integer");  // AsInteger, IntegerAt
        QTest::addColumn<double>("real");     // AsFloat, FloatAt
        QTest::addColumn<int>("type");        // the type of ValueAt
        QTest::addColumn<QDateTime>("date");  // AsDateTime
        const QDateTime none;
        const int null = QMetaType::UnknownType, integer = QMetaType::LongLong,
                  real = QMetaType::Double, text = QMetaType::QString;
        const qint64 big = std::numeric_limits<qint64>::max();
        const qint64 small = std::numeric_limits<qint64>::min();
        QTest::newRow("null") << "NULL"
                              << "" << qint64(0) << 0.0 << null << none;
        QTest::newRow("zero") << "0"
                              << "0" << qint64(0) << 0.0 << integer << none;
        QTest::newRow("largest integer")
            << "9223372036854775807"
            << "9223372036854775807" << big << double(big) << integer << none;
        QTest::newRow("smallest integer")
            << "-9223372036854775808"
            << "-9223372036854775808" << small << double(small) << integer << none;
        QTest::newRow("beyond doubles") << "9007199254740993"
                                        << "9007199254740993" << qint64(9007199254740993LL)
                                        << 9007199254740992.0 << integer << none;
        QTest::newRow("wider than 32 bits")
            << "-2147483649"
            << "-2147483649" << qint64(-2147483649LL) << -2147483649.0 << integer << none;
        QTest::newRow("real") << "0.1+0.2"
                              << "0.3" << qint64(0) << 0.1 + 0.2 << real << none;
        QTest::newRow("negative real") << "-1234.5"
                                       << "-1234.5" << qint64(-1235) << -1234.5 << real << none;
        QTest::newRow("large real")
            << "123456789012.25"
            << "123456789012.25" << qint64(123456789012LL) << 123456789012.25 << real << none;
        QTest::newRow("empty text") << "''"
                                    << "" << qint64(0) << 0.0 << text << none;
        QTest::newRow("number as text") << "'007'"
                                        << "007" << qint64(7) << 7.0 << text << none;
        QTest::newRow("chinese") << "'螺丝'"
                                 << "螺丝" << qint64(0) << 0.0 << text << none;
        QTest::newRow("outside the basic plane") << "'😀𠀀'"
                                                 << "😀𠀀" << qint64(0) << 0.0 << text << none;
        QTest::newRow("combining and right-to-left")
            << "'e\u0301 שלום \u200d'"
            << "e\u0301 שלום \u200d" << qint64(0) << 0.0 << text << none;
        QTest::newRow("stored date") << "'2024-03-15 08:30:05'"
                                     << "2024-03-15 08:30:05" << qint64(0) << 0.0 << text
                                     << QDateTime(QDate(2024, 3, 15), QTime(8, 30, 5));
        QTest::newRow("first stored date") << "'0001-01-01 00:00:00'"
                                           << "0001-01-01 00:00:00" << qint64(0) << 0.0 << text
                                           << QDateTime(QDate(1, 1, 1), QTime(0, 0));
        QTest::newRow("last stored date") << "'9999-12-31 23:59:59'"
                                          << "9999-12-31 23:59:59" << qint64(0) << 0.0 << text
                                          << QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59));
        QTest::newRow("date without time") << "'2024-03-15'"
                                           << "2024-03-15" << qint64(0) << 0.0 << text
                                           << QDateTime(QDate(2024, 3, 15), QTime(0, 0));
        QTest::newRow("day that does not exist")
            << "'2023-02-29 00:00:00'"
            << "2023-02-29 00:00:00" << qint64(0) << 0.0 << text << none;
    }

    // The value in a column of its own and after neighbours of every other kind, read through
    // every path: fetched, fetched ahead, after a sort and after another column of its row was
    // written.
    void valuesReadBackThroughEveryPath() {
        QFETCH(QString, literal);
        QFETCH(QString, text);
        QFETCH(qint64, integer);
        QFETCH(double, real);
        QFETCH(int, type);
        QFETCH(QDateTime, date);
        FILE_ONLY("values of every kind in one untyped column, as only the file holds them");
        const QStringList neighbours = {"", "42", "2.5", "'文字'", "'2024-01-01 00:00:00'", "NULL"};
        TestDatabase db;
        for (int k = 0; k < neighbours.size(); ++k) {
            const QString& neighbour = neighbours[k];
            const QByteArray context = ("after " + neighbour).toUtf8();
            const QString table = "T" + QString::number(k);
            db.exec("create table " + table + " (Id INTEGER PRIMARY KEY, V, Note TEXT)");
            if (!neighbour.isEmpty())
                db.exec("insert into " + table + " (Id, V) values (1, " + neighbour + ")");
            db.exec("insert into " + table + " (Id, V) values (2, " + literal + ")");
            const QString statement = "select * from " + table + " order by Id";
            Query query(&db.dm().ADOConnection1);
            query.SQL() = QStringList{statement};
            query.Prefetch();
            for (const char* path : {"fetched ahead", "fetched", "sorted", "written"}) {
                const QByteArray where = context + ", " + path;
                if (QByteArrayView(path).startsWith("fetched"))
                    OpenSQL(query, statement); // the first takes the rows fetched ahead
                if (QByteArrayView(path) == "sorted")
                    query.SetSort("V DESC");
                if (QByteArrayView(path) == "written") {
                    query.Edit();
                    query.SetField("Note", "改");
                    query.Post();
                }
                int row = -1;
                for (int r = 0; r < query.RecordCount(); ++r)
                    if (query.IntegerAt(r, 0) == 2)
                        row = r;
                QVERIFY2(row >= 0, where.constData());
                query.SetRecNo(row + 1);
                const bool isNull = type == QMetaType::UnknownType;
                QVERIFY2(query.AsString("V") == text && query.TextAt(row, 1) == text,
                         where.constData());
                QVERIFY2(query.AsInteger("V") == integer && query.IntegerAt(row, 1) == integer,
                         where);
                QVERIFY2(query.AsFloat("V") == real && query.FloatAt(row, 1) == real,
                         where.constData());
                QVERIFY2(query.IsNullField("V") == isNull, where.constData());
                QVERIFY2(query.AsDateTime("V") == date, where.constData());
                const QVariant value = query.ValueAt(row, 1);
                QVERIFY2(value.typeId() == type && value.isNull() == isNull, where.constData());
                if (type == QMetaType::LongLong)
                    QVERIFY2(value.toLongLong() == integer, where.constData());
                else if (type == QMetaType::Double)
                    QVERIFY2(value.toDouble() == real, where.constData());
                else if (!isNull)
                    QVERIFY2(value.toString() == text, where.constData());
            }
            QCOMPARE(db.scalar("select Note from " + table + " where Id=2"), "改");
        }
    }

    // Stored bytes that are UTF-8 are read as they are; any other bytes as GB18030, which the
    // older program's files hold; what GB18030 cannot decode either reads as U+FFFD. The same
    // through a query and a row stream, and through stored_text() in SQL.
    void storedBytesReadAsUtf8_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("read");
        QTest::newRow("ASCII") << QByteArray("P-01 abc") << u"P-01 abc"_s;
        QTest::newRow("UTF-8 Chinese and a four-byte character")
            << QByteArray("螺丝😀") << u"螺丝😀"_s;
        QTest::newRow("UTF-8 noncharacter stays") << QByteArray("\xEF\xBF\xBF") << u"\uFFFF"_s;
        QTest::newRow("GBK") << QByteArray("\xC2\xDD\xCB\xBF\xB5\xB6") << u"螺丝刀"_s;
        QTest::newRow("GBK with ASCII") << QByteArray("M3 \xB8\xF6") << u"M3 个"_s;
        QTest::newRow("GB18030 four bytes") << QByteArray("\x81\x30\x81\x30") << u"\u0080"_s;
        QTest::newRow("undecodable bytes") << QByteArray("a\x80"
                                                         "b\xFF")
                                           << u"a\uFFFDb\uFFFD"_s;
        QTest::newRow("UTF-8 cut short reads as GB18030") << QByteArray("\xE8\x9E") << u"\u94FB"_s;
        QTest::newRow("overlong UTF-8 is no UTF-8") << QByteArray("\xC0\xAF") << u"\u8721"_s;
        QTest::newRow("UTF-8 surrogate is no UTF-8")
            << QByteArray("\xED\xA0\x80") << u"\u980E\uFFFD"_s;
    }
    void storedBytesReadAsUtf8() {
        QFETCH(QByteArray, stored);
        QFETCH(QString, read);
        FILE_ONLY("bytes of any encoding stored as text, which the server refuses");
        TestDatabase db;
        db.exec("insert into Product (ProductName) values (CAST(X'" + stored.toHex() +
                "' AS TEXT)), (X'" + stored.toHex() + "')");
        Query& q = db.dm().ADOQueryTemp1;
        OpenSQL(q, "select ProductName from Product");
        QCOMPARE(q.TextAt(0, 0), read);
        QCOMPARE(q.TextAt(1, 0), read); // a blob reads as a text
        RowStream stream(db.dm().ADOConnection1, "select ProductName from Product");
        QVERIFY(stream.Next());
        const std::string_view text = stream.Cell(0).text;
        QCOMPARE(QString::fromUtf8(text.data(), qsizetype(text.size())), read);
        QCOMPARE(db.scalar("select stored_text(ProductName) from Product where ProductIndex=1"),
                 read);
    }

    void rowsFetchedAheadAreTakenOnlyForTheSameUnchangedResult() {
        TestDatabase db;
        db.exec("insert into Power (PowerName,PowerKey) values ('甲','1')");
        const QString statement = "select * from Power";
        Query query(&db.dm().ADOConnection1);

        query.SQL() = QStringList{statement};
        query.Prefetch();
        db.exec("insert into Power (PowerName,PowerKey) values ('乙','2')");
        OpenSQL(query, statement); // written in between: fetched afresh
        QCOMPARE(query.RecordCount(), 3);

        query.SQL() = QStringList{statement};
        query.Prefetch();
        OpenSQL(query, statement + " where PowerName='甲'"); // another statement
        QCOMPARE(query.RecordCount(), 1);

        query.SQL() = QStringList{"select * from NoSuchTable"};
        query.Prefetch();
        QVERIFY_THROWS_EXCEPTION(DataError, OpenSQL(query, "select * from NoSuchTable"));
        QVERIFY(!query.Active());
    }

    // The first rows come on their own before the rest, and the list ends as one fetched at once.
    void aListFilledInTheBackgroundEndsAsOneFilledAtOnce() {
        TestDatabase db;
        fillManyRows(db);
        Query reference(&db.dm().ADOConnection1);
        OpenSQL(reference, ManyRowsStatement);
        const Connection& connection = db.dm().ADOConnection1;
        FetchLane lane(connection.Address(), connection.password(), true);

        Query query(&db.dm().ADOConnection1);
        QList<int> shownWhileFilling;
        QList<QVariantList> appended;
        connect(&query, &Query::changed, this, [&] {
            if (query.FieldCount() > 0 && query.Filling())
                shownWhileFilling << query.RowsReady();
        });
        connect(&query, &Query::fillAboutToFinish, this, [&](int before, int after) {
            appended << QVariantList{before, after};
        });
        query.SQL() = QStringList{ManyRowsStatement};
        query.OpenInBackground(lane, 100);
        QVERIFY(query.Active());
        QTRY_VERIFY_WITH_TIMEOUT(!query.Filling(), 60'000);

        QCOMPARE(shownWhileFilling, QList<int>{100});
        QCOMPARE(appended, (QList<QVariantList>{{100, ManyRows}}));
        QCOMPARE(query.RecordCount(), ManyRows);
        QCOMPARE(query.RecNo(), 1);
        QCOMPARE(allCells(query), allCells(reference));
    }

    // Whatever reads the whole list while it is being filled gets all of it; a new statement
    // drops the fill, which then changes nothing.
    void wholeListReadersDuringAFillSeeTheWholeList() {
        TestDatabase db;
        fillManyRows(db);
        const Connection& connection = db.dm().ADOConnection1;
        Query reference(&db.dm().ADOConnection1);
        Query query(&db.dm().ADOConnection1);
        auto lane = std::make_unique<FetchLane>(connection.Address(), connection.password(), true);
        query.SQL() = QStringList{ManyRowsStatement};

        query.OpenInBackground(*lane, 100);
        QVERIFY(query.Filling());
        QCOMPARE(query.RecordCount(), ManyRows);
        QVERIFY(!query.Filling());

        OpenSQL(reference, ManyRowsStatement);
        reference.SetSort("Name DESC");
        query.OpenInBackground(*lane, 100);
        query.SetSort("Name DESC");
        QCOMPARE(allCells(query), allCells(reference));

        query.OpenInBackground(*lane, 100);
        QSignalSpy finished(&query, &Query::fillFinished);
        OpenSQL(query, "select Id from M where Id % 3 = 0");
        lane.reset(); // the dropped fill ends
        QCoreApplication::processEvents();
        QCOMPARE(query.RecordCount(), ManyRows / 3);
        QCOMPARE(finished.count(), 0);
        QVERIFY(!query.Filling());
    }
};

QTEST_GUILESS_MAIN(TestRowStore)
#include "test_rowstore.moc"
