// Sorting a grid by a click on a column title and painting its rows, through the main window's
// stock-in grid over a small fixture of movements.
#include "TestSupport.h"
#include "data/TextRanks.h"
#include "ui/MainFromUnit.h"
#include "widgets/DataGrid.h"
#include "widgets/MessageBoxes.h"
#include "widgets/ScreenColors.h"

#include <QApplication>
#include <QHeaderView>
#include <QTableView>
#include <QtTest>
#include <algorithm>
#include <memory>

namespace {

struct Movement {
    const char* name;
    double number;
};

// In statement order (the dates rise with the rows). Pinyin order of the names and numeric order
// of the quantities both differ from it, and from each other; the quantities as texts would sort
// differently again ("100" < "12" < "250" < "30").
const Movement movements[] = {
    {"张", 5}, {"阿", 100}, {"王", 12}, {"李", 30}, {"陈", 7}, {"杨", 250}, {"白", 0.5}, {"刘", 64},
};

const QString storeInStatement =
    QStringLiteral("select * from Store,Product where StoreProduct=ProductIndex and StoreKind=0 ");

void insertMovements(TestDatabase& db) {
    int day = 1;
    for (const Movement& m : movements) {
        db.exec(QStringLiteral("insert into Product (ProductSerial, ProductName, ProductType, "
                               "ProductUnit) values ('P%1', '%2', 'T', '个')")
                    .arg(day)
                    .arg(QString::fromUtf8(m.name)));
        db.exec(QStringLiteral("insert into Store (StoreProduct, StoreKind, StoreNumber, "
                               "StorePrice, StoreSum, StoreRecordDate, StoreRemark) values "
                               "(%1, 0, %2, 1, %2, '2024-03-%3 00:00:00', '')")
                    .arg(day)
                    .arg(m.number)
                    .arg(day, 2, 10, QLatin1Char('0')));
        ++day;
    }
}

int columnOf(const DataGrid* grid, const QString& field) {
    for (int i = 0; i < grid->columnCount(); ++i) {
        if (grid->column(i).FieldName == field)
            return i;
    }
    return -1;
}

// The product names of the query's rows in its current order.
QStringList namesInOrder(const Query& query) {
    QStringList names;
    const int field = query.FieldIndex("ProductName");
    for (int row = 0; row < query.RecordCount(); ++row)
        names << query.TextAt(row, field);
    return names;
}

QStringList split(const char* names) {
    return QString::fromUtf8(names).split(' ');
}

QStringList reversed(QStringList names) {
    std::reverse(names.begin(), names.end());
    return names;
}

// "Field:up" / "Field:down" for every column that shows a marker, comma-separated.
QString markers(const DataGrid* grid) {
    QStringList marked;
    for (int i = 0; i < grid->columnCount(); ++i) {
        const SortMarker marker = grid->sortMarker(i);
        if (marker != SortMarker::smNoneEh)
            marked << grid->column(i).FieldName + (marker == SortMarker::smUpEh
                                                       ? QStringLiteral(":up")
                                                       : QStringLiteral(":down"));
    }
    return marked.join(',');
}

void clickTitle(DataGrid* grid, int index) {
    QHeaderView* titles = grid->view()->horizontalHeader();
    const QPoint centre(titles->sectionViewportPosition(index) + titles->sectionSize(index) / 2,
                        titles->height() / 2);
    QTest::mouseClick(titles->viewport(), Qt::LeftButton, {}, centre);
}

void selectName(Query& query, const QString& name) {
    const int recNo = int(namesInOrder(query).indexOf(name)) + 1;
    QVERIFY(recNo > 0);
    query.SetRecNo(recNo);
}

} // namespace

class TestGridSort : public QObject {
    Q_OBJECT

    // A fresh database, then the window, whose page queries use its connection.
    struct Fixture {
        Fixture() : form(db.dm(), db.dir().path()) {
            insertMovements(db);
            OpenSQL(form.ADOQueryStoreIn, storeInStatement);
        }
        TestDatabase db;
        TMainForm form;
    };
    std::unique_ptr<Fixture> fixture;
    DataGrid* grid = nullptr;
    Query* query = nullptr;
    QStringList statementOrder;
    // The override cursor seen each time the query re-ordered its rows.
    QList<int> cursorsWhileSorting;

    void recordCursorOnChange() {
        connect(query, &Query::changed, this, [this] {
            const QCursor* cursor = QApplication::overrideCursor();
            cursorsWhileSorting << (cursor ? int(cursor->shape()) : -1);
        });
    }

private slots:
    void initTestCase() {
        UseChineseLocale();
        MessageBoxes::setScripted(true);
    }

    void init() {
        fixture = std::make_unique<Fixture>();
        grid = fixture->form.DBGridEh1;
        query = &fixture->form.ADOQueryStoreIn;
        statementOrder = namesInOrder(*query);
        QCOMPARE(statementOrder.size(), 8);
        cursorsWhileSorting.clear();
        MessageBoxes::clearShown();
        fixture->form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&fixture->form));
    }

    void cleanup() {
        fixture.reset();
        grid = nullptr;
        query = nullptr;
    }

    void clicksCycleThroughTheOrders_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QStringList>("ascending");
        QTest::newRow("text in pinyin order") << "ProductName" << split("阿 白 陈 李 刘 王 杨 张");
        QTest::newRow("number by value") << "StoreNumber" << split("白 张 陈 王 李 刘 阿 杨");
    }

    void clicksCycleThroughTheOrders() {
        QFETCH(QString, field);
        QFETCH(QStringList, ascending);
        const int column = columnOf(grid, field);
        QVERIFY(column >= 0);
        recordCursorOnChange();

        const struct {
            QString marker;
            QStringList order;
        } steps[] = {
            {field + ":up", ascending},
            {field + ":down", reversed(ascending)},
            {QString(), statementOrder},
            {field + ":up", ascending},
        };
        for (const auto& step : steps) {
            clickTitle(grid, column);
            QCOMPARE(markers(grid), step.marker);
            QCOMPARE(namesInOrder(*query), step.order);
            QCOMPARE(QApplication::overrideCursor(), nullptr);
        }
        QCOMPARE(cursorsWhileSorting, QList<int>(4, int(Qt::WaitCursor)));
        QVERIFY(MessageBoxes::shown().isEmpty());
    }

    void aClickOnAnotherColumnMovesTheMarker() {
        const int name = columnOf(grid, "ProductName");
        const int number = columnOf(grid, "StoreNumber");

        clickTitle(grid, name);
        clickTitle(grid, number);
        QCOMPARE(markers(grid), QStringLiteral("StoreNumber:up"));
        QCOMPARE(namesInOrder(*query), split("白 张 陈 王 李 刘 阿 杨"));

        // The first column's cycle starts again at ascending, not where it was left.
        clickTitle(grid, name);
        QCOMPARE(markers(grid), QStringLiteral("ProductName:up"));
        QCOMPARE(namesInOrder(*query), split("阿 白 陈 李 刘 王 杨 张"));
    }

    void theCurrentRecordIsKeptAcrossSorts() {
        selectName(*query, QStringLiteral("王"));
        const int name = columnOf(grid, "ProductName");
        const int number = columnOf(grid, "StoreNumber");
        for (int titleColumn : {name, name, name, number, number}) {
            clickTitle(grid, titleColumn);
            QCOMPARE(query->AsString("ProductName"), QStringLiteral("王"));
            QCOMPARE(grid->currentRow(), query->RecNo() - 1);
            QVERIFY(grid->view()->selectionModel()->isRowSelected(grid->currentRow(), {}));
        }
    }

    void rowColoursFollowTheCurrentOrder_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("clicks");
        QTest::addColumn<QString>("selected");
        QTest::newRow("statement order") << "ProductName" << 0 << "张";
        QTest::newRow("ascending by name") << "ProductName" << 1 << "王";
        QTest::newRow("descending by number") << "StoreNumber" << 2 << "阿";
    }

    // The rendered background of every cell: record 1 of the current order on the inactive
    // caption text colour, record 2 on the tooltip background and so on, the selected row on the
    // active caption colour across all its cells.
    void rowColoursFollowTheCurrentOrder() {
        QFETCH(QString, field);
        QFETCH(int, clicks);
        QFETCH(QString, selected);
        selectName(*query, selected);
        for (int i = 0; i < clicks; ++i)
            clickTitle(grid, columnOf(grid, field));

        const QImage image = grid->view()->viewport()->grab().toImage();
        const QStringList order = namesInOrder(*query);
        const QHeaderView* titles = grid->view()->horizontalHeader();
        for (int row = 0; row < order.size(); ++row) {
            const quint32 expected = order[row] == selected ? clActiveCaption
                                     : row % 2 == 0         ? clInactiveCaptionText
                                                            : clInfoBk;
            const int y = grid->view()->rowViewportPosition(row) + 2;
            QVERIFY(y < image.height());
            for (int column = 0; column < grid->columnCount(); ++column) {
                const QPoint corner(titles->sectionViewportPosition(column) + 2, y);
                if (!image.rect().contains(corner))
                    continue;
                QCOMPARE(image.pixelColor(corner).name(), ColorToQColor(expected).name());
            }
        }
    }

    void clicksThatCannotSortDoNothing_data() {
        QTest::addColumn<bool>("closeQuery");
        QTest::addColumn<QString>("fieldName");
        QTest::newRow("closed query") << true << "ProductName";
        QTest::newRow("field not in the result") << false << "NoSuchField";
        QTest::newRow("column without a field") << false << "";
    }

    void clicksThatCannotSortDoNothing() {
        QFETCH(bool, closeQuery);
        QFETCH(QString, fieldName);
        const int column = columnOf(grid, "ProductName");
        grid->column(column).FieldName = fieldName;
        if (closeQuery)
            query->Close();
        recordCursorOnChange();

        clickTitle(grid, column);
        QCOMPARE(markers(grid), QString());
        QCOMPARE(query->Sort(), QString());
        QVERIFY(cursorsWhileSorting.isEmpty());
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QVERIFY(MessageBoxes::shown().isEmpty());
        if (!closeQuery)
            QCOMPARE(namesInOrder(*query), statementOrder);
    }
};

QTEST_MAIN(TestGridSort)
#include "test_gridsort.moc"
