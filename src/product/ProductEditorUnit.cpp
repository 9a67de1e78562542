#include "product/ProductEditorUnit.h"

#include "data/DataError.h"
#include "data/ShareDMUnit.h"
#include "data/Transaction.h"
#include "product/ProductStatements.h"
#include "widgets/ControlOps.h"
#include "widgets/DropDownComboBox.h"
#include "widgets/FixedLabel.h"
#include "widgets/GlowButton.h"
#include "widgets/GroupBox.h"
#include "widgets/Guard.h"
#include "widgets/MessageBoxes.h"
#include "widgets/NumberBox.h"
#include "widgets/ShadedPanel.h"

#include <QCompleter>
#include <QLineEdit>

namespace {

// A combo box that completes only entries beginning exactly as typed: the look-ups compare
// whole texts exactly, so a completion must not append to a prefix of another letter case.
DropDownComboBox* exactCombo(QWidget* parent) {
    auto* combo = new DropDownComboBox(parent);
    combo->completer()->setCaseSensitivity(Qt::CaseSensitive);
    return combo;
}

template <class Widget> Widget* named(Widget* widget, const char* name, const QRect& geometry) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(geometry);
    return widget;
}

FixedLabel* label(QWidget* parent, const char* name, const QString& text, int x, int y) {
    auto* fixed = new FixedLabel(text, parent, QRect(x, y, 193, 17));
    fixed->setObjectName(QString::fromLatin1(name));
    return fixed;
}

} // namespace

TProductEditorfrm::TProductEditorfrm(TShareDM& dataModule, QWidget* parent)
    : QDialog(parent), m_dataModule(dataModule),
      m_product(new Query(&dataModule.ADOConnection1, this)) {
    setObjectName("ProductEditorfrm");
    setWindowTitle(QStringLiteral("信息"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(ClientWidth, ClientHeight);
    buildControls();

    connect(AdvGlowButton1, &QPushButton::clicked, this,
            Guarded(this, &TProductEditorfrm::AdvGlowButton1Click));
    connect(AdvGlowButton2, &QPushButton::clicked, this,
            Guarded(this, &TProductEditorfrm::AdvGlowButton2Click));
}

// Two rows of two fields in the group and the minimum below them, each a label above its box;
// the buttons below the group.
void TProductEditorfrm::buildControls() {
    AdvPanel1 = named(new ShadedPanel(this), "AdvPanel1", QRect(0, 0, ClientWidth, ClientHeight));
    AdvGroupBox1 = named(new GroupBox(QStringLiteral("商品信息"), AdvPanel1), "AdvGroupBox1",
                         QRect(59, 32, 464, 233));

    lbl1 = label(AdvGroupBox1, "lbl1", QStringLiteral("商品编号"), 22, 40);
    cbxSerial = named(new QLineEdit(AdvGroupBox1), "cbxSerial", QRect(22, 58, 193, 21));
    lbl2 = label(AdvGroupBox1, "lbl2", QStringLiteral("商品名称"), 249, 40);
    cbxName = named(exactCombo(AdvGroupBox1), "cbxName", QRect(249, 58, 193, 21));
    lbl3 = label(AdvGroupBox1, "lbl3", QStringLiteral("商品型号"), 22, 96);
    cbxType = named(new QLineEdit(AdvGroupBox1), "cbxType", QRect(22, 114, 193, 21));
    lbl4 = label(AdvGroupBox1, "lbl4", QStringLiteral("计量单位"), 249, 96);
    cbxUnit = named(exactCombo(AdvGroupBox1), "cbxUnit", QRect(249, 114, 193, 21));
    lbl5 = label(AdvGroupBox1, "lbl5", QStringLiteral("库存下限"), 22, 152);
    nMinimum = named(new NumberBox(AdvGroupBox1), "nMinimum", QRect(22, 170, 193, 21));
    nMinimum->setDisplayFormat(QStringLiteral("#,##0.00"));

    AdvGlowButton1 = named(new GlowButton(QStringLiteral("确定"), AdvPanel1), "AdvGlowButton1",
                           QRect(159, 288, GlowButton::DefaultWidth, GlowButton::DefaultHeight));
    AdvGlowButton1->setDefault(true);
    AdvGlowButton2 = named(new GlowButton(QStringLiteral("取消"), AdvPanel1), "AdvGlowButton2",
                           QRect(319, 288, GlowButton::DefaultWidth, GlowButton::DefaultHeight));

    setTabOrder(cbxSerial, cbxName);
    setTabOrder(cbxName, cbxType);
    setTabOrder(cbxType, cbxUnit);
    setTabOrder(cbxUnit, nMinimum);
    setTabOrder(nMinimum, AdvGlowButton1);
    setTabOrder(AdvGlowButton1, AdvGlowButton2);
}

void TProductEditorfrm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    RunGuarded([this] { FormShow(); });
}

// Offers every name and unit in use and shows the product's current values.
void TProductEditorfrm::FormShow() {
    Query& lists = m_dataModule.ADOQueryNotAllowUse;
    FillDistinctCombo(lists, cbxName, QStringLiteral("Product"), QStringLiteral("ProductName"),
                      QString(), true, QString());
    FillDistinctCombo(lists, cbxUnit, QStringLiteral("Product"), QStringLiteral("ProductUnit"),
                      QString(), true, QString());
    OpenSQL(*m_product, ProductByIndexStatement(RecordIndex));
    const Query& product = *m_product;
    cbxSerial->setText(product.AsString(QStringLiteral("ProductSerial")));
    cbxName->setCurrentText(product.AsString(QStringLiteral("ProductName")));
    cbxType->setText(product.AsString(QStringLiteral("ProductType")));
    cbxUnit->setCurrentText(product.AsString(QStringLiteral("ProductUnit")));
    if (product.IsNullField(QStringLiteral("ProductMinimum")))
        nMinimum->clearValue();
    else
        nMinimum->setValue(product.AsFloat(QStringLiteral("ProductMinimum")));
    cbxSerial->setFocus(Qt::OtherFocusReason);
}

Query& TProductEditorfrm::scratch() {
    return m_dataModule.ADOQueryTemp1;
}

void TProductEditorfrm::openEditedProduct() {
    OpenSQL(scratch(), ProductByIndexStatement(RecordIndex));
}

// The code and the name are required; a changed code must be free and, when the name, model or
// unit changed, the filled boxes must not match any product. A refusal keeps the dialog open
// with every input as it was. The checks and the write are one write transaction, so that no
// other program stores the same code or product in between; and the product is written only
// while it is as the showing read it.
void TProductEditorfrm::AdvGlowButton1Click() {
    RequireText(cbxSerial, QStringLiteral("商品编号不允许空"));
    RequireText(cbxName, QStringLiteral("商品名称不允许空"));
    const std::optional<double> minimum = typedMinimum();
    try {
        saveInTransaction(minimum);
    } catch (const RowConflict& conflict) {
        if (conflict.kind() == RowConflict::Kind::Deleted) {
            ShowWarning(QStringLiteral("该商品已被其他用户删除，您的修改没有保存。"));
            accept();
            return;
        }
        if (AskYesNo(QStringLiteral("警告"),
                     QStringLiteral("该商品已被其他用户修改%1，您的修改没有保存。\n"
                                    "要重新载入该商品，显示其他用户保存的内容吗？")
                         .arg(conflict.changedText(fieldLabels())),
                     QMessageBox::Warning) == MessageAnswer::Yes)
            FormShow();
        return;
    }
    accept();
}

// The dialog's words for the product's columns.
QList<std::pair<QString, QString>> TProductEditorfrm::fieldLabels() const {
    return {{QStringLiteral("ProductSerial"), lbl1->text()},
            {QStringLiteral("ProductName"), lbl2->text()},
            {QStringLiteral("ProductType"), lbl3->text()},
            {QStringLiteral("ProductUnit"), lbl4->text()},
            {QStringLiteral("ProductMinimum"), lbl5->text()}};
}

std::optional<double> TProductEditorfrm::typedMinimum() {
    if (nMinimum->text().trimmed().isEmpty())
        return std::nullopt;
    if (!nMinimum->hasValue())
        RefuseInput(nMinimum, QStringLiteral("库存下限“%1”不是有效的数量").arg(nMinimum->text()));
    if (*nMinimum->value() < 0)
        RefuseInput(nMinimum, QStringLiteral("库存下限不能小于零"));
    return nMinimum->value();
}

void TProductEditorfrm::saveInTransaction(std::optional<double> minimum) {
    Transaction transaction(m_dataModule.ADOConnection1);
    checkCode();
    checkCombination();
    writeProduct(minimum);
    transaction.Commit();
}

void TProductEditorfrm::checkCode() {
    const QString code = cbxSerial->text();
    openEditedProduct();
    if (scratch().AsString(QStringLiteral("ProductSerial")) == code)
        return;
    OpenSQL(scratch(), ProductBySerialStatement(code));
    if (scratch().RecordCount() > 0)
        RefuseInput(cbxSerial, QStringLiteral("该商品编号已经被其它商品占用"));
}

// The product itself is part of the look-up, so emptying its model or unit while the other
// boxes stay as they are is refused as well.
void TProductEditorfrm::checkCombination() {
    const QString name = cbxName->currentText();
    const QString model = cbxType->text();
    const QString unit = cbxUnit->currentText();
    openEditedProduct();
    const Query& product = scratch();
    if (product.AsString(QStringLiteral("ProductName")) == name &&
        product.AsString(QStringLiteral("ProductType")) == model &&
        product.AsString(QStringLiteral("ProductUnit")) == unit)
        return;
    OpenSQL(scratch(), ProductListStatement(FilledFieldsFragment(name, model, unit)));
    if (scratch().RecordCount() > 0)
        RefuseInput(cbxName, QStringLiteral("该商品已经存在"));
}

void TProductEditorfrm::writeProduct(std::optional<double> minimum) {
    Query& product = *m_product;
    // Gone before the showing: not made again.
    if (product.IsEmpty())
        throw RowConflict(RowConflict::Kind::Deleted, {});
    product.Edit();
    product.SetField(QStringLiteral("ProductSerial"), cbxSerial->text());
    product.SetField(QStringLiteral("ProductName"), cbxName->currentText());
    product.SetField(QStringLiteral("ProductType"), cbxType->text());
    product.SetField(QStringLiteral("ProductUnit"), cbxUnit->currentText());
    product.SetField(QStringLiteral("ProductMinimum"), minimum ? QVariant(*minimum) : QVariant());
    product.Post();
}

void TProductEditorfrm::AdvGlowButton2Click() {
    reject();
}
