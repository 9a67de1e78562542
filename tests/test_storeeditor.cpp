// The stock entry dialog through its real widgets: layout, showing, product look-ups, the
// amount, saving (one transaction), deleting, the keyboard, completion, and the whole round from
// the movement pages.
#include "TestSupport.h"
#include "stock/StoreEditorUnit.h"
#include "ui/MainFromUnit.h"
#include "widgets/DataGrid.h"
#include "widgets/DatePicker.h"
#include "widgets/DropDownComboBox.h"
#include "widgets/GlowButton.h"
#include "widgets/GroupBox.h"
#include "widgets/MessageBoxes.h"
#include "widgets/NumberBox.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTimer>
#include <QtTest>
#include <functional>

namespace {

// Two models of one name, a second name, and a product whose texts hold quotes and signs.
const QString Products =
    "insert into Product (ProductSerial,ProductName,ProductType,ProductUnit) values "
    "('A1','螺丝','M3','个'),('A2','螺丝','M4','个'),('B1','垫圈','M3','只'),"
    "('Q''1','O''Brien %#--','X''1 #2#','只--')";
// Movement 1: stock in of A1. Movement 2: stock out of A2 at 14:30, its amount not price × number.
const QString Movements =
    "insert into Store (StoreProduct,StoreKind,StoreNumber,StorePrice,StoreSum,StoreRecordDate,"
    "StoreRemark) values (1,0,10,1.5,15,'2024-03-01 00:00:00',''),"
    "(2,1,4,2.5,9.99,'2024-03-05 14:30:00','月底')";

const QString CodeInUse =
    QStringLiteral("该商品编号已经被其它商品占用,请输入其它编号作为该商品的标识");

// serial|name|model|unit of every product, in key order.
QStringList products(TestDatabase& db) {
    Query q(&db.dm().ADOConnection1);
    OpenSQL(q, "select * from Product");
    QStringList rows;
    for (q.First(); !q.Eof(); q.Next())
        rows << QStringList{q.AsString("ProductSerial"), q.AsString("ProductName"),
                            q.AsString("ProductType"), q.AsString("ProductUnit")}
                    .join('|');
    return rows;
}

// serial|kind|price|number|sum|date|remark of every movement, in key order.
QStringList movements(TestDatabase& db) {
    Query q(&db.dm().ADOConnection1);
    OpenSQL(q, "select * from Store,Product where StoreProduct=ProductIndex");
    q.SetSort("StoreIndex");
    QStringList rows;
    for (q.First(); !q.Eof(); q.Next())
        rows << QStringList{q.AsString("ProductSerial"), q.AsString("StoreKind"),
                            q.AsString("StorePrice"),    q.AsString("StoreNumber"),
                            q.AsString("StoreSum"),      q.AsString("StoreRecordDate"),
                            q.AsString("StoreRemark")}
                    .join('|');
    return rows;
}

// Where a key goes: an open completion popup takes the keyboard first, as on the screen.
QWidget* keyTarget() {
    if (QWidget* popup = QApplication::activePopupWidget())
        return popup;
    return QApplication::focusWidget();
}

// Chinese text arrives through the input method, as one committed string.
void typeThroughInputMethod(const QString& text) {
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(QApplication::focusWidget(), &event);
}

QStringList items(const QComboBox* combo) {
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts << combo->itemText(i);
    return texts;
}

// A prepared database and the dialog, shown as its callers show it (but not modally).
struct Editor {
    Editor() {
        db.exec(Products);
        db.exec(Movements);
    }
    bool show(bool edit, int kind, int record = 0) {
        dialog.EditFlag = edit;
        dialog.KindFlag = kind;
        dialog.RecordIndex = record;
        dialog.show();
        return QTest::qWaitForWindowActive(&dialog);
    }
    void type(const QString& code, const QString& name, const QString& model, const QString& unit) {
        dialog.cbxSerial->setEditText(code);
        dialog.cbxName->setEditText(name);
        dialog.cbxType->setEditText(model);
        dialog.cbxUnit->setEditText(unit);
    }
    // Types a value into a number box as the operator does, replacing what it holds.
    static void typeNumber(NumberBox* box, const QString& text) {
        box->selectAll();
        if (text.isEmpty())
            QTest::keyClick(box, Qt::Key_Backspace);
        else
            QTest::keyClicks(box, text);
    }
    bool productOpen() const {
        return dialog.cbxName->isEnabled() && dialog.cbxType->isEnabled() &&
               dialog.cbxUnit->isEnabled();
    }
    bool productFixed() const {
        return !dialog.cbxName->isEnabled() && !dialog.cbxType->isEnabled() &&
               !dialog.cbxUnit->isEnabled();
    }
    QString focusName() const {
        QWidget* focus = QApplication::focusWidget();
        // The edit box inside a combo box stands for the combo box.
        while (focus && focus->objectName().isEmpty())
            focus = focus->parentWidget();
        return focus ? focus->objectName() : QString();
    }

    TestDatabase db;
    TStoreEditorfrm dialog{db.dm()};
};

} // namespace

class TestStoreEditor : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { UseChineseLocale(); }
    void init() {
        MessageBoxes::setScripted(true);
        MessageBoxes::clearShown();
    }

    void layout_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QRect>("place");
        QTest::addColumn<QString>("caption");
        const QString group = "productGroup";
        QTest::newRow("group") << group << "StoreEditorfrm" << QRect(15, 8, 650, 209) << "货品信息";
        QTest::newRow("code") << "cbxSerial" << group << QRect(20, 50, 193, 21) << "商品编号";
        QTest::newRow("name") << "cbxName" << group << QRect(228, 50, 193, 21) << "商品名称";
        QTest::newRow("model") << "cbxType" << group << QRect(436, 50, 121, 21) << "商品型号";
        QTest::newRow("unit") << "cbxUnit" << group << QRect(572, 50, 57, 21) << "单位";
        QTest::newRow("price") << "nPrice" << group << QRect(20, 106, 193, 21) << "价格";
        QTest::newRow("quantity") << "nNumber" << group << QRect(228, 106, 193, 21) << "数量";
        QTest::newRow("amount") << "nSum" << group << QRect(436, 106, 193, 21) << "金额";
        QTest::newRow("date") << "dtInDate" << group << QRect(20, 154, 193, 21) << "日期";
        QTest::newRow("remark") << "edtRemark" << group << QRect(228, 154, 401, 21) << "备注";
        const QString dialog = "StoreEditorfrm";
        QTest::newRow("next") << "AdvGlowButton4" << dialog << QRect(97, 232, 105, 33)
                              << "添加下一条";
        QTest::newRow("delete") << "AdvGlowButton3" << dialog << QRect(227, 232, 105, 33) << "删除";
        QTest::newRow("ok") << "AdvGlowButton1" << dialog << QRect(358, 232, 105, 33) << "确定";
        QTest::newRow("cancel") << "AdvGlowButton2" << dialog << QRect(489, 232, 105, 33) << "取消";
    }
    void layout() {
        QFETCH(QString, name);
        QFETCH(QString, parent);
        QFETCH(QRect, place);
        QFETCH(QString, caption);
        TShareDM unconnected;
        TStoreEditorfrm dialog(unconnected);
        QCOMPARE(dialog.size(), QSize(690, 294));
        auto* control = dialog.findChild<QWidget*>(name);
        QVERIFY(control);
        QCOMPARE(control->parentWidget()->objectName(), parent);
        QCOMPARE(control->geometry(), place);
        if (auto* button = qobject_cast<QPushButton*>(control)) {
            QCOMPARE(button->text(), caption);
            QVERIFY(!button->autoDefault() && !button->isDefault());
        } else if (auto* box = qobject_cast<QGroupBox*>(control)) {
            QCOMPARE(box->title(), caption);
        } else {
            // The label stands right above its box.
            const QList<QLabel*> labels = dialog.findChildren<QLabel*>();
            const auto label = std::find_if(labels.begin(), labels.end(),
                                            [&](QLabel* l) { return l->text() == caption; });
            QVERIFY(label != labels.end());
            QCOMPARE((*label)->geometry().left(), place.left());
            QVERIFY((*label)->geometry().bottom() < place.top());
            QVERIFY((*label)->geometry().bottom() > place.top() - 5);
        }
    }

    void tabOrderFormatsAndTheAmountBox() {
        TShareDM unconnected;
        TStoreEditorfrm d(unconnected);
        const QList<QWidget*> order{
            d.cbxSerial,      d.cbxName,        d.cbxType,       d.cbxUnit,   d.nPrice,
            d.nNumber,        d.nSum,           d.dtInDate,      d.edtRemark, d.AdvGlowButton3,
            d.AdvGlowButton2, d.AdvGlowButton1, d.AdvGlowButton4};
        QWidget* w = d.cbxSerial;
        for (QWidget* expected : order) {
            while (w->focusPolicy() == Qt::NoFocus || w->focusProxy())
                w = w->nextInFocusChain();
            QCOMPARE(w->objectName(), expected->objectName());
            w = w->nextInFocusChain();
        }
        QCOMPARE(d.nPrice->displayFormat(), "#,###.00");
        QCOMPARE(d.nNumber->displayFormat(), "#,###.00");
        QCOMPARE(d.nSum->displayFormat(), "￥ #,###.00");
        QVERIFY(d.nSum->isReadOnly());
        QCOMPARE(d.nSum->palette().color(QPalette::Text), QColor(Qt::blue));
        for (QLineEdit* edit :
             {static_cast<QLineEdit*>(d.nPrice), d.cbxSerial->lineEdit(), d.edtRemark->lineEdit()})
            QCOMPARE(edit->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
        QVERIFY(d.dtInDate->calendarPopup());
        QVERIFY(!d.dtInDate->displayFormat().contains('H'));
    }

    void showingPreparesAddAndEditMode() {
        Editor e;
        TStoreEditorfrm& d = e.dialog;
        QVERIFY(e.show(true, 0, 2));
        QCOMPARE(d.windowTitle(), "修改");
        QVERIFY(d.AdvGlowButton3->isVisible() && !d.AdvGlowButton4->isVisible());
        QCOMPARE(d.cbxSerial->currentText(), "A2");
        QCOMPARE(d.cbxName->currentText(), "螺丝");
        QCOMPARE(d.cbxType->currentText(), "M4");
        QCOMPARE(d.cbxUnit->currentText(), "个");
        QCOMPARE(d.nPrice->value(), std::optional<double>(2.5));
        QCOMPARE(d.nNumber->value(), std::optional<double>(4));
        QCOMPARE(d.nSum->text(), "￥ 9.99"); // as stored, not price × quantity
        QCOMPARE(d.dtInDate->date(), QDate(2024, 3, 5));
        QCOMPARE(d.edtRemark->currentText(), "月底");
        QCOMPARE(d.KindFlag, 1); // the stored kind, whatever the caller set
        QVERIFY(e.productOpen());
        QCOMPARE(e.focusName(), "cbxSerial");
        d.reject();

        // The next showing resets every input but keeps the lists' entries.
        d.cbxSerialExit(); // fixes A2
        d.cbxName->addItem("旧条目");
        QVERIFY(e.show(false, 1));
        QCOMPARE(d.windowTitle(), "添加");
        QVERIFY(!d.AdvGlowButton3->isVisible() && d.AdvGlowButton4->isVisible());
        QVERIFY(e.productOpen());
        QStringList codes = items(d.cbxSerial);
        codes.sort();
        QCOMPARE(codes, QStringList({"A1", "A2", "B1", "Q'1"}));
        for (QComboBox* box : {d.cbxSerial, d.cbxName, d.cbxType, d.cbxUnit, d.edtRemark})
            QCOMPARE(box->currentText(), QString());
        QCOMPARE(items(d.cbxName), QStringList{"旧条目"});
        for (NumberBox* box : {d.nPrice, d.nNumber, d.nSum})
            QCOMPARE(box->value(), std::optional<double>(0));
        QCOMPARE(d.nSum->text(), "￥ .00");
        QCOMPARE(d.dtInDate->date(), QDate::currentDate());
        QCOMPARE(d.KindFlag, 1);
        QCOMPARE(e.focusName(), "cbxSerial");
    }

    void lookUps_data() {
        QTest::addColumn<QStringList>("typed"); // code, name, model, unit
        QTest::addColumn<QString>("left");      // the box left: code or name
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<bool>("fixed");
        QTest::newRow("known code") << QStringList{"A1", "", "", ""} << "code"
                                    << QStringList{"A1", "螺丝", "M3", "个"} << true;
        QTest::newRow("known code replaces typed texts")
            << QStringList{"A2", "垫圈", "X", ""} << "code" << QStringList{"A2", "螺丝", "M4", "个"}
            << true;
        QTest::newRow("unknown code opens the boxes") << QStringList{"ZZ", "螺丝", "", ""} << "code"
                                                      << QStringList{"ZZ", "螺丝", "", ""} << false;
        QTest::newRow("code is compared whole")
            << QStringList{"A", "", "", ""} << "code" << QStringList{"A", "", "", ""} << false;
        QTest::newRow("code with a quote")
            << QStringList{"Q'1", "", "", ""} << "code"
            << QStringList{"Q'1", "O'Brien %#--", "X'1 #2#", "只--"} << true;
        QTest::newRow("name, model and unit of one product")
            << QStringList{"ZZ", "螺丝", "M4", "个"} << "name"
            << QStringList{"A2", "螺丝", "M4", "个"} << true;
        QTest::newRow("name of several products gives the first code")
            << QStringList{"ZZ", "螺丝", "", ""} << "name" << QStringList{"A1", "螺丝", "", ""}
            << false;
        QTest::newRow("no product matches") << QStringList{"ZZ", "螺丝", "M9", ""} << "name"
                                            << QStringList{"ZZ", "螺丝", "M9", ""} << false;
        QTest::newRow("empty boxes match nothing")
            << QStringList{"ZZ", "", "", ""} << "name" << QStringList{"ZZ", "", "", ""} << false;
        QTest::newRow("name is compared whole") << QStringList{"ZZ", "螺", "", ""} << "name"
                                                << QStringList{"ZZ", "螺", "", ""} << false;
        QTest::newRow("quotes and signs in every box")
            << QStringList{"", "O'Brien %#--", "X'1 #2#", "只--"} << "name"
            << QStringList{"Q'1", "O'Brien %#--", "X'1 #2#", "只--"} << true;
    }
    // The boxes are left for a box the operator chose (here the remark): the look-up runs and
    // the focus stays where the operator put it (see focusRules for Tab, Enter and clicks).
    void lookUps() {
        QFETCH(QStringList, typed);
        QFETCH(QString, left);
        QFETCH(QStringList, shown);
        QFETCH(bool, fixed);
        Editor e;
        TStoreEditorfrm& d = e.dialog;
        QVERIFY(e.show(false, 0));
        if (left == "name")
            d.cbxName->setFocus(); // leaving the empty code box opens the product boxes
        e.type(typed[0], typed[1], typed[2], typed[3]);
        d.edtRemark->setFocus();
        QCOMPARE(QStringList({d.cbxSerial->currentText(), d.cbxName->currentText(),
                              d.cbxType->currentText(), d.cbxUnit->currentText()}),
                 shown);
        QCOMPARE(e.productFixed(), fixed);
        QCOMPARE(e.productOpen(), !fixed);
        QCOMPARE(e.focusName(), "edtRemark");
        QCOMPARE(MessageBoxes::shown().size(), 0);
    }

    // The dialog's focus rules through the keyboard and the mouse, each case ending in the row
    // it stores. A look-up that settles the product moves on to the price only after Tab or
    // Enter (or when the box the operator went to is fixed by it); a box the operator clicked
    // keeps the focus. A box the dialog puts the focus into has its text selected; boxes that
    // open again for a code that no product has are empty; empty boxes match nothing.
    // Steps: "type:TEXT" (keys), "ime:TEXT" (Chinese through the input method), "tab",
    // "backtab", "enter", "click:BOX", "selectAll", "focus:BOX" (the focus is there, its whole
    // text selected when "focus:BOX:selected"), "boxes:CODE|NAME|MODEL|UNIT" (what they show),
    // "fixed" / "open" (the product boxes).
    void focusRules_data() {
        QTest::addColumn<int>("record"); // 0: a new stock-in movement; else this one is edited
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("stored");  // serial|kind|price|number|sum of the saved row
        QTest::addColumn<QString>("product"); // the last product afterwards
        const QString lastProduct = "Q'1|O'Brien %#--|X'1 #2#|只--";
        QTest::newRow("click into 数量 after a found code")
            << 0 << QStringList{"type:A1", "click:nNumber",       "focus:nNumber",
                                "fixed",   "boxes:A1|螺丝|M3|个", "selectAll",
                                "type:16", "click:nPrice",        "selectAll",
                                "type:2"}
            << "A1|0|2|16|32" << lastProduct;
        QTest::newRow("edit: a new code, then a click into 数量")
            << 2
            << QStringList{"focus:cbxSerial:selected",
                           "type:B1",
                           "click:nNumber",
                           "focus:nNumber",
                           "fixed",
                           "selectAll",
                           "type:16"}
            << "B1|1|2.5|16|40" << lastProduct;
        QTest::newRow("Tab after a found code goes to 价格, selected")
            << 0 << QStringList{"type:A2", "tab", "focus:nPrice:selected",  "fixed",
                                "type:3",  "tab", "focus:nNumber:selected", "type:5"}
            << "A2|0|3|5|15" << lastProduct;
        QTest::newRow("Enter after an unknown code goes to 商品名称")
            << 0 << QStringList{"type:N1",      "enter",    "focus:cbxName", "open",   "ime:扳手",
                                "tab",          "ime:12寸", "tab",           "ime:把", "tab",
                                "focus:nPrice", "type:2",   "enter",         "type:3"}
            << "N1|0|2|3|6"
            << "N1|扳手|12寸|把";
        QTest::newRow("a new code over a found one empties the boxes")
            << 0
            << QStringList{"type:A1",
                           "tab",
                           "fixed",
                           "backtab",
                           "focus:cbxSerial:selected",
                           "type:N2",
                           "tab",
                           "focus:cbxName:selected",
                           "open",
                           "boxes:N2|||",
                           "ime:钳子",
                           "boxes:N2|钳子||",
                           "click:nPrice",
                           "selectAll",
                           "type:4",
                           "tab",
                           "type:1"}
            << "N2|0|4|1|4"
            << "N2|钳子||";
        QTest::newRow("a new code over a found one, then a click into 数量")
            << 0 << QStringList{"type:B1",       "tab",           "backtab",       "type:N4",
                                "click:nNumber", "focus:nNumber", "open",          "boxes:N4|||",
                                "selectAll",     "type:7",        "click:cbxName", "ime:垫片",
                                "click:nPrice",  "focus:nPrice",  "open",          "selectAll",
                                "type:1"}
            << "N4|0|1|7|7"
            << "N4|垫片||";
        QTest::newRow("Tab through the empty name box matches nothing")
            << 0 << QStringList{"type:N3",
                                "tab",
                                "focus:cbxName",
                                "tab",
                                "focus:cbxType",
                                "boxes:N3|||",
                                "open",
                                "click:cbxName",
                                "ime:新品",
                                "click:nPrice",
                                "boxes:N3|新品||",
                                "selectAll",
                                "type:1",
                                "tab",
                                "type:1"}
            << "N3|0|1|1|1"
            << "N3|新品||";
        QTest::newRow("a name of one product, then a click into 数量")
            << 0 << QStringList{"click:cbxName", "ime:垫圈", "click:nNumber",
                                "focus:nNumber", "fixed",    "boxes:B1|垫圈|M3|只",
                                "selectAll",     "type:2",   "click:nPrice",
                                "selectAll",     "type:5"}
            << "B1|0|5|2|10" << lastProduct;
        QTest::newRow("Tab through name and model settles the product at the model")
            << 0
            << QStringList{"click:cbxName",
                           "ime:螺丝",
                           "tab",
                           "focus:cbxType",
                           "open",
                           "boxes:A1|螺丝||",
                           "type:M4",
                           "tab",
                           "focus:nPrice:selected",
                           "fixed",
                           "boxes:A2|螺丝|M4|个",
                           "type:1",
                           "tab",
                           "type:1"}
            << "A2|0|1|1|1" << lastProduct;
    }
    void focusRules() {
        QFETCH(int, record);
        QFETCH(QStringList, steps);
        QFETCH(QString, stored);
        QFETCH(QString, product);
        Editor e;
        TStoreEditorfrm& d = e.dialog;
        QVERIFY(e.show(record != 0, 0, record));
        const auto box = [&](const QString& name) { return d.findChild<QWidget*>(name); };
        for (const QString& step : steps) {
            const QString verb = step.section(':', 0, 0);
            const QString what = step.section(':', 1);
            if (verb == "type") {
                QTest::keyClicks(keyTarget(), what);
            } else if (verb == "ime") {
                typeThroughInputMethod(what);
            } else if (verb == "tab" || verb == "backtab" || verb == "enter") {
                QTest::keyClick(keyTarget(), verb == "tab"       ? Qt::Key_Tab
                                             : verb == "backtab" ? Qt::Key_Backtab
                                                                 : Qt::Key_Return);
            } else if (verb == "click") {
                // A completion list still open closes at the click, as on the screen.
                if (QWidget* popup = QApplication::activePopupWidget())
                    popup->hide();
                QWidget* target = box(what);
                if (auto* combo = qobject_cast<QComboBox*>(target))
                    target = combo->lineEdit();
                QTest::mouseClick(target, Qt::LeftButton);
            } else if (verb == "selectAll") {
                QTest::keyClick(keyTarget(), Qt::Key_A, Qt::ControlModifier);
            } else if (verb == "focus") {
                QCOMPARE(e.focusName(), what.section(':', 0, 0));
                if (what.endsWith(":selected")) {
                    auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget());
                    if (auto* combo = qobject_cast<QComboBox*>(QApplication::focusWidget()))
                        edit = combo->lineEdit();
                    QVERIFY(edit);
                    QCOMPARE(edit->selectedText(), edit->text());
                }
            } else if (verb == "boxes") {
                QCOMPARE(QStringList({d.cbxSerial->currentText(), d.cbxName->currentText(),
                                      d.cbxType->currentText(), d.cbxUnit->currentText()})
                             .join('|'),
                         what);
            } else if (verb == "fixed" || verb == "open") {
                QVERIFY2(verb == "fixed" ? e.productFixed() : e.productOpen(), qPrintable(step));
            } else {
                QFAIL(qPrintable("unknown step " + step));
            }
        }
        QTest::mouseClick(d.AdvGlowButton1, Qt::LeftButton);
        QCOMPARE(MessageBoxes::shown().size(), 0);
        QVERIFY(!d.isVisible());
        QCOMPARE(movements(e.db).last().section('|', 0, 4), stored);
        QCOMPARE(products(e.db).last(), product);
    }

    void listsOfTheProductBoxes() {
        Editor e;
        TStoreEditorfrm& d = e.dialog;
        QVERIFY(e.show(false, 0));
        d.cbxTypeDropDown(); // no name typed: an empty list
        QCOMPARE(d.cbxType->count(), 0);
        d.cbxNameDropDown();
        QStringList names = items(d.cbxName);
        names.sort();
        QCOMPARE(names, QStringList({"O'Brien %#--", "垫圈", "螺丝"}));
        QCOMPARE(d.cbxName->currentText(), d.cbxName->itemText(0)); // the list replaces the text
        d.cbxName->setEditText("螺丝");
        d.cbxTypeDropDown();
        QStringList models = items(d.cbxType);
        models.sort();
        QCOMPARE(models, QStringList({"M3", "M4"}));
        d.cbxName->setEditText("O'Brien %#--");
        d.cbxType->setEditText("X'1 #2#");
        d.cbxUnitDropDown();
        QCOMPARE(items(d.cbxUnit), QStringList{"只--"});
    }

    void saveFindsOrCreatesTheProduct_data() {
        QTest::addColumn<QStringList>("typed"); // code, name, model, unit
        QTest::addColumn<QString>("left");      // code, name, or name then a code typed and left
        QTest::addColumn<QString>("codeAfter");
        QTest::addColumn<QString>("savedAs");    // the movement's product
        QTest::addColumn<QString>("newProduct"); // serial|name|model|unit, or empty
        QTest::newRow("product fixed by its code") << QStringList{"A2", "", "", ""} << "code"
                                                   << ""
                                                   << "A2"
                                                   << "";
        QTest::newRow("several matches and the first one's code")
            << QStringList{"", "螺丝", "", ""} << "name"
            << ""
            << "A1"
            << "";
        QTest::newRow("several matches and a new code") << QStringList{"", "螺丝", "", ""} << "name"
                                                        << "N1"
                                                        << "N1"
                                                        << "N1|螺丝||";
        QTest::newRow("new product") << QStringList{"N2", "扳手", "12寸", "把"} << "code"
                                     << ""
                                     << "N2"
                                     << "N2|扳手|12寸|把";
        QTest::newRow("quotes and signs in every box")
            << QStringList{"N'3 %#--", "O'Brien #1# 50%", "--x'", "'"} << "code"
            << ""
            << "N'3 %#--"
            << "N'3 %#--|O'Brien #1# 50%|--x'|'";
    }
    void saveFindsOrCreatesTheProduct() {
        QFETCH(QStringList, typed);
        QFETCH(QString, left);
        QFETCH(QString, codeAfter);
        QFETCH(QString, savedAs);
        QFETCH(QString, newProduct);
        Editor e;
        TStoreEditorfrm& d = e.dialog;
        const QStringList before = products(e.db);
        QVERIFY(e.show(false, 1));
        e.type(typed[0], typed[1], typed[2], typed[3]);
        left == "code" ? d.cbxSerialExit() : d.cbxNameExit();
        if (!codeAfter.isEmpty()) {
            d.cbxSerial->setEditText(codeAfter);
            d.cbxSerialExit();
        }
        Editor::typeNumber(d.nPrice, "2.5");
        Editor::typeNumber(d.nNumber, "4");
        d.dtInDate->setDate(QDate(2024, 5, 6));
        d.edtRemark->setEditText("备注 'a' #b# 5% --");
        d.AdvGlowButton1->click();
        QCOMPARE(MessageBoxes::shown().size(), 0);
        QVERIFY(!d.isVisible());
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QCOMPARE(movements(e.db).last(),
                 savedAs + "|1|2.5|4|10|2024-05-06 00:00:00|备注 'a' #b# 5% --");
        QStringList after = before;
        if (!newProduct.isEmpty())
            after << newProduct;
        QCOMPARE(products(e.db), after);
    }

    // In edit mode the boxes start open: a new name with the old code would make a second product
    // with that code.
    void newProductWithATakenCodeIsRefused() {
        Editor e;
        TStoreEditorfrm& d = e.dialog;
        const QStringList before = movements(e.db);
        QVERIFY(e.show(true, 1, 2));
        d.cbxName->setEditText("扳手");
        d.cbxNameExit(); // no match: nothing changes
        d.AdvGlowButton1->click();
        QCOMPARE(MessageBoxes::shown().size(), 1);
        QCOMPARE(MessageBoxes::shown()[0].caption, "警告");
        QCOMPARE(MessageBoxes::shown()[0].text, CodeInUse);
        QVERIFY(d.isVisible());
        QCOMPARE(e.focusName(), "cbxSerial");
        QCOMPARE(d.cbxSerial->lineEdit()->selectedText(), "A2");
        QCOMPARE(d.cbxName->currentText(), "扳手");
        QCOMPARE(d.nNumber->value(), std::optional<double>(4));
        QCOMPARE(products(e.db).size(), 4);
        QCOMPARE(movements(e.db), before);
    }

    void requiredInputs_data() {
        QTest::addColumn<QString>("emptied");
        QTest::addColumn<QString>("message");
        QTest::newRow("code") << "cbxSerial"
                              << "请输入商品的编号！";
        QTest::newRow("name") << "cbxName"
                              << "请输入商品的名称！";
        QTest::newRow("price") << "nPrice"
                               << "请输入价格！";
        QTest::newRow("quantity") << "nNumber"
                                  << "请输入数量！";
    }
    // Nothing is written, not even the new product, and the amount stays as it was.
    void requiredInputs() {
        QFETCH(QString, emptied);
        QFETCH(QString, message);
        Editor e;
        TStoreEditorfrm& d = e.dialog;
        QVERIFY(e.show(false, 0));
        e.type("N1", "扳手", "", "");
        Editor::typeNumber(d.nPrice, "2");
        Editor::typeNumber(d.nNumber, "3");
        QCOMPARE(d.nSum->text(), "￥ 6.00");
        if (auto* number = d.findChild<NumberBox*>(emptied))
            Editor::typeNumber(number, "");
        else
            d.findChild<QComboBox*>(emptied)->setEditText(QString());
        QCOMPARE(d.nSum->text(), "￥ 6.00");
        d.AdvGlowButton1->click();
        QCOMPARE(MessageBoxes::shown().size(), 1);
        QCOMPARE(MessageBoxes::shown()[0].text, message);
        QCOMPARE(e.focusName(), emptied);
        QVERIFY(d.isVisible());
        QCOMPARE(products(e.db).size(), 4);
        QCOMPARE(movements(e.db).size(), 2);
    }

    void amountFollowsPriceTimesQuantity_data() {
        QTest::addColumn<QString>("price");
        QTest::addColumn<QString>("quantity");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<double>("stored");
        QTest::newRow("12.5 × 3") << "12.5"
                                  << "3"
                                  << "￥ 37.50" << 37.5;
        QTest::newRow("unrounded product") << "0.1"
                                           << "3"
                                           << "￥ .30" << 0.1 * 3;
        QTest::newRow("typed values round to cents") << "1.234"
                                                     << "1000"
                                                     << "￥ 1,230.00" << 1230.0;
        QTest::newRow("a sign alone is no number") << "-"
                                                   << "3"
                                                   << "￥ .00" << 0.0;
    }
    void amountFollowsPriceTimesQuantity() {
        QFETCH(QString, price);
        QFETCH(QString, quantity);
        QFETCH(QString, shown);
        QFETCH(double, stored);
        Editor e;
        TStoreEditorfrm& d = e.dialog;
        QVERIFY(e.show(false, 0));
        e.type("A1", "", "", "");
        d.cbxSerialExit();
        Editor::typeNumber(d.nPrice, price);
        Editor::typeNumber(d.nNumber, quantity);
        QCOMPARE(d.nSum->text(), shown);
        if (!d.nPrice->hasValue())
            return; // refused on saving: see requiredInputs
        d.AdvGlowButton1Click();
        Query q(&e.db.dm().ADOConnection1);
        OpenSQL(q, "select StoreSum from Store where StoreIndex=3");
        QCOMPARE(q.ValueAt(0, 0).typeId(), QMetaType::Double); // stored as a number
        QCOMPARE(q.AsFloat("StoreSum"), stored);               // exactly, not rounded to cents
    }

    // A save writes all or nothing: an engine failure after the new product was appended leaves
    // no product behind, and the dialog keeps every input for another try.
    void failingSaveLeavesNoNewProduct() {
        Editor e;
        TStoreEditorfrm& d = e.dialog;
        e.db.refuseWrites("NoMovements", "Store", "1=1", "磁盘已满");
        QVERIFY(e.show(false, 0));
        e.type("N1", "扳手", "12寸", "把");
        d.cbxSerialExit();
        Editor::typeNumber(d.nPrice, "2");
        Editor::typeNumber(d.nNumber, "3");
        d.AdvGlowButton1->click();
        QCOMPARE(MessageBoxes::shown().size(), 1);
        QVERIFY(MessageBoxes::shown()[0].text.contains("磁盘已满"));
        QVERIFY(d.isVisible());
        QCOMPARE(products(e.db).size(), 4);
        QCOMPARE(movements(e.db).size(), 2);

        e.db.allowWrites("NoMovements");
        d.AdvGlowButton1->click();
        QVERIFY(!d.isVisible());
        QCOMPARE(products(e.db).last(), "N1|扳手|12寸|把");
        QCOMPARE(movements(e.db).last().section('|', 0, 4), "N1|0|2|3|6");
    }

    // Another program removes the product the code box settled: the movement is not stored
    // against a product that does not exist (no list would ever show it); the product is made
    // again from the boxes.
    void fixedProductRemovedMeanwhileIsMadeAgain() {
        Editor e;
        TStoreEditorfrm& d = e.dialog;
        QVERIFY(e.show(false, 0));
        e.type("B1", "", "", "");
        d.cbxSerialExit();
        QVERIFY(e.productFixed());
        AttachedDatabase(e.db.dir().databasePath())
            .exec("delete from Product where ProductSerial='B1'");
        Editor::typeNumber(d.nNumber, "2");
        d.AdvGlowButton1->click();
        QCOMPARE(products(e.db).last(), "B1|垫圈|M3|只");
        QCOMPARE(movements(e.db).last().section('|', 0, 3), "B1|0|0|2");
        QCOMPARE(e.db.scalar("select count(*) from Store where StoreProduct not in "
                             "(select ProductIndex from Product)"),
                 "0");
    }

    void editKeepsTheKindAndTimeAndAGoneMovementIsAppendedOnYes() {
        Editor e;
        TStoreEditorfrm& d = e.dialog;
        QVERIFY(e.show(true, 0, 2));
        Editor::typeNumber(d.nNumber, "5");
        d.AdvGlowButton1->click();
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QCOMPARE(movements(e.db), QStringList({"A1|0|1.5|10|15|2024-03-01 00:00:00|",
                                               "A2|1|2.5|5|12.5|2024-03-05 14:30:00|月底"}));

        // Another program deletes the movement while the dialog shows it: saved again as a new
        // movement only when the operator says so.
        QVERIFY(e.show(true, 0, 2));
        AttachedDatabase(e.db.dir().databasePath()).exec("delete from Store where StoreIndex=2");
        d.dtInDate->setDate(QDate(2024, 3, 6));
        MessageBoxes::setNextAnswer(MessageAnswer::Yes);
        d.AdvGlowButton1->click();
        QCOMPARE(
            MessageBoxes::shown().value(0).text,
            "该记录已被其他用户删除，您的修改没有保存。\n要把输入的内容保存为一条新的记录吗？");
        QCOMPARE(movements(e.db).last(), "A2|1|2.5|5|12.5|2024-03-06 14:30:00|月底");
        QCOMPARE(e.db.scalar("select StoreIndex from Store where StoreProduct=2"), "3");

        // Gone before the showing: the boxes stay empty and the caller's kind stands.
        QVERIFY(e.show(true, 1, 2));
        QCOMPARE(d.windowTitle(), "修改");
        QCOMPARE(d.cbxSerial->currentText(), QString());
        QCOMPARE(d.KindFlag, 1);
    }

    void deleteAsksAndDeletesTheMovementOnlyOnYes() {
        Editor e;
        TStoreEditorfrm& d = e.dialog;
        QVERIFY(e.show(true, 1, 2));
        d.AdvGlowButton3->click(); // no answer queued: the box was closed
        QCOMPARE(MessageBoxes::shown().size(), 1);
        QCOMPARE(MessageBoxes::shown()[0].caption, "警告");
        QCOMPARE(MessageBoxes::shown()[0].text, "确定要删除该条仓库信息？");
        QCOMPARE(MessageBoxes::shown()[0].defaultAnswer, MessageAnswer::Cancel); // Enter is safe
        QVERIFY(d.isVisible());
        QCOMPARE(movements(e.db).size(), 2);

        MessageBoxes::setNextAnswer(MessageAnswer::Yes);
        d.AdvGlowButton3->click();
        QVERIFY(!d.isVisible());
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QCOMPARE(movements(e.db), QStringList{"A1|0|1.5|10|15|2024-03-01 00:00:00|"});
        QCOMPARE(products(e.db).size(), 4);
    }

    void cancelWritesNothing() {
        Editor e;
        TStoreEditorfrm& d = e.dialog;
        QVERIFY(e.show(true, 1, 2));
        Editor::typeNumber(d.nNumber, "7");
        d.AdvGlowButton2->click();
        QVERIFY(!d.isVisible());
        QCOMPARE(d.result(), int(QDialog::Rejected));
        QCOMPARE(movements(e.db).last(), "A2|1|2.5|4|9.99|2024-03-05 14:30:00|月底");
    }

    // A barcode scanner types the code and Enter: the code is looked up and the price is next;
    // Enter never saves a half-filled movement. Leaving a box by Tab runs its look-up too.
    void keyboardEntryLikeAScanner() {
        Editor e;
        TStoreEditorfrm& d = e.dialog;
        QVERIFY(e.show(false, 0));
        QTest::keyClicks(d.cbxSerial, "ZZ");
        QTest::keyClick(keyTarget(), Qt::Key_Return);
        QCOMPARE(e.focusName(), "cbxName"); // unknown code
        QVERIFY(d.isVisible());
        QTest::keyClick(keyTarget(), Qt::Key_Backtab);
        QCOMPARE(e.focusName(), "cbxSerial");
        d.cbxSerial->lineEdit()->selectAll();
        QTest::keyClicks(keyTarget(), "A2");
        QTest::keyClick(keyTarget(), Qt::Key_Enter);
        QCOMPARE(e.focusName(), "nPrice");
        QVERIFY(e.productFixed());
        QCOMPARE(d.cbxType->currentText(), "M4");
        QVERIFY(d.isVisible());

        const auto typeAndEnter = [](const QString& text) {
            QTest::keyClicks(keyTarget(), text);
            QTest::keyClick(keyTarget(), Qt::Key_Return);
        };
        typeAndEnter("2.5");
        QCOMPARE(e.focusName(), "nNumber");
        typeAndEnter("4");
        QCOMPARE(e.focusName(), "nSum");
        typeAndEnter("");
        QCOMPARE(e.focusName(), "dtInDate");
        typeAndEnter("");
        QCOMPARE(e.focusName(), "edtRemark");
        typeAndEnter("scan 1");
        QCOMPARE(e.focusName(), "AdvGlowButton1");
        QCOMPARE(movements(e.db).size(), 2);
        QVERIFY(d.isVisible());
        QTest::keyClick(keyTarget(), Qt::Key_Return);
        QVERIFY(!d.isVisible());
        QCOMPARE(movements(e.db).last().section('|', 0, 4), "A2|0|2.5|4|10");

        // Tab out of the name box matches name, model and unit.
        QVERIFY(e.show(false, 0));
        QTest::keyClick(keyTarget(), Qt::Key_Tab);
        QCOMPARE(e.focusName(), "cbxName");
        typeThroughInputMethod("垫圈");
        QTest::keyClick(keyTarget(), Qt::Key_Tab);
        QCOMPARE(d.cbxSerial->currentText(), "B1");
        QCOMPARE(e.focusName(), "nPrice");
        QVERIFY(e.productFixed());
        QCOMPARE(MessageBoxes::shown().size(), 0);
    }

    void codeAndNameBoxesComplete() {
        Editor e;
        TStoreEditorfrm& d = e.dialog;
        QVERIFY(e.show(false, 0));
        QTest::keyClicks(d.cbxSerial, "A");
        QCompleter* codes = d.cbxSerial->completer();
        QCOMPARE(codes->completionCount(), 2);
        QVERIFY(codes->popup()->isVisible());
        QCOMPARE(d.cbxSerial->currentText(), "A"); // nothing chosen, nothing changed
        QTest::keyClick(codes->popup(), Qt::Key_Escape);

        // The name list is filled when the box is entered, keeping its text.
        d.cbxName->setEditText("旧");
        QTest::keyClick(keyTarget(), Qt::Key_Tab);
        QCOMPARE(e.focusName(), "cbxName");
        QCOMPARE(d.cbxName->currentText(), "旧");
        QCOMPARE(d.cbxName->count(), 3);
        d.cbxName->lineEdit()->selectAll();
        typeThroughInputMethod("丝");
        QCompleter* names = d.cbxName->completer();
        QCOMPARE(names->completionCount(), 1);
        QCOMPARE(names->currentCompletion(), "螺丝");
        QCOMPARE(d.cbxName->currentText(), "丝");
        QVERIFY(d.cbxType->completer() == nullptr && d.cbxUnit->completer() == nullptr);
    }

    // From the page button to the refreshed list and balance, through the real widgets.
    void wholeEntryFromTheMovementPages() {
        TestDatabase db;
        db.exec(Products);
        db.exec(Movements);
        TMainForm form(db.dm(), db.dir().path());
        TStoreEditorfrm dialog(db.dm(), &form);
        form.setStoreEditor(&dialog);
        form.InitializePages();
        WaitForFilledLists(form);
        form.show();
        auto* dlg = form.findChild<TStoreEditorfrm*>("StoreEditorfrm");
        QVERIFY(dlg == &dialog);
        auto* addIn = form.findChild<GlowButton*>("AdvGlowButton1");
        auto* inGrid = form.findChild<DataGrid*>("DBGridEh1");
        auto* outGrid = form.findChild<DataGrid*>("DBGridEh2");
        QCOMPARE(inGrid->footerText(0), "共 1 条");

        // While the dialog is open, `act` runs on it; a dialog still open afterwards is cancelled.
        bool opened = false;
        const auto whileOpen = [&](const std::function<void()>& act) {
            opened = false;
            QTimer::singleShot(0, dlg, [&, act] {
                opened = dlg->isVisible() && QTest::qWaitForWindowActive(dlg);
                if (opened)
                    act();
                if (dlg->isVisible())
                    dlg->AdvGlowButton2->click();
            });
        };
        const auto find = [&](const char* name) { return dlg->findChild<QWidget*>(name); };

        // What the summary of this month shows B1 received (0 while it is not listed).
        const auto receivedThisMonth = [&form] {
            Query& summary = form.ADOQuerySummary;
            for (summary.First(); !summary.Eof(); summary.Next()) {
                if (summary.AsString("ProductSerial") == "B1")
                    return summary.AsFloat("StorePeriodInNumber");
            }
            return 0.0;
        };
        const double receivedBefore = receivedThisMonth();

        // A filtered list becomes the unfiltered one after OK.
        form.TntComboBox5->setCurrentText("垫圈");
        form.AdvGlowButton4->click();
        QCOMPARE(inGrid->footerText(0), "共 0 条");
        whileOpen([&] {
            QTest::keyClicks(find("cbxSerial"), "B1");
            QTest::keyClick(keyTarget(), Qt::Key_Return);
            QTest::keyClicks(keyTarget(), "3");
            QTest::keyClick(keyTarget(), Qt::Key_Tab);
            QTest::keyClicks(keyTarget(), "7");
            qobject_cast<QPushButton*>(find("AdvGlowButton1"))->click();
        });
        addIn->click();
        QVERIFY(opened);
        QCOMPARE(dlg->windowTitle(), "添加");
        QCOMPARE(inGrid->footerText(0), "共 2 条");
        QCOMPARE(inGrid->footerText(6), "￥ 36.00");
        QCOMPARE(form.TntComboBox5->currentText(), "垫圈"); // the filter keeps its text
        QCOMPARE(form.DBGridEh3->footerText(0), "共 3 条");
        QCOMPARE(receivedThisMonth(), receivedBefore + 7); // the summary listed again

        // "添加下一条" twice, then "取消": the movements are stored, nothing is refreshed.
        whileOpen([&] {
            for (const char* code : {"A1", "A2"}) {
                QTest::keyClicks(keyTarget(), code);
                QTest::keyClick(keyTarget(), Qt::Key_Return);
                QCOMPARE(QApplication::focusWidget()->objectName(), "nPrice");
                Editor::typeNumber(qobject_cast<NumberBox*>(find("nNumber")), "1");
                qobject_cast<QPushButton*>(find("AdvGlowButton4"))->click();
                QCOMPARE(qobject_cast<QComboBox*>(find("cbxSerial"))->currentText(), QString());
            }
        });
        form.AdvGlowButton6->click();
        QVERIFY(opened);
        QCOMPARE(dlg->result(), int(QDialog::Rejected));
        QCOMPARE(movements(db).mid(3),
                 QStringList(
                     {"A1|1|0|1|0|" + QDate::currentDate().toString(Qt::ISODate) + " 00:00:00|",
                      "A2|1|0|1|0|" + QDate::currentDate().toString(Qt::ISODate) + " 00:00:00|"}));
        QCOMPARE(outGrid->footerText(0), "共 1 条");

        // A double-click changes the current row of the stock-out list.
        whileOpen([&] {
            QCOMPARE(dlg->windowTitle(), "修改");
            Editor::typeNumber(qobject_cast<NumberBox*>(find("nNumber")), "6");
            qobject_cast<QPushButton*>(find("AdvGlowButton1"))->click();
        });
        emit outGrid->doubleClicked();
        QVERIFY(opened);
        QCOMPARE(outGrid->footerText(0), "共 3 条");
        QCOMPARE(db.scalar("select StoreNumber from Store where StoreIndex=2"), "6");
        QCOMPARE(form.DBGridEh3->footerText(4), "17.00"); // 10 + 7 received
        QCOMPARE(form.DBGridEh3->footerText(5), "8.00");  // 6 + 1 + 1 shipped

        // Enter on a row of the stock-in list opens it, as a double-click does.
        whileOpen([&] {
            QCOMPARE(dlg->windowTitle(), "修改");
            QCOMPARE(qobject_cast<QComboBox*>(find("cbxSerial"))->currentText(),
                     inGrid->cellText(inGrid->currentRow(), 0));
        });
        QTest::keyClick(inGrid->view(), Qt::Key_Return);
        QVERIFY(opened);

        // A double-click on an empty list opens nothing.
        db.exec("delete from Store where StoreKind=0");
        form.QueryStoreIn(QString());
        whileOpen([] {});
        emit inGrid->doubleClicked();
        QCoreApplication::processEvents();
        QVERIFY(!opened);
        QCOMPARE(MessageBoxes::shown().size(), 0);
    }
};

QTEST_MAIN(TestStoreEditor)
#include "test_storeeditor.moc"
