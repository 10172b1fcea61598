#include "Children.h"

#include <QCollator>
#include <QDateTime>
#include <QLocale>
#include <QRandomGenerator>

#include <algorithm>

namespace zm {

QString ImieDomyslne(std::int64_t id) { return QStringLiteral("Dziecko %1").arg(id); }
QString ImiePierwszegoDziecka() { return ImieDomyslne(kPierwszeDziecko); }

QString UporzadkujImie(const QString& imie)
{
    // Control characters become blanks, then blanks are folded.
    QString i = imie;
    for (QChar& c : i)
        if (!c.isPrint() && !c.isSpace()) c = QLatin1Char(' ');
    return i.simplified();
}

QString BladImienia(const QString& imie, const QList<Dziecko>& dzieci, std::int64_t pomin)
{
    const QString i = UporzadkujImie(imie);
    if (i.isEmpty()) return QStringLiteral("Wpisz imię dziecka.");
    if (i.size() > kMaksDlugoscImienia)
        return QStringLiteral("Imię może mieć najwyżej %1 znaków.").arg(kMaksDlugoscImienia);
    for (const Dziecko& d : dzieci)
        if (d.id != pomin && d.imie.compare(i, Qt::CaseInsensitive) == 0)
            return QStringLiteral("Dziecko o imieniu „%1” już jest.").arg(d.imie);
    return {};
}

ListaDzieci::ListaDzieci(std::function<void(const ZmianaDziecka&)> wyslij, QObject* rodzic)
    : QObject(rodzic), wyslij_(std::move(wyslij))
{
    dzieci_[kPierwszeDziecko] = {ImiePierwszegoDziecka(), Ustawienia{}};
    imiona_[kPierwszeDziecko] = ImiePierwszegoDziecka();
}

void ListaDzieci::Wczytaj(const std::vector<WierszDziecka>& wiersze)
{
    wczytana_ = true;
    std::map<std::int64_t, Wpis> dzieci;
    std::int64_t wybrane = 0, wybraneMs = -1;
    for (const WierszDziecka& w : wiersze) {
        if (w.id <= 0) continue;
        imiona_[w.id] = w.imie;
        if (w.usuniete) continue;
        dzieci[w.id] = {w.imie, w.ustawienia};
        if (w.wybraneMs > wybraneMs) {
            wybraneMs = w.wybraneMs;
            wybrane = w.id;
        }
    }
    if (dzieci.empty()) return;
    dzieci_ = std::move(dzieci);
    biezace_ = wybrane;
    emit Zmieniono();
}

QList<Dziecko> ListaDzieci::Lista() const
{
    QList<Dziecko> lista;
    for (const auto& [id, w] : dzieci_) lista.append({id, w.imie});
    QCollator polski{QLocale(QLocale::Polish, QLocale::Poland)};
    polski.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(lista.begin(), lista.end(),
                     [&](const Dziecko& a, const Dziecko& b) { return polski.compare(a.imie, b.imie) < 0; });
    return lista;
}

void ListaDzieci::Wybierz(std::int64_t id)
{
    if (!dzieci_.contains(id)) return;
    ZmianaDziecka z;
    z.rodzaj = ZmianaDziecka::Rodzaj::Wybrane;
    z.id = id;
    z.kiedyMs = QDateTime::currentMSecsSinceEpoch();
    wyslij_(z);
    if (id == biezace_) return;
    biezace_ = id;
    emit Zmieniono();
}

QString ListaDzieci::Dodaj(const QString& imie, std::int64_t& id)
{
    if (QString blad = BladImienia(imie, Lista()); !blad.isEmpty()) return blad;
    // An id no other copy of the program will choose.
    do id = static_cast<std::int64_t>(QRandomGenerator::global()->generate64() >> 12);
    while (id <= kPierwszeDziecko || imiona_.contains(id));
    const QString i = UporzadkujImie(imie);
    dzieci_[id] = {i, Ustawienia{}};
    imiona_[id] = i;
    ZmianaDziecka z;
    z.rodzaj = ZmianaDziecka::Rodzaj::Imie;
    z.id = id;
    z.imie = i;
    wyslij_(z);
    emit Zmieniono();
    return {};
}

QString ListaDzieci::ZmienImie(std::int64_t id, const QString& imie)
{
    const auto it = dzieci_.find(id);
    if (it == dzieci_.end()) return {};
    if (QString blad = BladImienia(imie, Lista(), id); !blad.isEmpty()) return blad;
    it->second.imie = imiona_[id] = UporzadkujImie(imie);
    ZmianaDziecka z;
    z.rodzaj = ZmianaDziecka::Rodzaj::Imie;
    z.id = id;
    z.imie = it->second.imie;
    wyslij_(z);
    emit Zmieniono();
    return {};
}

void ListaDzieci::Usun(std::int64_t id, bool zachowajWyniki)
{
    if (!dzieci_.contains(id) || dzieci_.size() < 2) return;
    dzieci_.erase(id);
    if (!zachowajWyniki) imiona_.erase(id);
    ZmianaDziecka z;
    z.rodzaj = zachowajWyniki ? ZmianaDziecka::Rodzaj::Usun : ZmianaDziecka::Rodzaj::UsunZWynikami;
    z.id = id;
    wyslij_(z);
    if (biezace_ == id) {
        biezace_ = 0;
        Wybierz(Lista().front().id);
        return;
    }
    emit Zmieniono();
}

QString ListaDzieci::Imie(std::int64_t id) const
{
    const auto it = imiona_.find(id);
    return it == imiona_.end() ? QString() : it->second;
}

Ustawienia ListaDzieci::UstawieniaBiezacego() const
{
    const auto it = dzieci_.find(biezace_);
    return it == dzieci_.end() ? Ustawienia{} : it->second.ustawienia;
}

void ListaDzieci::ZapiszUstawienia(const Ustawienia& ustawienia)
{
    const auto it = dzieci_.find(biezace_);
    if (it == dzieci_.end() || it->second.ustawienia == ustawienia) return;
    it->second.ustawienia = ustawienia;
    ZmianaDziecka z;
    z.rodzaj = ZmianaDziecka::Rodzaj::Ustawienia;
    z.id = biezace_;
    z.ustawienia = ustawienia;
    wyslij_(z);
}

} // namespace zm
