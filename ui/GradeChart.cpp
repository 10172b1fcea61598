#include "GradeChart.h"

#include "Fonts.h"
#include "Operations.h"
#include "ResultsFigures.h"

#include <QListWidget>
#include <QPainter>
#include <QPainterPath>

namespace zm {

namespace {

constexpr int kPunktNaEtykiete = 46; // pixels an axis label needs

void Romb(QPainter& p, QPointF srodek, double r)
{
    p.drawPolygon(QPolygonF{srodek + QPointF(0, -r), srodek + QPointF(r, 0), srodek + QPointF(0, r), srodek + QPointF(-r, 0)});
}

QString SlowoOkresu(Okres o)
{
    switch (o) {
    case Okres::Tydzien: return QStringLiteral("tygodnia");
    case Okres::Miesiac: return QStringLiteral("miesiąca");
    default: return QStringLiteral("dnia");
    }
}

} // namespace

WykresOcen::WykresOcen(QWidget* rodzic) : QWidget(rodzic), napis_(TekstCzekania())
{
    setObjectName(QStringLiteral("WykresOcen"));
    setFocusPolicy(Qt::StrongFocus);
    opis_ = new QListWidget;
    opis_->setObjectName(QStringLiteral("OpisWykresu"));
    opis_->setAccessibleName(QStringLiteral("Oceny w czasie, słowami"));
    opis_->setWordWrap(true);
}

void WykresOcen::Ustaw(DaneWykresu dane)
{
    dane_ = std::move(dane);
    napis_ = dane_.Puste() ? TekstBrakuCwiczen() : QString();
    const QString opis = dane_.Puste() ? napis_ : OpisWykresu(dane_);
    setAccessibleDescription(opis);
    opis_->clear();
    opis_->addItems(opis.split(QLatin1Char('\n')));
    update();
}

void WykresOcen::Napisz(const QString& napis)
{
    dane_ = {};
    napis_ = napis;
    setAccessibleDescription(napis);
    opis_->clear();
    opis_->addItem(napis);
    update();
}

void WykresOcen::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.setFont(fonts::MsSansSerif(11));
    const QRect pole = rect().adjusted(34, 48, -16, -34);
    // The grade lines and their numbers.
    for (int ocena = 1; ocena <= 6; ++ocena) {
        const int y = pole.bottom() - (ocena - 1) * pole.height() / 5;
        p.setPen(QColor(218, 219, 222));
        p.drawLine(pole.left(), y, pole.right(), y);
        p.setPen(Qt::black);
        p.drawText(QRect(4, y - 8, 24, 16), Qt::AlignRight | Qt::AlignVCenter, QString::number(ocena));
    }
    // The legend: the operations, then the marks.
    int x = pole.left();
    for (const FaktyDzialania& f : Dzialania()) {
        p.fillRect(QRect(x, 8, 12, 12), KolorDzialania(f.dzialanie));
        const QString nazwa = QString::fromUtf8(f.etykieta);
        p.setPen(Qt::black);
        p.drawText(QRect(x + 16, 4, 120, 20), Qt::AlignLeft | Qt::AlignVCenter, nazwa);
        x += 16 + p.fontMetrics().horizontalAdvance(nazwa) + 20;
    }
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawEllipse(QPointF(pole.left() + 5, 32), 3.5, 3.5);
    p.setPen(QPen(Qt::black, 1.5));
    p.setBrush(Qt::white);
    Romb(p, QPointF(pole.left() + 85, 32), 4.5);
    p.setPen(Qt::black);
    p.drawText(QRect(pole.left() + 12, 24, 70, 16), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("losowe"));
    p.drawText(QRect(pole.left() + 93, 24, 130, 16), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("trudne dla dziecka"));
    if (!napis_.isEmpty()) {
        p.drawText(pole.adjusted(20, 0, -20, 0), Qt::AlignCenter | Qt::TextWordWrap, napis_);
        return;
    }
    p.drawText(QRect(pole.left() + 210, 24, pole.right() - pole.left() - 210, 16), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("punkt: średnia ocena %1, nad nim: ile ćwiczeń").arg(SlowoOkresu(dane_.okres)));
    // The date axis: a tick at every period, a label at regular steps.
    auto xDnia = [&](std::int64_t dzien) { return pole.left() + PolozenieDnia(dane_, dzien) * pole.width(); };
    p.setRenderHint(QPainter::Antialiasing, false);
    for (const ZnacznikOsi& z : ZnacznikiOsi(dane_, std::max(2, pole.width() / kPunktNaEtykiete))) {
        const int xz = int(xDnia(z.dzien));
        p.setPen(Qt::black);
        p.drawLine(xz, pole.bottom(), xz, pole.bottom() + (z.napis.isEmpty() ? 3 : 6));
        if (z.napis.isEmpty()) continue;
        p.setPen(QColor(236, 236, 238));
        p.drawLine(xz, pole.top(), xz, pole.bottom() - 1);
        p.setPen(Qt::black);
        p.drawText(QRect(xz - 2, pole.bottom() + 8, kPunktNaEtykiete + 20, 16), Qt::AlignLeft | Qt::AlignTop, z.napis);
    }
    p.drawLine(pole.left(), pole.bottom(), pole.right(), pole.bottom());
    p.setRenderHint(QPainter::Antialiasing);
    // Each operation's line, random and practice apart.
    QFont maly = fonts::MsSansSerif(9);
    for (std::uint8_t dz = 0; dz < 4; ++dz)
        for (bool trudne : {false, true}) {
            const QColor kolor = KolorDzialania(dz);
            QPainterPath linia;
            std::vector<std::pair<QPointF, int>> punkty;
            for (const PunktWykresu& pt : dane_.punkty) {
                if (pt.dzialanie != dz || pt.trudne != trudne) continue;
                const double xs = (xDnia(pt.dzien) + xDnia(NastepnyOkres(dane_.okres, pt.dzien))) / 2;
                const QPointF punkt(xs, pole.bottom() - (pt.ocena - 1) * pole.height() / 5.0);
                if (punkty.empty())
                    linia.moveTo(punkt);
                else
                    linia.lineTo(punkt);
                punkty.push_back({punkt, pt.ile});
            }
            if (punkty.empty()) continue;
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(kolor, trudne ? 1.5 : 2, trudne ? Qt::DashLine : Qt::SolidLine));
            p.drawPath(linia);
            for (const auto& [punkt, ile] : punkty) {
                if (trudne) {
                    p.setPen(QPen(kolor, 1.5));
                    p.setBrush(Qt::white);
                    Romb(p, punkt, 4.5);
                } else {
                    p.setPen(Qt::NoPen);
                    p.setBrush(kolor);
                    p.drawEllipse(punkt, 3.5, 3.5);
                }
                p.setPen(kolor.darker(130));
                p.setFont(maly);
                p.drawText(QRectF(punkt.x() - 15, punkt.y() - 19, 30, 12), Qt::AlignCenter, QString::number(ile));
            }
        }
}

} // namespace zm
