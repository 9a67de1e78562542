#pragma once

#include <QDialog>
#include <optional>

class DropDownComboBox;
class FixedLabel;
class GlowButton;
class GroupBox;
class NumberBox;
class QLineEdit;
class Query;
class ShadedPanel;
class TShareDM;

// The product editor: changes the code, name, model, unit and minimum quantity on hand (empty for
// none) of one product of the catalogue.
// The caller sets RecordIndex and shows the dialog modally; it closes with Accepted when the
// product row was written, or was found deleted by another user (so that the list is listed
// again). Movements refer to products by key, so a change shows in every movement of the
// product.
class TProductEditorfrm : public QDialog {
    Q_OBJECT
public:
    // The dialog reads and writes through the data module's connection and scratch queries.
    explicit TProductEditorfrm(TShareDM& dataModule, QWidget* parent = nullptr);

    // ProductIndex of the product to change.
    qint32 RecordIndex = 0;

    void FormShow();
    void AdvGlowButton1Click(); // "确定": save under the catalogue's rules
    void AdvGlowButton2Click(); // "取消"

    ShadedPanel* AdvPanel1 = nullptr;
    GroupBox* AdvGroupBox1 = nullptr;
    FixedLabel* lbl1 = nullptr;
    QLineEdit* cbxSerial = nullptr;
    FixedLabel* lbl2 = nullptr;
    DropDownComboBox* cbxName = nullptr;
    FixedLabel* lbl3 = nullptr;
    QLineEdit* cbxType = nullptr;
    FixedLabel* lbl4 = nullptr;
    DropDownComboBox* cbxUnit = nullptr;
    FixedLabel* lbl5 = nullptr;
    NumberBox* nMinimum = nullptr; // 库存下限
    GlowButton* AdvGlowButton1 = nullptr;
    GlowButton* AdvGlowButton2 = nullptr;

    static constexpr int ClientWidth = 583;
    static constexpr int ClientHeight = 341;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    // The data module's ADOQueryTemp1, where the checks look products up.
    Query& scratch();
    void saveInTransaction(std::optional<double> minimum);
    void openEditedProduct();
    void checkCode();
    void checkCombination();
    // The minimum typed: none when the box is empty; a text that is no quantity, or a negative
    // one, is refused naming the field.
    std::optional<double> typedMinimum();
    void writeProduct(std::optional<double> minimum);
    QList<std::pair<QString, QString>> fieldLabels() const;

    TShareDM& m_dataModule;
    // The product as the showing read it: the save writes it only while it is still so.
    Query* m_product;
};
