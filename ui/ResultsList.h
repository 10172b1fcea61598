// The results window's list of drills, newest first, read a page at a time
// as it is scrolled.
#pragma once

#include "DrillState.h"
#include "Fonts.h"
#include "ResultsCsv.h"
#include "ResultsFigures.h"
#include "ResultsStore.h"

#include <QAbstractTableModel>

#include <array>
#include <functional>
#include <vector>

namespace zm {

class ModelCwiczen : public QAbstractTableModel {
public:
    ModelCwiczen(QObject* rodzic, std::function<void()> dociagnij, std::function<QString(std::int64_t)> imie)
        : QAbstractTableModel(rodzic), dociagnij_(std::move(dociagnij)), imie_(std::move(imie))
    {
    }

    void Wyczysc()
    {
        beginResetModel();
        wiersze_.clear();
        wiersze_.shrink_to_fit();
        klucz_ = {};
        wszystkie_ = false;
        pobiera_ = true;
        endResetModel();
    }
    void Dopisz(std::vector<WierszCwiczenia> wiersze, KluczListy klucz, bool ostatnia)
    {
        pobiera_ = false;
        wszystkie_ = ostatnia;
        klucz_ = klucz;
        if (wiersze.empty()) return;
        beginInsertRows({}, int(wiersze_.size()), int(wiersze_.size() + wiersze.size()) - 1);
        wiersze_.insert(wiersze_.end(), wiersze.begin(), wiersze.end());
        endInsertRows();
    }
    void Zatrzymaj()
    {
        pobiera_ = false;
        wszystkie_ = true;
    }
    const KluczListy& Klucz() const { return klucz_; }
    bool Pusty() const { return wiersze_.empty(); }

    int rowCount(const QModelIndex& p) const override { return p.isValid() ? 0 : int(wiersze_.size()); }
    static constexpr int kKolumn = 8;
    int columnCount(const QModelIndex& p) const override { return p.isValid() ? 0 : kKolumn; }
    bool canFetchMore(const QModelIndex& p) const override { return !p.isValid() && !wszystkie_ && !pobiera_; }
    void fetchMore(const QModelIndex& p) override
    {
        if (!canFetchMore(p)) return;
        pobiera_ = true;
        dociagnij_();
    }
    QVariant headerData(int sekcja, Qt::Orientation o, int rola) const override
    {
        static const std::array<const char*, kKolumn> naglowki{"Data",        "Działanie", "Pytania", "Tempo",
                                                               "Dobre / złe", "Ocena",     "Losowanie", "Dziecko"};
        if (o != Qt::Horizontal || rola != Qt::DisplayRole || sekcja < 0 || sekcja >= kKolumn) return {};
        return QString::fromUtf8(naglowki[static_cast<std::size_t>(sekcja)]);
    }
    QVariant data(const QModelIndex& i, int rola) const override
    {
        if (!i.isValid() || i.row() >= int(wiersze_.size())) return {};
        const WierszCwiczenia& c = wiersze_[static_cast<std::size_t>(i.row())];
        if (rola == Qt::TextAlignmentRole)
            return QVariant::fromValue(i.column() >= 2 && i.column() != 3 ? Qt::AlignCenter
                                                                         : Qt::AlignLeft | Qt::AlignVCenter);
        if (rola == Qt::ForegroundRole && i.column() == 5) return KolorOceny(c.ocena);
        if (rola == Qt::FontRole && i.column() == 5) return fonts::MsSansSerif(11, true);
        if (rola != Qt::DisplayRole) return {};
        switch (i.column()) {
        case 0: return DataCwiczenia(c.koniecMs);
        case 1: return NazwaDzialania(c.dzialanie);
        case 2: return c.iloscPytan;
        case 3: return NazwaTempa(c.predkosc);
        case 4: return QStringLiteral("%1 / %2").arg(c.dobrze).arg(c.zle);
        case 5: return int(c.ocena);
        // A practice drill's grade is about the facts it chose: marked.
        case 6: return c.losowanie ? QStringLiteral("trudne") : QStringLiteral("losowe");
        default: return imie_(c.dziecko);
        }
    }

private:
    std::function<void()> dociagnij_;
    std::function<QString(std::int64_t)> imie_;
    std::vector<WierszCwiczenia> wiersze_;
    KluczListy klucz_;
    bool wszystkie_ = false;
    bool pobiera_ = true;
};

} // namespace zm
