#include "FactTable.h"

#include "DrillState.h"
#include "Fonts.h"
#include "Operations.h"

#include <QPainter>

#include <algorithm>
#include <array>

namespace zm {

void TabelaFaktow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    const int n = RozmiarTabeli(dzialanie_);
    const int naglowek = 34;
    const int bok = std::min((width() - naglowek) / n, (height() - naglowek) / n);
    p.setFont(fonts::MsSansSerif(11));
    for (int i = 0; i < n; ++i) {
        p.drawText(QRect(naglowek + i * bok, 0, bok, naglowek), Qt::AlignCenter, NaglowekKolumny(dzialanie_, i));
        p.drawText(QRect(0, naglowek + i * bok, naglowek, bok), Qt::AlignCenter, NaglowekWiersza(dzialanie_, i));
    }
    if (!napis_.isEmpty()) {
        p.drawText(QRect(naglowek, naglowek, n * bok, n * bok), Qt::AlignCenter | Qt::TextWordWrap, napis_);
        return;
    }
    const int linia = 13;
    for (int w = 0; w < n; ++w) {
        for (int k = 0; k < n; ++k) {
            const QRect kratka(naglowek + k * bok, naglowek + w * bok, bok - 2, bok - 2);
            const auto& komorka = siatka_[static_cast<std::size_t>(w * n + k)];
            p.fillRect(kratka, komorka ? KolorTrudnosci(Trudnosc(*komorka)) : KolorBrakuFaktu());
            if (ZPrzeniesieniem(FaktKomorki(dzialanie_, w, k))) {
                // A small dark corner: the digits carry or borrow.
                const QPolygon rog{kratka.topRight() - QPoint(7, 0), kratka.topRight(), kratka.topRight() + QPoint(0, 7)};
                p.setPen(Qt::NoPen);
                p.setBrush(QColor(60, 60, 60));
                p.drawPolygon(rog);
            }
            // A division names itself: its quotient is the row.
            const bool dzielenie = dzialanie_ == DzialanieDzielenie;
            if (!komorka && !dzielenie) continue;
            QStringList linie;
            if (dzielenie) linie << NazwaKomorki(dzialanie_, w, k);
            if (komorka) {
                linie << TekstBledow(*komorka) << TekstIlosci(*komorka);
                if (!dzielenie && kratka.height() >= 3 * linia) linie.insert(1, TekstCzasu(*komorka));
            }
            p.setPen(Qt::black);
            const int gora = kratka.top() + (kratka.height() - linie.size() * linia) / 2;
            for (int i = 0; i < linie.size(); ++i)
                p.drawText(QRect(kratka.left(), gora + i * linia, kratka.width(), linia), Qt::AlignCenter, linie[i]);
            if (!komorka || komorka->pudelko == 0) continue;
            // The practice's view of a child's fact: mastered, or due again.
            if (Opanowany(stan(*komorka))) {
                p.setPen(QPen(QColor(0, 90, 30), 2));
                p.drawPolyline(QPolygon{kratka.bottomLeft() + QPoint(2, -5), kratka.bottomLeft() + QPoint(4, -2),
                                        kratka.bottomLeft() + QPoint(8, -8)});
            } else if (Zalegly(stan(*komorka), terazMs_)) {
                p.setPen(Qt::NoPen);
                p.setBrush(QColor(20, 60, 200));
                p.drawEllipse(QRect(kratka.left() + 2, kratka.bottom() - 7, 6, 6));
            }
        }
    }
}

void LegendaFaktow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setFont(fonts::MsSansSerif(11));
    p.drawText(QRect(0, 0, width(), 32), Qt::AlignLeft | Qt::AlignTop,
               QStringLiteral("W kratce: ile odpowiedzi było złych,\nśredni czas i ile razy było pytanie."));
    const std::array<std::pair<QColor, const char*>, 4> wiersze{{
        {KolorTrudnosci(0), "Zielony: zawsze dobrze i szybko."},
        {KolorTrudnosci(0.5), "Żółty: co czwarta źle albo wolno."},
        {KolorTrudnosci(1), "Czerwony: co druga źle albo bardzo wolno."},
        {KolorBrakuFaktu(), "Szary: jeszcze nie było."},
    }};
    int y = 44;
    for (const auto& [kolor, tekst] : wiersze) {
        p.fillRect(QRect(0, y, 14, 14), kolor);
        p.drawText(QRect(20, y - 1, width() - 20, 16), Qt::AlignLeft | Qt::AlignVCenter, QString::fromUtf8(tekst));
        y += 22;
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 60, 60));
    p.drawPolygon(QPolygon{QPoint(7, y), QPoint(14, y), QPoint(14, y + 7)});
    p.setBrush(QColor(20, 60, 200));
    p.drawEllipse(QRect(4, y + 22 + 4, 6, 6));
    p.setPen(QPen(QColor(0, 90, 30), 2));
    p.drawPolyline(QPolygon{QPoint(2, y + 44 + 9), QPoint(4, y + 44 + 12), QPoint(8, y + 44 + 6)});
    p.setPen(Qt::black);
    const char* znaki[] = {"Róg: z przeniesieniem albo pożyczką.", "Kropka: do powtórki (ćwiczenie trudnych).",
                           "Ptaszek: opanowane."};
    for (const char* tekst : znaki) {
        p.drawText(QRect(20, y - 1, width() - 20, 16), Qt::AlignLeft | Qt::AlignVCenter, QString::fromUtf8(tekst));
        y += 22;
    }
}

} // namespace zm
