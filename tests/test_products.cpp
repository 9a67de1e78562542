// The product catalogue on the administration page: the product list with its filters, and the
// product editor opened from it, through the real widgets.
#include "TestSupport.h"
#include "data/TextRanks.h"
#include "product/ProductEditorUnit.h"
#include "ui/MainFromUnit.h"
#include "widgets/DataGrid.h"
#include "widgets/DataGridModel.h"
#include "widgets/DatePicker.h"
#include "widgets/DropDownComboBox.h"
#include "widgets/FixedLabel.h"
#include "widgets/GlowButton.h"
#include "widgets/GroupBox.h"
#include "widgets/MessageBoxes.h"
#include "widgets/NumberBox.h"
#include "widgets/OfficePager.h"
#include "widgets/ScreenColors.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QTableView>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

namespace {

// Two models of one name, quotes, empty texts, and texts that look like SQL.
const QString Fixture =
    "insert into Product (ProductSerial,ProductName,ProductType,ProductUnit) values "
    "('A1','螺丝','M3','个'),('A2','螺丝','M4','个'),('B1','O''Brien','X','只'),"
    "('C1','垫圈','M3','只'),('D1','','',''),"
    "('E''1','x'' or ''1''=''1','#2024-01-01#','--')";
constexpr int FixtureProducts = 6;

QStringList items(const QComboBox* combo) {
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts << combo->itemText(i);
    return texts;
}

QStringList sorted(QStringList list) {
    list.sort();
    return list;
}

QStringList listedSerials(const Query& query) {
    QStringList serials;
    const int field = query.FieldIndex("ProductSerial");
    for (int row = 0; row < query.RecordCount(); ++row)
        serials << query.TextAt(row, field);
    return serials;
}

struct Window : TestWindow {
    explicit Window(bool withProducts = true)
        : TestWindow(withProducts ? QStringList{Fixture} : QStringList{}) {}
    // Code, name, model and unit of the product whose key is `index`.
    QStringList stored(int index) {
        return db
            .scalar(QString("select ProductSerial||'|'||ProductName||'|'||ProductType||'|'||"
                            "ProductUnit from Product where ProductIndex=%1")
                        .arg(index))
            .split('|');
    }
    // Makes the product with this code the list's current row.
    void select(const QString& serial) {
        Query& query = form->ADOQueryProduct;
        const int row = int(listedSerials(query).indexOf(serial));
        QVERIFY2(row >= 0, qPrintable(serial));
        query.SetRecNo(row + 1);
    }
    // Double-clicks the list; while the editor is open, `act` works on it, and the editor is
    // cancelled if it is still open afterwards. Returns whether the editor was shown.
    bool doubleClick(const std::function<void(TProductEditorfrm&)>& act) {
        bool shown = false;
        TProductEditorfrm& editor = *form->ProductEditorfrm;
        QTimer::singleShot(0, &editor, [&] {
            shown = editor.isVisible();
            if (!shown)
                return;
            act(editor);
            if (editor.isVisible())
                editor.AdvGlowButton2->click();
        });
        emit form->DBGridEh4->doubleClicked();
        QCoreApplication::processEvents();
        return shown;
    }
};

void type(TProductEditorfrm& editor, const QStringList& texts) {
    editor.cbxSerial->setText(texts[0]);
    editor.cbxName->setCurrentText(texts[1]);
    editor.cbxType->setText(texts[2]);
    editor.cbxUnit->setCurrentText(texts[3]);
}

QStringList typed(const TProductEditorfrm& editor) {
    return {editor.cbxSerial->text(), editor.cbxName->currentText(), editor.cbxType->text(),
            editor.cbxUnit->currentText()};
}

} // namespace

class TestProducts : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { UseChineseLocale(); }

    void init() {
        MessageBoxes::setScripted(true);
        MessageBoxes::clearShown();
    }

    void startUpListsEveryProduct() {
        Window w;
        TMainForm& f = *w.form;
        QCOMPARE(listedSerials(f.ADOQueryProduct).size(), FixtureProducts);
        QCOMPARE(f.DBGridEh4->footerText(0), "共 6 条");
        for (int column = 1; column < f.DBGridEh4->columnCount(); ++column)
            QCOMPARE(f.DBGridEh4->footerText(column), QString());
        QCOMPARE(f.cbx2->currentText(), "所有");
        QCOMPARE(items(f.cbx2).first(), "所有");
        QCOMPARE(sorted(items(f.cbx2)),
                 sorted({"所有", "螺丝", "O'Brien", "垫圈", "", "x' or '1'='1"}));
        QCOMPARE(f.cbx3->currentText(), "所有");
        QCOMPARE(sorted(items(f.cbx3)), sorted({"所有", "M3", "M4", "X", "", "#2024-01-01#"}));

        Window empty(false);
        QCOMPARE(empty.form->ADOQueryProduct.RecordCount(), 0);
        QCOMPARE(empty.form->DBGridEh4->footerText(0), "共 0 条");
        QCOMPARE(items(empty.form->cbx2), QStringList{"所有"});
        QCOMPARE(MessageBoxes::shown().size(), 0);
    }

    void listFilters_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("model");
        QTest::addColumn<QStringList>("serials");
        QTest::newRow("all, all") << "所有"
                                  << "所有" << QStringList{"A1", "A2", "B1", "C1", "D1", "E'1"};
        QTest::newRow("a model across names") << "所有"
                                              << "M3" << QStringList{"A1", "C1"};
        QTest::newRow("name") << "螺丝"
                              << "所有" << QStringList{"A1", "A2"};
        QTest::newRow("name and model") << "螺丝"
                                        << "M4" << QStringList{"A2"};
        QTest::newRow("emptied name box is a condition") << ""
                                                         << "所有" << QStringList{"D1"};
        QTest::newRow("typed name not in the list") << "螺"
                                                    << "所有" << QStringList{};
        QTest::newRow("quoted name") << "O'Brien"
                                     << "所有" << QStringList{"B1"};
        QTest::newRow("name that looks like SQL") << "x' or '1'='1"
                                                  << "#2024-01-01#" << QStringList{"E'1"};
    }
    void listFilters() {
        QFETCH(QString, name);
        QFETCH(QString, model);
        QFETCH(QStringList, serials);
        Window w;
        TMainForm& f = *w.form;
        f.cbx2->setCurrentText(name);
        f.cbx3->setCurrentText(model);
        f.AdvGlowButton11->click();
        QCOMPARE(sorted(listedSerials(f.ADOQueryProduct)), serials);
        QCOMPARE(f.DBGridEh4->footerText(0), QString("共 %1 条").arg(serials.size()));
        QCOMPARE(MessageBoxes::shown().size(), 0);
    }

    void openingTheModelListFollowsTheName_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("models");
        QTest::newRow("all") << "所有" << QStringList{"", "#2024-01-01#", "M3", "M4", "X", "所有"};
        QTest::newRow("one name") << "螺丝" << QStringList{"M3", "M4", "所有"};
        QTest::newRow("quoted name") << "O'Brien" << QStringList{"X", "所有"};
        QTest::newRow("unknown") << "不存在" << QStringList{"所有"};
    }
    void openingTheModelListFollowsTheName() {
        QFETCH(QString, name);
        QFETCH(QStringList, models);
        Window w;
        TMainForm& f = *w.form;
        f.cbx2->setCurrentText(name);
        f.cbx3->setCurrentText("M3");
        emit f.cbx3->dropDown();
        QCOMPARE(f.cbx3->currentText(), "所有");
        QCOMPARE(items(f.cbx3).first(), "所有");
        QCOMPARE(sorted(items(f.cbx3)), models);
    }

    void aNewProductShowsAtTheNextQuery() {
        Window w;
        TMainForm& f = *w.form;
        w.db.exec("insert into Product (ProductSerial,ProductName) values ('N1','新')");
        QCOMPARE(f.DBGridEh4->footerText(0), "共 6 条");
        f.AdvGlowButton11->click();
        QCOMPARE(f.DBGridEh4->footerText(0), "共 7 条");
        QVERIFY(!items(f.cbx2).contains("新")); // the name list is filled at start-up only
    }

    // The product grid sorts on a title click and paints its rows through the shared handlers.
    void titleClickSortsAndRowsArePainted() {
        Window w;
        TMainForm& f = *w.form;
        f.resize(1000, 700);
        f.AdvOfficePager1->setCurrentIndex(4);
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QHeaderView* titles = f.DBGridEh4->view()->horizontalHeader();
        const QPoint centre(titles->sectionViewportPosition(0) + 20, titles->height() / 2);
        QTest::mouseClick(titles->viewport(), Qt::LeftButton, {}, centre);
        QCOMPARE(f.DBGridEh4->sortMarker(0), SortMarker::smUpEh);
        QCOMPARE(listedSerials(f.ADOQueryProduct),
                 QStringList({"A1", "A2", "B1", "C1", "D1", "E'1"}));

        f.ADOQueryProduct.SetRecNo(3);
        const QImage image = f.DBGridEh4->view()->viewport()->grab().toImage();
        const quint32 expected[] = {clInactiveCaptionText, clInfoBk, clActiveCaption};
        for (int row = 0; row < 3; ++row) {
            const QPoint corner(2, f.DBGridEh4->view()->rowViewportPosition(row) + 2);
            QCOMPARE(image.pixelColor(corner).name(), ColorToQColor(expected[row]).name());
        }
    }

    void editorLayout() {
        Window w;
        TProductEditorfrm& d = *w.form->ProductEditorfrm;
        QCOMPARE(d.objectName(), "ProductEditorfrm");
        QCOMPARE(d.windowTitle(), "信息");
        QCOMPARE(d.size(), QSize(583, 341));
        QCOMPARE(d.minimumSize(), d.maximumSize());
        QCOMPARE(d.AdvGroupBox1->title(), "商品信息");
        QCOMPARE(d.AdvGroupBox1->geometry(), QRect(59, 32, 464, 233));
        const QList<std::tuple<QWidget*, QString, QRect>> fields = {
            {d.cbxSerial, "商品编号", QRect(22, 58, 193, 21)},
            {d.cbxName, "商品名称", QRect(249, 58, 193, 21)},
            {d.cbxType, "商品型号", QRect(22, 114, 193, 21)},
            {d.cbxUnit, "计量单位", QRect(249, 114, 193, 21)},
            {d.nMinimum, "库存下限", QRect(22, 170, 193, 21)},
        };
        const QList<QLabel*> labels = {d.lbl1, d.lbl2, d.lbl3, d.lbl4, d.lbl5};
        for (int i = 0; i < fields.size(); ++i) {
            const auto& [box, caption, place] = fields[i];
            QCOMPARE(box->geometry(), place);
            QCOMPARE(labels[i]->text(), caption);
            QCOMPARE(labels[i]->x(), place.x());
            QVERIFY(labels[i]->geometry().bottom() < place.top());
        }
        QCOMPARE(d.AdvGlowButton1->text(), "确定");
        QCOMPARE(d.AdvGlowButton1->geometry(), QRect(159, 288, 105, 33));
        QCOMPARE(d.AdvGlowButton2->text(), "取消");
        QCOMPARE(d.AdvGlowButton2->geometry(), QRect(319, 288, 105, 33));
        QVERIFY(d.cbxName->isEditable() && d.cbxUnit->isEditable());
        // Tab order: code, name, model, unit, minimum, then the two buttons.
        const QList<QWidget*> order = {d.cbxSerial, d.cbxName,        d.cbxType,       d.cbxUnit,
                                       d.nMinimum,  d.AdvGlowButton1, d.AdvGlowButton2};
        QList<QWidget*> chain;
        for (QWidget* w = d.cbxSerial; chain.size() < order.size(); w = w->nextInFocusChain())
            if (order.contains(w) && !chain.contains(w))
                chain << w;
        QCOMPARE(chain, order);
    }

    void theEditorShowsTheDoubleClickedProduct() {
        Window w;
        TMainForm& f = *w.form;
        w.select("E'1");
        QStringList shown, names, units;
        QVERIFY(w.doubleClick([&](TProductEditorfrm& d) {
            shown = typed(d);
            names = items(d.cbxName);
            units = items(d.cbxUnit);
        }));
        QCOMPARE(f.ProductEditorfrm->RecordIndex, 6);
        QCOMPARE(shown, QStringList({"E'1", "x' or '1'='1", "#2024-01-01#", "--"}));
        QCOMPARE(sorted(names), sorted({"螺丝", "O'Brien", "垫圈", "", "x' or '1'='1"}));
        QCOMPARE(sorted(units), sorted({"个", "只", "", "--"}));
        // Shown again for another product, the same dialog shows that one.
        w.select("B1");
        QVERIFY(w.doubleClick([&](TProductEditorfrm& d) { shown = typed(d); }));
        QCOMPARE(shown, QStringList({"B1", "O'Brien", "X", "只"}));
    }

    void saving_data() {
        QTest::addColumn<QString>("product");   // code of the product double-clicked
        QTest::addColumn<QStringList>("texts"); // code, name, model, unit typed
        QTest::addColumn<QString>("refusal");   // empty: saved
        QTest::addColumn<QString>("focus");
        const QString codeTaken = "该商品编号已经被其它商品占用";
        const QString exists = "该商品已经存在";
        QTest::newRow("unchanged") << "A1" << QStringList{"A1", "螺丝", "M3", "个"} << ""
                                   << "";
        QTest::newRow("free code") << "A1" << QStringList{"Z9", "螺丝", "M3", "个"} << ""
                                   << "";
        QTest::newRow("code differing in letter case")
            << "A1" << QStringList{"b1", "螺丝", "M3", "个"} << ""
            << "";
        QTest::newRow("blank code counts as text")
            << "A1" << QStringList{" ", "螺丝", "M3", "个"} << ""
            << "";
        QTest::newRow("code stored exactly")
            << "A1" << QStringList{"x'y%s--#1#", "螺丝", "M3", "个"} << ""
            << "";
        QTest::newRow("code of another product")
            << "A1" << QStringList{"B1", "螺丝", "M3", "个"} << codeTaken << "cbxSerial";
        QTest::newRow("quoted code of another product")
            << "A1" << QStringList{"E'1", "螺丝", "M3", "个"} << codeTaken << "cbxSerial";
        QTest::newRow("code checked before the combination")
            << "A1" << QStringList{"B1", "螺丝", "M4", "个"} << codeTaken << "cbxSerial";
        QTest::newRow("combination of another product")
            << "A2" << QStringList{"A2", "螺丝", "M3", "个"} << exists << "cbxName";
        QTest::newRow("quoted combination of another product")
            << "C1" << QStringList{"C1", "O'Brien", "X", "只"} << exists << "cbxName";
        QTest::newRow("SQL-looking combination of another product")
            << "A1" << QStringList{"A1", "x' or '1'='1", "#2024-01-01#", "--"} << exists
            << "cbxName";
        QTest::newRow("SQL-looking texts compared whole")
            << "A1" << QStringList{"A1", "x' or '1'='1", "#2024-01-01#", "-"} << ""
            << "";
        QTest::newRow("cleared model matches the product itself")
            << "A1" << QStringList{"A1", "螺丝", "", "个"} << exists << "cbxName";
        QTest::newRow("cleared unit matches the product itself")
            << "A1" << QStringList{"A1", "螺丝", "M3", ""} << exists << "cbxName";
        QTest::newRow("new unit") << "A1" << QStringList{"A1", "螺丝", "M3", "盒"} << ""
                                  << "";
        QTest::newRow("new name and code") << "A2" << QStringList{"A9", "螺钉", "M4", "个"} << ""
                                           << "";
        QTest::newRow("empty code")
            << "A1" << QStringList{"", "螺丝", "M3", "个"} << "商品编号不允许空"
            << "cbxSerial";
        QTest::newRow("empty name")
            << "A1" << QStringList{"A1", "", "M3", "个"} << "商品名称不允许空"
            << "cbxName";
    }
    void saving() {
        QFETCH(QString, product);
        QFETCH(QStringList, texts);
        QFETCH(QString, refusal);
        QFETCH(QString, focus);
        Window w;
        TMainForm& f = *w.form;
        w.select(product);
        const int index = int(f.ADOQueryProduct.AsInteger("ProductIndex"));
        const QStringList before = w.stored(index);
        bool stayedOpen = false;
        QStringList kept;
        QString focused;
        QVERIFY(w.doubleClick([&](TProductEditorfrm& d) {
            type(d, texts);
            d.AdvGlowButton1->click();
            stayedOpen = d.isVisible();
            kept = typed(d);
            focused = d.focusWidget() ? d.focusWidget()->objectName() : QString();
            // A combo box's line edit has the focus on behalf of its box.
            if (d.focusWidget() && d.focusWidget()->parentWidget() == d.cbxName)
                focused = "cbxName";
        }));
        QCOMPARE(w.db.scalar("select count(*) from Product"), QString::number(FixtureProducts));
        if (refusal.isEmpty()) {
            QVERIFY(!stayedOpen);
            QCOMPARE(w.stored(index), texts);
            QCOMPARE(MessageBoxes::shown().size(), 0);
        } else {
            QVERIFY(stayedOpen);
            QCOMPARE(kept, texts);
            QCOMPARE(focused, focus);
            QCOMPARE(w.stored(index), before);
            QCOMPARE(MessageBoxes::shown().size(), 1);
            QCOMPARE(MessageBoxes::shown().first().caption, "警告");
            QCOMPARE(MessageBoxes::shown().first().text, refusal);
        }
    }

    // The minimum quantity on hand: a quantity, rounded to two decimals as typed, or empty for
    // none. What is no quantity, or is below zero, is refused naming the field; the dialog stays
    // open with the text typed and the product stays as it was.
    void minimum_data() {
        QTest::addColumn<QString>("stored");  // the minimum before, as SQL
        QTest::addColumn<QString>("shown");   // in the box when the editor opens
        QTest::addColumn<QString>("typed");   // over the whole box
        QTest::addColumn<QString>("result");  // stored afterwards; empty: none
        QTest::addColumn<QString>("refusal"); // empty: saved
        QTest::newRow("a quantity") << "null"
                                    << ""
                                    << "12.5"
                                    << "12.5"
                                    << "";
        QTest::newRow("rounded to two decimals") << "null"
                                                 << ""
                                                 << "2.567"
                                                 << "2.57"
                                                 << "";
        QTest::newRow("zero is a minimum") << "null"
                                           << ""
                                           << "0"
                                           << "0"
                                           << "";
        QTest::newRow("emptied: none") << "5"
                                       << "5.00"
                                       << ""
                                       << ""
                                       << "";
        QTest::newRow("blanks: none") << "5"
                                      << "5.00"
                                      << "  "
                                      << ""
                                      << "";
        QTest::newRow("a sign alone") << "5"
                                      << "5.00"
                                      << "-"
                                      << "5"
                                      << "库存下限“-”不是有效的数量";
        QTest::newRow("a point alone") << "null"
                                       << ""
                                       << "."
                                       << ""
                                       << "库存下限“.”不是有效的数量";
        QTest::newRow("below zero") << "null"
                                    << ""
                                    << "-3"
                                    << ""
                                    << "库存下限不能小于零";
    }
    void minimum() {
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        QFETCH(QString, typed);
        QFETCH(QString, result);
        QFETCH(QString, refusal);
        Window w;
        w.db.exec("update Product set ProductMinimum=" + stored + " where ProductSerial='A1'");
        w.select("A1");
        const QString minimum = "select ProductMinimum from Product where ProductSerial='A1'";
        QString opened, kept, focused;
        bool stayedOpen = false;
        QVERIFY(w.doubleClick([&](TProductEditorfrm& d) {
            opened = d.nMinimum->text();
            d.nMinimum->setFocus();
            d.nMinimum->selectAll();
            QTest::keyClick(d.nMinimum, Qt::Key_Delete);
            QTest::keyClicks(d.nMinimum, typed);
            d.AdvGlowButton1->click();
            stayedOpen = d.isVisible();
            kept = d.nMinimum->text();
            focused = d.focusWidget() ? d.focusWidget()->objectName() : QString();
        }));
        QCOMPARE(opened, shown);
        const QString after = w.db.scalar(minimum);
        if (result.isEmpty())
            QCOMPARE(after, QString());
        else
            QCOMPARE(after.toDouble(), result.toDouble());
        QCOMPARE(stayedOpen, !refusal.isEmpty());
        if (refusal.isEmpty()) {
            QCOMPARE(MessageBoxes::shown().size(), 0);
            return;
        }
        QCOMPARE(kept, typed);
        QCOMPARE(focused, "nMinimum");
        QCOMPARE(MessageBoxes::shown().size(), 1);
        QCOMPARE(MessageBoxes::shown().first().text, refusal);
    }

    // Another counter's change of the minimum between showing and saving is not overwritten:
    // the message names the field.
    void minimumChangedMeanwhileIsKept() {
        Window w;
        w.select("A1");
        QVERIFY(w.doubleClick([&](TProductEditorfrm& d) {
            w.db.exec("update Product set ProductMinimum=7 where ProductSerial='A1'");
            d.nMinimum->setFocus();
            QTest::keyClicks(d.nMinimum, "3");
            MessageBoxes::setNextAnswer(MessageAnswer::No);
            d.AdvGlowButton1->click();
        }));
        QCOMPARE(
            w.db.scalar("select ProductMinimum from Product where ProductSerial='A1'").toDouble(),
            7.0);
        QCOMPARE(MessageBoxes::shown().size(), 1);
        QVERIFY2(
            MessageBoxes::shown().first().text.startsWith("该商品已被其他用户修改（库存下限）"),
            qPrintable(MessageBoxes::shown().first().text));
    }

    // With the catalogue out of reach any look-up would fail with an engine error: the empty
    // boxes are answered by their own warnings alone.
    void emptyCodeOrNameIsRefusedBeforeAnyLookUp() {
        Window w;
        w.select("A1");
        QStringList messages;
        QVERIFY(w.doubleClick([&](TProductEditorfrm& d) {
            w.db.exec("alter table Product rename to Moved");
            for (const QStringList& texts :
                 {QStringList{"", "螺丝", "M3", "个"}, QStringList{"A1", "", "M3", "个"}}) {
                type(d, texts);
                d.AdvGlowButton1->click();
            }
            for (const auto& shown : MessageBoxes::shown())
                messages << shown.text;
            w.db.exec("alter table Moved rename to Product");
        }));
        QCOMPARE(messages, QStringList({"商品编号不允许空", "商品名称不允许空"}));
    }

    void okListsEveryProductCancelKeepsTheFilter_data() {
        QTest::addColumn<bool>("save");
        QTest::newRow("OK") << true;
        QTest::newRow("Cancel") << false;
    }
    void okListsEveryProductCancelKeepsTheFilter() {
        QFETCH(bool, save);
        Window w;
        TMainForm& f = *w.form;
        f.cbx2->setCurrentText("螺丝");
        f.AdvGlowButton11->click();
        w.select("A2");
        QVERIFY(w.doubleClick([&](TProductEditorfrm& d) {
            d.cbxSerial->setText("A7");
            (save ? d.AdvGlowButton1 : d.AdvGlowButton2)->click();
        }));
        QCOMPARE(f.cbx2->currentText(), "螺丝");
        QCOMPARE(w.stored(2).first(), save ? "A7" : "A2");
        QCOMPARE(sorted(listedSerials(f.ADOQueryProduct)),
                 save ? QStringList({"A1", "A7", "B1", "C1", "D1", "E'1"})
                      : QStringList({"A1", "A2"}));
        QCOMPARE(f.DBGridEh4->footerText(0), save ? "共 6 条" : "共 2 条");
    }

    // Enter on a row opens it as a double-click does; on the balance, where a double-click does
    // nothing, Enter does nothing either.
    void enterOnARowOpensItAsADoubleClickDoes() {
        Window w;
        TMainForm& f = *w.form;
        w.select("A2");
        QString shown;
        QTimer::singleShot(0, f.ProductEditorfrm, [&] {
            shown = f.ProductEditorfrm->isVisible() ? f.ProductEditorfrm->cbxSerial->text() : "";
            f.ProductEditorfrm->AdvGlowButton2->click();
        });
        QTest::keyClick(f.DBGridEh4->view(), Qt::Key_Return);
        QCOMPARE(shown, "A2");

        w.db.exec("insert into Store (StoreProduct,StoreKind,StoreNumber,StorePrice,StoreSum,"
                  "StoreRecordDate) values (1,0,2,3,6,'2024-03-01 00:00:00')");
        f.QueryStoreBalance(QString());
        QTest::keyClick(f.DBGridEh3->view(), Qt::Key_Enter);
        QCoreApplication::processEvents();
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        QCOMPARE(MessageBoxes::shown().size(), 0);
    }

    void aDoubleClickOnAnEmptyListDoesNothing() {
        Window w;
        TMainForm& f = *w.form;
        f.cbx2->setCurrentText("不存在");
        f.AdvGlowButton11->click();
        QVERIFY(!w.doubleClick([](TProductEditorfrm&) {}));
        f.ADOQueryProduct.Close();
        QVERIFY(!w.doubleClick([](TProductEditorfrm&) {}));
        QCOMPARE(MessageBoxes::shown().size(), 0);
    }

    // Movements refer to the product by key: after the editor's OK the stock pages and the
    // balance show its new texts at once, each list with the filters and the order it had; the
    // name filters offer changed names as soon as their lists are opened.
    void aProductEditShowsInTheStockListsAtOnce() {
        Window w;
        TMainForm& f = *w.form;
        w.db.exec("insert into Store (StoreProduct,StoreKind,StoreNumber,StorePrice,StoreSum,"
                  "StoreRecordDate) values (1,0,2,3,6,'2024-03-01 00:00:00'),"
                  "(2,0,1,1,1,'2024-03-02 00:00:00'),(3,0,1,1,1,'2024-03-03 00:00:00'),"
                  "(1,1,1,3,3,'2024-03-04 00:00:00')");
        f.DateTimePicker2->setDate(QDate(2024, 3, 1));
        f.DateTimePicker3->setDate(QDate(2024, 3, 31));
        f.TntComboBox5->setCurrentText("螺丝");
        f.AdvGlowButton4->click();
        f.DBGridEh1TitleBtnClick(f.DBGridEh1, 2, &f.DBGridEh1->column(2)); // by model, ascending
        f.DBGridEh1TitleBtnClick(f.DBGridEh1, 2, &f.DBGridEh1->column(2)); // descending
        f.TntComboBox7->setCurrentText("螺丝");
        f.AdvGlowButton13->click();
        QCOMPARE(f.DBGridEh1->cellText(0, 2), "M4");
        QCOMPARE(f.DBGridEh3->footerText(0), "共 2 条");
        f.DateTimePicker8->setDate(QDate(2024, 3, 1));
        f.DateTimePicker9->setDate(QDate(2024, 3, 31));
        f.AdvGlowButton20->click();
        // Filters changed but not applied stay unapplied.
        f.TntComboBox5->setCurrentText("垫圈");

        w.select("A1");
        QVERIFY(w.doubleClick([](TProductEditorfrm& d) {
            d.cbxUnit->setCurrentText("盒");
            d.AdvGlowButton1->click();
        }));
        const auto units = [](const DataGrid* grid) {
            QStringList shown;
            for (int row = 0; row < grid->model()->rowCount(); ++row)
                shown << grid->cellText(row, 0) + ":" + grid->cellText(row, 3);
            return shown;
        };
        QCOMPARE(units(f.DBGridEh1), QStringList({"A2:个", "A1:盒"})); // filtered, descending
        QCOMPARE(f.DBGridEh1->footerText(0), "共 2 条");
        QCOMPARE(units(f.DBGridEh2), QStringList{"A1:盒"});
        QCOMPARE(sorted(units(f.DBGridEh3)), QStringList({"A1:盒", "A2:个"}));
        QVERIFY(units(f.DBGridEh5).contains("A1:盒"));
        QCOMPARE(f.TntComboBox5->currentText(), "垫圈");

        // A renamed product is in the name filters' lists when they open; their texts stay.
        w.select("C1");
        QVERIFY(w.doubleClick([](TProductEditorfrm& d) {
            d.cbxName->setCurrentText("平垫片");
            d.AdvGlowButton1->click();
        }));
        for (DropDownComboBox* names : {f.TntComboBox5, f.TntComboBox1, f.TntComboBox7, f.cbx2}) {
            const QString before = names->currentText();
            QVERIFY(!items(names).contains("平垫片"));
            emit names->dropDown();
            QVERIFY2(items(names).contains("平垫片"), qPrintable(names->objectName()));
            QVERIFY(!items(names).contains("垫圈"));
            QCOMPARE(items(names).first(), "所有");
            QCOMPARE(names->currentText(), before);
        }
    }
};

QTEST_MAIN(TestProducts)
#include "test_products.moc"
