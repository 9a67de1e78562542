#pragma once

#include <QDialog>
#include <QList>
#include <QTime>
#include <optional>

class DatePicker;
class DropDownComboBox;
class FixedLabel;
class FocusNotifier;
class GlowButton;
class GroupBox;
class NumberBox;
class Query;
class QLineEdit;
class RowConflict;
class TShareDM;

// The stock entry dialog: adds, changes or deletes one stock movement (one Store row). The
// product is found by its code or by its name, model and unit; a product that the catalogue
// does not hold yet is created when the movement is saved. Made once and shown again, modally,
// for every movement.
class TStoreEditorfrm : public QDialog {
    Q_OBJECT
public:
    // The dialog reads and writes through the data module's connection and scratch queries.
    explicit TStoreEditorfrm(TShareDM& dataModule, QWidget* parent = nullptr);

    // Set by the caller before showing. EditFlag false: add a movement of kind KindFlag (0 stock
    // in, 1 stock out). EditFlag true: change or delete the movement RecordIndex; the showing
    // then takes the kind from the stored movement.
    bool EditFlag = false;
    int KindFlag = 0;
    int RecordIndex = 0;

    GroupBox* productGroup;
    FixedLabel* serialLabel;
    DropDownComboBox* cbxSerial;
    FixedLabel* nameLabel;
    DropDownComboBox* cbxName;
    FixedLabel* typeLabel;
    DropDownComboBox* cbxType;
    FixedLabel* unitLabel;
    DropDownComboBox* cbxUnit;
    FixedLabel* priceLabel;
    NumberBox* nPrice;
    FixedLabel* numberLabel;
    NumberBox* nNumber;
    FixedLabel* sumLabel;
    NumberBox* nSum;
    FixedLabel* dateLabel;
    DatePicker* dtInDate;
    FixedLabel* remarkLabel;
    DropDownComboBox* edtRemark;
    GlowButton* AdvGlowButton4; // 添加下一条
    GlowButton* AdvGlowButton3; // 删除
    GlowButton* AdvGlowButton1; // 确定
    GlowButton* AdvGlowButton2; // 取消

    // Every showing, and again after each save through "添加下一条".
    void FormShow();
    // Leaving the code box: a known code fixes the product.
    void cbxSerialExit();
    // Leaving the name, model or unit box: matching products give their code; exactly one
    // fixes the product.
    void cbxNameExit();
    void cbxNameDropDown();
    void cbxTypeDropDown();
    void cbxUnitDropDown();
    // A change of price or quantity: the amount follows as their product.
    void nPriceChange();
    void AdvGlowButton1Click();
    void AdvGlowButton2Click();
    void AdvGlowButton3Click();
    void AdvGlowButton4Click();

    static constexpr int ClientWidth = 690;
    static constexpr int ClientHeight = 294;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void buildControls();
    void connectHandlers();
    FocusNotifier* onLeave(QWidget* control, void (TStoreEditorfrm::*handler)());
    void onEnter(QLineEdit* edit, QWidget* next);

    QList<QWidget*> productBoxes() const;
    QString productMatchFragment() const;
    void fixProduct(const Query& product);
    void openProduct();
    void moveFocus(QWidget* control);
    bool leftByTabOrEnter() const;
    void showStoredMovement();
    void fillNameListForCompletion();

    // Saves the movement in one transaction; a refused input writes nothing. An edited movement
    // is written only while it is still as the showing read it: when another user changed it,
    // see offerReload; when another user deleted it, the operator is asked whether to save the
    // inputs as a new movement (on "否" nothing is written and the dialog closes).
    void SaveStoreRecord();
    void saveInTransaction();
    std::optional<qint64> productKey();
    qint64 appendProduct();
    void writeMovement(qint64 product);
    // Another user changed the movement shown for editing: the message names what, and the
    // dialog shows the movement anew when the operator wants. Ends the handler.
    [[noreturn]] void offerReload(const RowConflict& conflict, const QString& notDone);
    QList<std::pair<QString, QString>> fieldLabels() const;

    QTime m_recordTime; // time of day of the movement shown; midnight for a new one
    TShareDM& m_dataModule;
    // The movement shown for editing, as read: a save or a deletion compares with it.
    Query* m_movement;
    bool m_saveAsNew = false; // the edited movement is gone and the inputs become a new one
    bool m_focusByProgram = false;
    // How the operator left the box whose look-up runs.
    Qt::FocusReason m_leftBy = Qt::OtherFocusReason;
    bool m_nameListFilled = false;
};
