#include "app/SysLoginUnit.h"

#include "data/ShareDMUnit.h"
#include "widgets/BlueScheme.h"
#include "widgets/ControlOps.h"
#include "widgets/FixedLabel.h"
#include "widgets/GlowButton.h"
#include "widgets/Guard.h"
#include "widgets/MessageBoxes.h"
#include "widgets/ShadedPanel.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

QString CurrentUserName;

namespace {

const QString EmptyPasswordNotice =
    QStringLiteral("当前用户密码为空，请用管理员身份登录进行设置。");

// The decoration at the left: a key on a light disc.
QPixmap keyPicture() {
    QPixmap picture(64, 64);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 170));
    p.drawEllipse(2, 2, 60, 60);
    p.setBrush(QColor(214, 160, 30));
    p.setPen(QPen(QColor(140, 95, 10), 2));
    p.drawEllipse(10, 14, 24, 24);
    QPainterPath shaft;
    shaft.addRect(30, 23, 24, 6);
    shaft.addRect(44, 29, 4, 8);
    shaft.addRect(50, 29, 4, 6);
    p.drawPath(shaft.simplified());
    p.setBrush(QColor(255, 255, 255, 200));
    p.setPen(Qt::NoPen);
    p.drawEllipse(16, 20, 9, 9);
    return picture;
}

} // namespace

TSysLoginfrm::TSysLoginfrm(TShareDM& dataModule, QWidget* parent)
    : QDialog(parent), m_dataModule(dataModule) {
    setObjectName("SysLoginfrm");
    setWindowTitle(QStringLiteral("系统登录"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(ClientWidth, ClientHeight);
    buildControls();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    connect(cbxName, &QComboBox::currentIndexChanged, this,
            Guarded(this, &TSysLoginfrm::cbxNameChange));
    connect(AdvGlowButton1, &QPushButton::clicked, this,
            Guarded(this, &TSysLoginfrm::AdvGlowButton1Click));
    connect(AdvGlowButton2, &QPushButton::clicked, this,
            Guarded(this, &TSysLoginfrm::AdvGlowButton2Click));
}

void TSysLoginfrm::buildControls() {
    AdvPanel1 = new ShadedPanel(this);
    AdvPanel1->setObjectName("AdvPanel1");
    AdvPanel1->setGeometry(0, 0, ClientWidth, ClientHeight);

    Shape1 = new QLabel(AdvPanel1);
    Shape1->setObjectName("Shape1");
    Shape1->setGeometry(40, 44, 81, 81);
    Shape1->setStyleSheet("border: 2px solid #6593cf; border-radius: 12px;"
                          "background: rgba(255,255,255,60);");
    img1 = new QLabel(AdvPanel1);
    img1->setObjectName("img1");
    img1->setGeometry(48, 52, 64, 64);
    img1->setPixmap(keyPicture());

    lbl2 = new FixedLabel(QStringLiteral("用户名称："), AdvPanel1, QRect(150, 46, 90, 17),
                          Qt::AlignRight | Qt::AlignVCenter);
    lbl2->setObjectName("lbl2");
    cbxName = new QComboBox(AdvPanel1);
    cbxName->setObjectName("cbxName");
    cbxName->setEditable(false);
    cbxName->setGeometry(246, 44, 193, 22);

    lbl1 = new FixedLabel(QStringLiteral("用户密码："), AdvPanel1, QRect(150, 102, 90, 17),
                          Qt::AlignRight | Qt::AlignVCenter);
    lbl1->setObjectName("lbl1");
    cbxSerial = new QLineEdit(AdvPanel1);
    cbxSerial->setObjectName("cbxSerial");
    cbxSerial->setEchoMode(QLineEdit::Password);
    // Every typed character shows as "*", not as the platform style's dot.
    cbxSerial->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    cbxSerial->setGeometry(246, 100, 193, 22);

    AdvGlowButton1 = new GlowButton(QStringLiteral("确定"), AdvPanel1);
    AdvGlowButton1->setObjectName("AdvGlowButton1");
    AdvGlowButton1->move(174, 146);
    AdvGlowButton1->setDefault(true);
    AdvGlowButton2 = new GlowButton(QStringLiteral("取消"), AdvPanel1);
    AdvGlowButton2->setObjectName("AdvGlowButton2");
    AdvGlowButton2->move(334, 146);

    lbl3 = new FixedLabel(QString(), AdvPanel1, QRect(16, 198, 425, 17));
    lbl3->setObjectName("lbl3");
    lbl3->setStyleSheet("color: red;");

    // The password box comes first in the tab order and has the focus on opening.
    setTabOrder(cbxSerial, cbxName);
    setTabOrder(cbxName, AdvGlowButton1);
    setTabOrder(AdvGlowButton1, AdvGlowButton2);
}

void TSysLoginfrm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    RunGuarded([this] { FormShow(); });
}

void TSysLoginfrm::FormShow() {
    cbxSerial->clear();
    cbxSerial->setFocus();
    {
        // Filling the list is one change; the hint follows once below.
        const QSignalBlocker blocker(cbxName);
        FillDistinctCombo(m_dataModule.ADOQueryNotAllowUse, cbxName, "Power", "PowerName",
                          QString(), true, QString());
    }
    UpdatePasswordHint();
}

void TSysLoginfrm::cbxNameChange() {
    UpdatePasswordHint();
}

QString TSysLoginfrm::storedPassword() {
    Query& query = m_dataModule.ADOQueryTemp1;
    OpenSQL(query, UserStatement(cbxName->currentText()));
    return query.AsString("PowerKey");
}

void TSysLoginfrm::UpdatePasswordHint() {
    lbl3->setText(storedPassword().isEmpty() ? EmptyPasswordNotice : QString());
}

void TSysLoginfrm::AdvGlowButton1Click() {
    if (storedPassword() != cbxSerial->text()) {
        ShowWarning(QStringLiteral("密码不正确,请重新输入"));
        cbxSerial->setFocus();
        cbxSerial->selectAll();
        return;
    }
    CurrentUserName = cbxName->currentText();
    accept();
}

void TSysLoginfrm::AdvGlowButton2Click() {
    reject();
}
