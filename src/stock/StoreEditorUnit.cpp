#include "stock/StoreEditorUnit.h"

#include "data/DataError.h"
#include "data/ShareDMUnit.h"
#include "data/Transaction.h"
#include "stock/MovementWriter.h"
#include "stock/StockStatements.h"
#include "widgets/BlueScheme.h"
#include "widgets/ControlOps.h"
#include "widgets/DatePicker.h"
#include "widgets/DropDownComboBox.h"
#include "widgets/FixedLabel.h"
#include "widgets/FocusNotifier.h"
#include "widgets/GlowButton.h"
#include "widgets/GroupBox.h"
#include "widgets/Guard.h"
#include "widgets/MessageBoxes.h"
#include "widgets/NumberBox.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLinearGradient>
#include <QPainter>
#include <algorithm>

namespace {

const QString ProductTable = QStringLiteral("Product");
const QString CodeInUse =
    QStringLiteral("该商品编号已经被其它商品占用,请输入其它编号作为该商品的标识");

template <class Widget> Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// While the dialog itself moves the focus (a look-up moving on, a refused input, a new showing),
// the boxes it passes are not left by the operator and run nothing.
class FocusByProgram {
public:
    explicit FocusByProgram(bool& flag) : m_flag(flag), m_before(flag) { m_flag = true; }
    ~FocusByProgram() { m_flag = m_before; }
    FocusByProgram(const FocusByProgram&) = delete;
    FocusByProgram& operator=(const FocusByProgram&) = delete;

private:
    bool& m_flag;
    bool m_before;
};

// Fields stand in rows, each a label above its box.
constexpr int BoxHeight = 21;
constexpr int LabelHeight = 17;

} // namespace

TStoreEditorfrm::TStoreEditorfrm(TShareDM& dataModule, QWidget* parent)
    : QDialog(parent), m_dataModule(dataModule),
      m_movement(new Query(&dataModule.ADOConnection1, this)) {
    setObjectName("StoreEditorfrm");
    setWindowTitle(QStringLiteral("添加"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(ClientWidth, ClientHeight);
    QFont font(BlueScheme::fontFamily());
    font.setPixelSize(12);
    setFont(font);
    buildControls();
    connectHandlers();
}

void TStoreEditorfrm::buildControls() {
    productGroup = named(new GroupBox(QStringLiteral("货品信息"), this), "productGroup");
    productGroup->setGeometry(15, 8, 650, 209);

    auto label = [this](const char* name, const QString& text, int x, int boxTop, int width) {
        return named(new FixedLabel(text, productGroup,
                                    QRect(x, boxTop - LabelHeight - 1, width, LabelHeight)),
                     name);
    };
    auto place = [](auto* box, const char* name, int x, int top, int width) {
        named(box, name)->setGeometry(x, top, width, BoxHeight);
        return box;
    };
    auto combo = [&](const char* name, int x, int top, int width) {
        return place(new DropDownComboBox(productGroup), name, x, top, width);
    };
    auto number = [&](const char* name, int x, int top, const QString& format) {
        auto* box = place(new NumberBox(productGroup), name, x, top, 193);
        box->setDisplayFormat(format);
        return box;
    };

    serialLabel = label("serialLabel", QStringLiteral("商品编号"), 20, 50, 193);
    cbxSerial = combo("cbxSerial", 20, 50, 193);
    nameLabel = label("nameLabel", QStringLiteral("商品名称"), 228, 50, 193);
    cbxName = combo("cbxName", 228, 50, 193);
    typeLabel = label("typeLabel", QStringLiteral("商品型号"), 436, 50, 121);
    cbxType = combo("cbxType", 436, 50, 121);
    unitLabel = label("unitLabel", QStringLiteral("单位"), 572, 50, 57);
    cbxUnit = combo("cbxUnit", 572, 50, 57);

    const QString quantityFormat = QStringLiteral("#,###.00");
    priceLabel = label("priceLabel", QStringLiteral("价格"), 20, 106, 193);
    nPrice = number("nPrice", 20, 106, quantityFormat);
    numberLabel = label("numberLabel", QStringLiteral("数量"), 228, 106, 193);
    nNumber = number("nNumber", 228, 106, quantityFormat);
    sumLabel = label("sumLabel", QStringLiteral("金额"), 436, 106, 193);
    nSum = number("nSum", 436, 106, QStringLiteral("￥ #,###.00"));
    nSum->setReadOnly(true);
    QPalette blueText = nSum->palette();
    blueText.setColor(QPalette::Text, Qt::blue);
    nSum->setPalette(blueText);

    dateLabel = label("dateLabel", QStringLiteral("日期"), 20, 154, 193);
    dtInDate = place(new DatePicker(productGroup), "dtInDate", 20, 154, 193);
    remarkLabel = label("remarkLabel", QStringLiteral("备注"), 228, 154, 401);
    edtRemark = combo("edtRemark", 228, 154, 401);

    // Codes complete by their beginning, names by any part; the other boxes do not complete, so
    // that nothing but the operator's choice changes what was typed.
    cbxSerial->setListCompletion(Qt::MatchStartsWith);
    cbxName->setListCompletion(Qt::MatchContains);
    for (DropDownComboBox* box : {cbxType, cbxUnit, edtRemark})
        box->setCompleter(nullptr);
    for (DropDownComboBox* box : {cbxSerial, cbxName, cbxType, cbxUnit, edtRemark})
        box->lineEdit()->setAlignment(Qt::AlignCenter);

    auto button = [this](const char* name, const QString& text, int x) {
        auto* glow = named(new GlowButton(text, this), name);
        glow->move(x, 232);
        // No button is pressed by Enter in a box: see connectHandlers.
        glow->setAutoDefault(false);
        return glow;
    };
    AdvGlowButton4 = button("AdvGlowButton4", QStringLiteral("添加下一条"), 97);
    AdvGlowButton3 = button("AdvGlowButton3", QStringLiteral("删除"), 227);
    AdvGlowButton1 = button("AdvGlowButton1", QStringLiteral("确定"), 358);
    AdvGlowButton2 = button("AdvGlowButton2", QStringLiteral("取消"), 489);

    const QList<QWidget*> order{
        cbxSerial, cbxName,   cbxType,        cbxUnit,        nPrice,         nNumber,       nSum,
        dtInDate,  edtRemark, AdvGlowButton3, AdvGlowButton2, AdvGlowButton1, AdvGlowButton4};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void TStoreEditorfrm::connectHandlers() {
    onLeave(cbxSerial, &TStoreEditorfrm::cbxSerialExit);
    FocusNotifier* name = onLeave(cbxName, &TStoreEditorfrm::cbxNameExit);
    onLeave(cbxType, &TStoreEditorfrm::cbxNameExit);
    onLeave(cbxUnit, &TStoreEditorfrm::cbxNameExit);
    connect(name, &FocusNotifier::entered, this,
            [this] { RunGuarded([this] { fillNameListForCompletion(); }); });

    const auto onDropDown = [this](DropDownComboBox* box, void (TStoreEditorfrm::*handler)()) {
        connect(box, &DropDownComboBox::dropDown, this, Guarded(this, handler));
    };
    onDropDown(cbxName, &TStoreEditorfrm::cbxNameDropDown);
    onDropDown(cbxType, &TStoreEditorfrm::cbxTypeDropDown);
    onDropDown(cbxUnit, &TStoreEditorfrm::cbxUnitDropDown);
    for (NumberBox* box : {nPrice, nNumber})
        connect(box, &NumberBox::valueChanged, this, Guarded(this, &TStoreEditorfrm::nPriceChange));

    const auto onClick = [this](GlowButton* button, void (TStoreEditorfrm::*handler)()) {
        connect(button, &QPushButton::clicked, this, Guarded(this, handler));
    };
    onClick(AdvGlowButton1, &TStoreEditorfrm::AdvGlowButton1Click);
    onClick(AdvGlowButton2, &TStoreEditorfrm::AdvGlowButton2Click);
    onClick(AdvGlowButton3, &TStoreEditorfrm::AdvGlowButton3Click);
    onClick(AdvGlowButton4, &TStoreEditorfrm::AdvGlowButton4Click);

    // Enter moves on to the next box, as Tab does: a barcode scanner ends a code with Enter,
    // which then looks the code up. After the remark it goes to "确定". There is no default
    // button, so Enter never saves a movement half filled in; on a button it presses that
    // button. The combo boxes take Enter from their edit box, which also hears it while a
    // completion popup is open; the other controls in eventFilter.
    for (DropDownComboBox* box : {cbxSerial, cbxName, cbxType, cbxUnit})
        onEnter(box->lineEdit(), nullptr);
    onEnter(edtRemark->lineEdit(), AdvGlowButton1);
    for (QWidget* control :
         std::initializer_list<QWidget*>{nPrice, nNumber, nSum, dtInDate, AdvGlowButton1,
                                         AdvGlowButton2, AdvGlowButton3, AdvGlowButton4})
        control->installEventFilter(this);
}

// A leave handler runs when the operator leaves the control, not when the dialog moves the
// focus itself.
FocusNotifier* TStoreEditorfrm::onLeave(QWidget* control, void (TStoreEditorfrm::*handler)()) {
    auto* notifier = new FocusNotifier(control);
    connect(notifier, &FocusNotifier::left, this, [this, handler](Qt::FocusReason reason) {
        if (m_focusByProgram)
            return;
        const FocusByProgram byProgram(m_focusByProgram);
        m_leftBy = reason;
        RunGuarded([this, handler] { (this->*handler)(); });
        m_leftBy = Qt::OtherFocusReason;
    });
    return notifier;
}

void TStoreEditorfrm::onEnter(QLineEdit* edit, QWidget* next) {
    connect(edit, &QLineEdit::returnPressed, this, [this, next] {
        if (next)
            next->setFocus(Qt::TabFocusReason);
        else
            focusNextChild();
    });
}

// Enter in a number box or the date picker moves on; on a button it presses that button.
bool TStoreEditorfrm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (auto* button = qobject_cast<QPushButton*>(watched))
                button->click();
            else
                focusNextChild();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TStoreEditorfrm::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QLinearGradient gradient(0, 0, 0, height());
    gradient.setColorAt(0, BlueScheme::panelTop());
    gradient.setColorAt(1, BlueScheme::panelBottom());
    painter.fillRect(rect(), gradient);
}

void TStoreEditorfrm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        RunGuarded([this] { FormShow(); });
}

QList<QWidget*> TStoreEditorfrm::productBoxes() const {
    return {cbxName, cbxType, cbxUnit};
}

void TStoreEditorfrm::FormShow() {
    const FocusByProgram byProgram(m_focusByProgram);
    AdvGlowButton3->setVisible(EditFlag);
    AdvGlowButton4->setVisible(!EditFlag);
    setWindowTitle(QStringLiteral("添加"));
    SetControlsEnabled(productBoxes(), true);
    FillDistinctCombo(m_dataModule.ADOQueryNotAllowUse, cbxSerial, ProductTable,
                      QStringLiteral("ProductSerial"), QString(), true, QString());
    m_nameListFilled = false;
    ClearInputs(this);
    dtInDate->setDate(QDate::currentDate());
    m_recordTime = QTime(0, 0);
    m_saveAsNew = false;
    m_movement->Close();
    if (EditFlag)
        showStoredMovement();
    moveFocus(cbxSerial);
}

// The movement to change, with its product. The movement is kept as read: a save or a deletion
// goes through only while it is still so. A movement that is gone by now leaves the boxes empty
// and the kind as the caller set it.
void TStoreEditorfrm::showStoredMovement() {
    OpenSQL(*m_movement, MovementStatement(RecordIndex));
    Query& product = m_dataModule.ADOQueryTemp1;
    OpenSQL(product, MovementWithProductStatement(RecordIndex));
    setWindowTitle(QStringLiteral("修改"));
    const Query& movement = *m_movement;
    if (movement.IsEmpty())
        return;
    cbxSerial->setEditText(product.AsString("ProductSerial"));
    cbxName->setEditText(product.AsString("ProductName"));
    cbxType->setEditText(product.AsString("ProductType"));
    cbxUnit->setEditText(product.AsString("ProductUnit"));
    // The amount last, so that it shows as stored and not as price times quantity.
    nPrice->setValue(movement.AsFloat("StorePrice"));
    nNumber->setValue(movement.AsFloat("StoreNumber"));
    nSum->setValue(movement.AsFloat("StoreSum"));
    const QDateTime recorded = movement.AsDateTime("StoreRecordDate");
    if (recorded.isValid()) {
        dtInDate->setDate(recorded.date());
        m_recordTime = recorded.time();
    }
    edtRemark->setEditText(movement.AsString("StoreRemark"));
    KindFlag = static_cast<int>(movement.AsInteger("StoreKind"));
}

QString TStoreEditorfrm::productMatchFragment() const {
    return FilledFieldsFragment(cbxName->currentText(), cbxType->currentText(),
                                cbxUnit->currentText());
}

// Settles an existing product: its name, model and unit are fixed. The price comes next when
// the operator went on with Tab or Enter, or into a box that is now fixed; a box the operator
// clicked keeps the focus.
void TStoreEditorfrm::fixProduct(const Query& product) {
    cbxName->setEditText(product.AsString("ProductName"));
    cbxType->setEditText(product.AsString("ProductType"));
    cbxUnit->setEditText(product.AsString("ProductUnit"));
    const QWidget* focus = QApplication::focusWidget();
    const QList<QWidget*> boxes = productBoxes();
    const bool intoProductBox =
        focus && std::any_of(boxes.cbegin(), boxes.cend(), [&](QWidget* box) {
            return box == focus || box->isAncestorOf(focus);
        });
    if (leftByTabOrEnter() || intoProductBox)
        moveFocus(nPrice); // before fixing, so that no fixed box holds the focus
    SetControlsEnabled(productBoxes(), false);
}

// The product is not settled (a code that no product has): the product boxes open. Boxes that
// were fixed held another product's texts: they open empty, for the new product's.
void TStoreEditorfrm::openProduct() {
    const bool wasFixed = !cbxName->isEnabled();
    SetControlsEnabled(productBoxes(), true);
    if (wasFixed) {
        for (DropDownComboBox* box : {cbxName, cbxType, cbxUnit})
            box->setEditText(QString());
    }
    if (leftByTabOrEnter())
        moveFocus(cbxName);
}

// A box the dialog puts the focus into has its text selected, so that typing replaces it.
void TStoreEditorfrm::moveFocus(QWidget* control) {
    const FocusByProgram byProgram(m_focusByProgram);
    control->setFocus(Qt::OtherFocusReason);
    if (auto* combo = qobject_cast<QComboBox*>(control); combo && combo->lineEdit())
        combo->lineEdit()->selectAll();
    else if (auto* edit = qobject_cast<QLineEdit*>(control))
        edit->selectAll();
}

// Tab, and Enter (which moves on as Tab does), go on to the next box in the dialog's order;
// a click, Shift+Tab or anything else is the operator's own choice of box.
bool TStoreEditorfrm::leftByTabOrEnter() const {
    return m_leftBy == Qt::TabFocusReason;
}

void TStoreEditorfrm::cbxSerialExit() {
    Query& query = m_dataModule.ADOQueryTemp1;
    OpenSQL(query, ProductBySerialStatement(cbxSerial->currentText()));
    if (!query.IsEmpty())
        fixProduct(query);
    else
        openProduct();
}

// With no name, model or unit typed there is nothing to match.
void TStoreEditorfrm::cbxNameExit() {
    const QString fragment = productMatchFragment();
    if (fragment.isEmpty())
        return;
    Query& query = m_dataModule.ADOQueryTemp1;
    OpenSQL(query, ProductListStatement(fragment));
    if (query.IsEmpty())
        return;
    cbxSerial->setEditText(query.AsString("ProductSerial"));
    if (query.RecordCount() == 1)
        fixProduct(query);
}

void TStoreEditorfrm::cbxNameDropDown() {
    FillDistinctCombo(m_dataModule.ADOQueryNotAllowUse, cbxName, ProductTable,
                      QStringLiteral("ProductName"), QString(), true, QString());
    m_nameListFilled = true;
}

void TStoreEditorfrm::cbxTypeDropDown() {
    FillDistinctCombo(m_dataModule.ADOQueryNotAllowUse, cbxType, ProductTable,
                      QStringLiteral("ProductType"), EntryModelListFragment(cbxName->currentText()),
                      true, QString());
}

void TStoreEditorfrm::cbxUnitDropDown() {
    FillDistinctCombo(
        m_dataModule.ADOQueryNotAllowUse, cbxUnit, ProductTable, QStringLiteral("ProductUnit"),
        EntryUnitListFragment(cbxName->currentText(), cbxType->currentText()), true, QString());
}

// The name box completes from every product name. Its list is filled when the operator first
// enters the box in a showing, keeping what the box reads, so that the showing itself runs one
// look-up only.
void TStoreEditorfrm::fillNameListForCompletion() {
    if (m_nameListFilled)
        return;
    const QString typed = cbxName->currentText();
    FillDistinctCombo(m_dataModule.ADOQueryNotAllowUse, cbxName, ProductTable,
                      QStringLiteral("ProductName"), QString(), true, QString());
    cbxName->setEditText(typed);
    m_nameListFilled = true;
}

// While either box holds no number (emptied, or only a sign typed) the amount stays as it was.
void TStoreEditorfrm::nPriceChange() {
    if (nPrice->hasValue() && nNumber->hasValue())
        nSum->setValue(*nPrice->value() * *nNumber->value());
}

void TStoreEditorfrm::SaveStoreRecord() {
    const FocusByProgram byProgram(m_focusByProgram);
    RequireText(cbxSerial, QStringLiteral("请输入商品的编号！"));
    RequireText(cbxName, QStringLiteral("请输入商品的名称！"));
    RequireText(nPrice, QStringLiteral("请输入价格！"));
    RequireText(nNumber, QStringLiteral("请输入数量！"));
    try {
        saveInTransaction();
    } catch (const RowConflict& conflict) {
        if (conflict.kind() == RowConflict::Kind::Modified)
            offerReload(conflict, QStringLiteral("您的修改没有保存"));
        // Deleted by another user: written again only when the operator says so; else nothing is
        // written, and the dialog closes so that the lists show the movement gone.
        if (AskYesNo(QStringLiteral("警告"),
                     QStringLiteral("该记录已被其他用户删除，您的修改没有保存。\n"
                                    "要把输入的内容保存为一条新的记录吗？"),
                     QMessageBox::Warning) != MessageAnswer::Yes)
            return;
        m_saveAsNew = true;
        saveInTransaction();
    }
}

void TStoreEditorfrm::saveInTransaction() {
    // A product appended on the way never stays without its movement.
    Transaction transaction(m_dataModule.ADOConnection1);
    const QString code = cbxSerial->currentText();
    std::optional<qint64> product = productKey();
    if (!product) {
        Query& codeCheck = m_dataModule.ADOQueryTemp2;
        OpenSQL(codeCheck, ProductBySerialStatement(code));
        if (!codeCheck.IsEmpty()) {
            transaction.Rollback();
            RefuseInput(cbxSerial, CodeInUse);
        }
        product = appendProduct();
    }
    writeMovement(*product);
    transaction.Commit();
}

[[noreturn]] void TStoreEditorfrm::offerReload(const RowConflict& conflict,
                                               const QString& notDone) {
    const QString text =
        QStringLiteral(
            "该记录已被其他用户修改%1，%2。\n要重新载入该记录，显示其他用户保存的内容吗？")
            .arg(conflict.changedText(fieldLabels()), notDone);
    if (AskYesNo(QStringLiteral("警告"), text, QMessageBox::Warning) == MessageAnswer::Yes)
        FormShow();
    throw SilentAbort();
}

// The dialog's words for the movement's columns.
QList<std::pair<QString, QString>> TStoreEditorfrm::fieldLabels() const {
    return {{QStringLiteral("StoreProduct"), QStringLiteral("商品")},
            {QStringLiteral("StorePrice"), priceLabel->text()},
            {QStringLiteral("StoreNumber"), numberLabel->text()},
            {QStringLiteral("StoreSum"), sumLabel->text()},
            {QStringLiteral("StoreRecordDate"), dateLabel->text()},
            {QStringLiteral("StoreRemark"), remarkLabel->text()},
            {QStringLiteral("StoreKind"), QStringLiteral("入库或出库")}};
}

// The key of the product the boxes name; none when it is a new product.
std::optional<qint64> TStoreEditorfrm::productKey() {
    Query& query = m_dataModule.ADOQueryTemp1;
    const QString code = cbxSerial->currentText();
    if (!cbxName->isEnabled()) {
        OpenSQL(query, ProductBySerialStatement(code));
        if (!query.IsEmpty())
            return query.AsInteger("ProductIndex");
        // The fixed product is gone (another program removed it): found or made as an open one.
    }
    OpenSQL(query, ProductListStatement(productMatchFragment()));
    const int matches = query.RecordCount();
    if (matches == 1 || (matches >= 2 && query.AsString("ProductSerial") == code))
        return query.AsInteger("ProductIndex");
    return std::nullopt;
}

qint64 TStoreEditorfrm::appendProduct() {
    Query& query = m_dataModule.ADOQueryTemp1;
    OpenSQL(query, NoRowStatement(ProductTable));
    query.Append();
    query.SetField("ProductSerial", cbxSerial->currentText());
    query.SetField("ProductName", cbxName->currentText());
    query.SetField("ProductType", cbxType->currentText());
    query.SetField("ProductUnit", cbxUnit->currentText());
    query.Post();
    return query.AsInteger("ProductIndex");
}

void TStoreEditorfrm::writeMovement(qint64 product) {
    const bool edit = EditFlag && !m_saveAsNew;
    Query& query = edit ? *m_movement : m_dataModule.ADOQueryTemp1;
    if (edit) {
        // Gone before the showing: not written again unasked either.
        if (query.IsEmpty())
            throw RowConflict(RowConflict::Kind::Deleted, {});
        query.Edit();
    } else {
        OpenSQL(query, NoRowStatement(QStringLiteral("Store")));
        query.Append();
    }
    PostMovement(query, {product, static_cast<MovementKind>(KindFlag), nPrice->valueOrThrow(),
                         nNumber->valueOrThrow(), nSum->valueOrThrow(),
                         QDateTime(dtInDate->date(), m_recordTime), edtRemark->currentText()});
}

void TStoreEditorfrm::AdvGlowButton1Click() {
    SaveStoreRecord();
    accept();
}

void TStoreEditorfrm::AdvGlowButton4Click() {
    SaveStoreRecord();
    FormShow();
}

// Deletes the movement only, never its product, and only while it is as the showing read it.
// A movement already gone counts as deleted.
void TStoreEditorfrm::AdvGlowButton3Click() {
    if (AskYesCancel(QStringLiteral("警告"), QStringLiteral("确定要删除该条仓库信息？"),
                     QMessageBox::Warning, MessageAnswer::Cancel) != MessageAnswer::Yes)
        return;
    try {
        if (m_movement->IsEmpty())
            throw RowConflict(RowConflict::Kind::Deleted, {});
        m_movement->Delete();
    } catch (const RowConflict& conflict) {
        if (conflict.kind() == RowConflict::Kind::Modified)
            offerReload(conflict, QStringLiteral("没有删除"));
        ShowInformation(QStringLiteral("该记录已被其他用户删除。"));
    }
    accept();
}

void TStoreEditorfrm::AdvGlowButton2Click() {
    reject();
}
