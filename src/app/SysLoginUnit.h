#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class GlowButton;
class ShadedPanel;
class TShareDM;

// The user name the log-in accepted; empty until then.
extern QString CurrentUserName;

// The log-in dialog: admits a user of the Power table whose password matches exactly. It looks
// the users up through the data module it is given.
class TSysLoginfrm : public QDialog {
    Q_OBJECT
public:
    explicit TSysLoginfrm(TShareDM& dataModule, QWidget* parent = nullptr);

    ShadedPanel* AdvPanel1;
    QLabel* lbl2;
    QComboBox* cbxName;
    QLabel* lbl1;
    QLineEdit* cbxSerial;
    GlowButton* AdvGlowButton1;
    GlowButton* AdvGlowButton2;
    QLabel* lbl3;
    QLabel* Shape1;
    QLabel* img1;

    void FormShow();
    void cbxNameChange();
    void AdvGlowButton1Click();
    void AdvGlowButton2Click();
    void UpdatePasswordHint();

    static constexpr int ClientWidth = 478;
    static constexpr int ClientHeight = 223;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    QString storedPassword();

    TShareDM& m_dataModule;
};
