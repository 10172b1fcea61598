// The results window's table of the facts of one operation and its legend.
#pragma once

#include "Practice.h"
#include "ResultsFigures.h"

#include <QWidget>

#include <optional>
#include <vector>

namespace zm {

// The facts of one operation (see RozmiarTabeli): each cell coloured by
// how hard the fact is, with its share of mistakes, its average time (when
// there is room) and how many times it was asked; addition that carries and
// subtraction that borrows marked in the cell's corner; for one child's whole
// record, the facts due again and those mastered marked too.
class TabelaFaktow : public QWidget {
public:
    explicit TabelaFaktow(QWidget* rodzic) : QWidget(rodzic) { setObjectName(QStringLiteral("TabelaFaktow")); }
    void Ustaw(std::uint8_t dzialanie, const std::vector<KomorkaFaktu>& komorki, std::int64_t terazMs)
    {
        dzialanie_ = dzialanie;
        terazMs_ = terazMs;
        napis_.clear();
        const int n = RozmiarTabeli(dzialanie);
        siatka_.assign(static_cast<std::size_t>(n * n), std::nullopt);
        for (int w = 0; w < n; ++w)
            for (int k = 0; k < n; ++k) {
                const Fakt f = FaktKomorki(dzialanie, w, k);
                for (const KomorkaFaktu& c : komorki)
                    if (KomorkaWidoczna(c) && c.a == f.a && c.b == f.b) siatka_[static_cast<std::size_t>(w * n + k)] = c;
            }
        setAccessibleDescription(Opis());
        update();
    }
    void Napisz(std::uint8_t dzialanie, const QString& napis)
    {
        dzialanie_ = dzialanie;
        siatka_.clear();
        napis_ = napis;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    static StanFaktu stan(const KomorkaFaktu& k)
    {
        return {static_cast<std::int32_t>(std::clamp<std::int64_t>(k.ile, 0, INT32_MAX)),
                static_cast<std::int32_t>(std::clamp<std::int64_t>(k.bledy, 0, INT32_MAX)), 0, k.ostatnioMs, k.pudelko};
    }
    // What a screen reader says of the table: every fact asked.
    QString Opis() const
    {
        QStringList czesci;
        const int n = RozmiarTabeli(dzialanie_);
        for (int w = 0; w < n; ++w)
            for (int k = 0; k < n; ++k)
                if (const auto& c = siatka_[static_cast<std::size_t>(w * n + k)])
                    czesci << QStringLiteral("%1: %2 źle, %3").arg(NazwaKomorki(dzialanie_, w, k), TekstBledow(*c),
                                                                  TekstIlosci(*c));
        return czesci.join(QStringLiteral("; "));
    }

    std::uint8_t dzialanie_ = DzialanieMnozenie;
    std::int64_t terazMs_ = 0;
    std::vector<std::optional<KomorkaFaktu>> siatka_;
    QString napis_ = TekstCzekania();
};

// What the fact table's colours and marks mean, each beside its sign.
class LegendaFaktow : public QWidget {
public:
    explicit LegendaFaktow(QWidget* rodzic) : QWidget(rodzic) { setObjectName(QStringLiteral("LegendaFaktow")); }

protected:
    void paintEvent(QPaintEvent*) override;
};

} // namespace zm
