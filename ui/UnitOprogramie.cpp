#include "UnitOprogramie.h"

#include "DialogSupport.h"
#include "Fonts.h"
#include "ZmConfig.h"

#include <QDesktopServices>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QUrl>

namespace zm {

namespace {

QLabel* etykieta(QWidget* rodzic, const char* nazwa, QRect geometria, const QString& tekst, const QFont& font,
                 const QColor& kolor, Qt::Alignment wyrownanie = Qt::AlignLeft | Qt::AlignTop)
{
    auto* l = new QLabel(tekst, rodzic);
    l->setObjectName(QString::fromLatin1(nazwa));
    l->setGeometry(geometria);
    l->setFont(font);
    l->setAlignment(wyrownanie);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, kolor);
    l->setPalette(p);
    return l;
}

} // namespace

TFrmOprogramie::TFrmOprogramie(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmOprogramie"));
    PrzygotujDialog(*this, QStringLiteral("O programie"), QSize(266, 221));

    Label1 = etykieta(this, "Label1", {27, 24, 206, 16}, QString::fromUtf8("Quorvin - Zoltava mnożenia"),
                      fonts::MsSansSerif(13, true), Qt::red);
    LabelWersja = etykieta(this, "LabelWersja", {101, 48, 59, 13}, QString(), fonts::MsSansSerif(11), Qt::black,
                           Qt::AlignHCenter | Qt::AlignTop);
    Label4 = etykieta(this, "Label4", {72, 88, 117, 13}, QString::fromUtf8("Autor: Zespół Quorvin"),
                      fonts::MsSansSerif(11), Qt::black);
    Label2 = etykieta(this, "Label2", {67, 104, 131, 13}, QStringLiteral("Lektor: eSpeak NG"), fonts::MsSansSerif(11),
                      Qt::black);
    QFont podkreslona = fonts::MsSansSerif(11);
    podkreslona.setUnderline(true);
    Label6 = etykieta(this, "Label6", {84, 136, 92, 13}, QString::fromUtf8(config::kAdresWww), podkreslona, Qt::black);
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
    WysrodkujNaEkranie(*this);
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
