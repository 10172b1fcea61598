#include "UnitOprogramie.h"

#include "DialogSupport.h"
#include "Fonts.h"
#include "Widgets.h"
#include "ZmConfig.h"

#include <QDesktopServices>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QUrl>

namespace zm {


TFrmOprogramie::TFrmOprogramie(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmOprogramie"));
    PrzygotujDialog(*this, QStringLiteral("O programie"), QSize(266, 221));

    // Labels lie where the design puts them, their text from the left; only
    // the version text is centred.
    const Qt::Alignment lewo = Qt::AlignLeft | Qt::AlignTop;
    const QFont maly = fonts::MsSansSerif(11);
    Label1 = NowaEtykieta(this, "Label1", {27, 24, 206, 16}, QString::fromUtf8("Quorvin - Zoltava mnożenia"),
                          fonts::MsSansSerif(13, true), Qt::red, lewo);
    LabelWersja = NowaEtykieta(this, "LabelWersja", {101, 48, 59, 13}, QString(), maly, Qt::black);
    Label4 = NowaEtykieta(this, "Label4", {72, 88, 117, 13}, QString::fromUtf8("Autor: Zespół Quorvin"), maly,
                          Qt::black, lewo);
    Label2 = NowaEtykieta(this, "Label2", {67, 104, 131, 13}, QStringLiteral("Lektor: eSpeak NG"), maly, Qt::black,
                          lewo);
    QFont podkreslona = maly;
    podkreslona.setUnderline(true);
    // The link is as wide as its address, centred where the design puts it.
    const QString adres = QString::fromUtf8(config::kAdresWww);
    const int szerokosc = std::max(92, QFontMetrics(podkreslona).horizontalAdvance(adres) + 2);
    Label6 = NowaEtykieta(this, "Label6", {84 + 46 - szerokosc / 2, 136, szerokosc, 13}, adres, podkreslona,
                          Qt::black, lewo);
    Label6->setCursor(Qt::PointingHandCursor);
    Label6->installEventFilter(this);

    FlatButton1 = new QPushButton(QStringLiteral("OK"), this);
    FlatButton1->setObjectName(QStringLiteral("FlatButton1"));
    FlatButton1->setGeometry(88, 168, 75, 25);
    connect(FlatButton1, &QPushButton::clicked, this, &TFrmOprogramie::ButCloseClick);
    FlatButton1->setFocus();
    FormCreate();
}

void TFrmOprogramie::FormCreate() { LabelWersja->setText(QStringLiteral("wersja: 4.0")); }

void TFrmOprogramie::showEvent(QShowEvent* e)
{
    WysrodkujNadRodzicem(*this);
    FlatButton1->setFocus();
    QDialog::showEvent(e);
}

void TFrmOprogramie::keyPressEvent(QKeyEvent* e)
{
    // FormKeyDown: Esc closes, whatever the modifiers.
    if (e->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QDialog::keyPressEvent(e);
}

void TFrmOprogramie::changeEvent(QEvent* e)
{
    QDialog::changeEvent(e);
    MinimalizujZRodzicem(*this, e);
}

bool TFrmOprogramie::eventFilter(QObject* obiekt, QEvent* e)
{
    if (obiekt == Label6 && e->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton) {
        Label6Click();
        return true;
    }
    return QDialog::eventFilter(obiekt, e);
}

void TFrmOprogramie::Label6Click() { QDesktopServices::openUrl(QUrl(QString::fromUtf8(config::kUrlWww))); }

void TFrmOprogramie::ButCloseClick() { close(); }

} // namespace zm
