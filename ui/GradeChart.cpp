#include "GradeChart.h"

#include "Fonts.h"
#include "Operations.h"
#include "ResultsCsv.h"

#include <QPainter>
#include <QPainterPath>

namespace zm {

void WykresOcen::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.setFont(fonts::MsSansSerif(11));
    const QRect pole = rect().adjusted(34, 30, -14, -26);
    // The grade lines and their numbers.
    for (int ocena = 1; ocena <= 6; ++ocena) {
        const int y = pole.bottom() - (ocena - 1) * pole.height() / 5;
        p.setPen(QColor(218, 219, 222));
        p.drawLine(pole.left(), y, pole.right(), y);
        p.setPen(Qt::black);
        p.drawText(QRect(4, y - 8, 24, 16), Qt::AlignRight | Qt::AlignVCenter, QString::number(ocena));
    }
    // The legend.
    int x = pole.left();
    for (const FaktyDzialania& f : Dzialania()) {
        p.fillRect(QRect(x, 10, 12, 12), KolorDzialania(f.dzialanie));
        const QString nazwa = QString::fromUtf8(f.etykieta);
        p.setPen(Qt::black);
        p.drawText(QRect(x + 16, 6, 120, 20), Qt::AlignLeft | Qt::AlignVCenter, nazwa);
        x += 16 + p.fontMetrics().horizontalAdvance(nazwa) + 20;
    }
    if (!napis_.isEmpty()) {
        p.drawText(pole.adjusted(20, 0, -20, 0), Qt::AlignCenter | Qt::TextWordWrap, napis_);
        return;
    }
    p.drawText(QRect(pole.left(), pole.bottom() + 6, 200, 16), Qt::AlignLeft, DataCwiczenia(dane_.od));
    p.drawText(QRect(pole.right() - 200, pole.bottom() + 6, 200, 16), Qt::AlignRight, DataCwiczenia(dane_.doKonca));
    p.setRenderHint(QPainter::Antialiasing);
    for (std::size_t k = 0; k < dane_.linie.size(); ++k) {
        const QColor kolor = KolorDzialania(static_cast<std::uint8_t>(k));
        QPainterPath linia;
        bool pierwszy = true;
        for (const PunktWykresu& pt : dane_.linie[k]) {
            const QPointF punkt(pole.left() + pt.x * pole.width(), pole.bottom() - (pt.ocena - 1) * pole.height() / 5.0);
            if (pierwszy)
                linia.moveTo(punkt);
            else
                linia.lineTo(punkt);
            pierwszy = false;
            p.setPen(Qt::NoPen);
            p.setBrush(kolor);
            p.drawEllipse(punkt, 3, 3);
        }
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(kolor, 2));
        p.drawPath(linia);
    }
}

} // namespace zm
