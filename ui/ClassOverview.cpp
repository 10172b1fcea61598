#include "ClassOverview.h"

#include "DialogSupport.h"

#include "ResultsCsv.h"

#include <QDateTime>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

#include <cmath>

namespace zm {

namespace {

QString Ocena(const std::optional<double>& o) { return o ? QLocale(QLocale::Polish).toString(*o, 'f', 1) : QStringLiteral("–"); }

QString Trend(const std::optional<double>& t)
{
    if (!t) return QStringLiteral("–");
    const QString liczba = QLocale(QLocale::Polish).toString(std::abs(*t), 'f', 1);
    if (*t >= 0.05) return QStringLiteral("↑ +%1").arg(liczba);
    if (*t <= -0.05) return QStringLiteral("↓ −%1").arg(liczba);
    return QStringLiteral("→ 0");
}

} // namespace

TabelaKlasy::TabelaKlasy(QWidget* rodzic) : QTableWidget(rodzic)
{
    setObjectName(QStringLiteral("TabelaKlasy"));
    setAccessibleName(QStringLiteral("Dzieci klasy"));
    setColumnCount(7);
    setHorizontalHeaderLabels({QStringLiteral("Dziecko"), QStringLiteral("W tym tygodniu"), QStringLiteral("Wszystkie"),
                               QStringLiteral("Średnia ocena"), QStringLiteral("Zmiana"), QStringLiteral("Najczęściej myli"),
                               QStringLiteral("Ostatnio")});
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    verticalHeader()->hide();
    horizontalHeader()->setStretchLastSection(true);
    connect(this, &QTableWidget::cellActivated, this, [this](int wiersz, int) {
        if (wybrano && wiersz >= 0 && wiersz < int(dzieci_.size())) wybrano(dzieci_[std::size_t(wiersz)]);
    });
}

void TabelaKlasy::Ustaw(const std::vector<DzieckoKlasy>& dzieci)
{
    dzieci_ = dzieci;
    setRowCount(int(dzieci.size()));
    for (int i = 0; i < int(dzieci.size()); ++i) {
        const DzieckoKlasy& d = dzieci[std::size_t(i)];
        const QString kiedy =
            d.cwiczen == 0 ? QStringLiteral("jeszcze nie ćwiczyło")
                           : QStringLiteral("%1, %2")
                                 .arg(DataCwiczenia(d.ostatnieMs), d.ostatnieStanowisko);
        const QStringList komorki = {d.uwaga.isEmpty() ? d.imie : QStringLiteral("%1 (%2)").arg(d.imie, d.uwaga),
                                     QString::number(d.wTygodniu), QString::number(d.cwiczen), Ocena(d.sredniaOcen),
                                     Trend(d.trend), d.najslabsze.join(QStringLiteral(", ")), kiedy};
        for (int k = 0; k < komorki.size(); ++k) setItem(i, k, new QTableWidgetItem(komorki[k]));
    }
    resizeColumnsToContents();
}

StronaKlasy::StronaKlasy(QWidget* rodzic)
    : QWidget(rodzic), uwaga_(EtykietaUwagi(this, "LabelUwagaKlasy")), tabela_(new TabelaKlasy(this)),
      mylone_(new QListWidget(this))
{
    setObjectName(QStringLiteral("StronaKlasy"));
    auto* uklad = new QVBoxLayout(this);
    uklad->setContentsMargins(0, 0, 0, 0);
    uklad->setSpacing(2);
    uklad->addWidget(uwaga_);
    uklad->addWidget(tabela_, 3);
    auto* naglowek = new QLabel(QStringLiteral("Najczęściej mylone (kto myli):"), this);
    naglowek->setBuddy(mylone_);
    uklad->addWidget(naglowek);
    mylone_->setObjectName(QStringLiteral("ListaMylonych"));
    mylone_->setAccessibleName(QStringLiteral("Najczęściej mylone działania klasy"));
    mylone_->setWordWrap(true);
    uklad->addWidget(mylone_, 2);
}

void StronaKlasy::Uwaga(const QString& tekst)
{
    uwaga_->setText(tekst);
    uwaga_->setAccessibleName(tekst);
    uwaga_->setVisible(!tekst.isEmpty());
}

void StronaKlasy::UstawMylone(int dzieciWKlasie, std::vector<FaktKlasy> fakty)
{
    std::erase_if(fakty, [](const FaktKlasy& f) { return f.myla.isEmpty(); });
    // Missed by the most children first; then by the most wrong answers.
    std::stable_sort(fakty.begin(), fakty.end(), [](const FaktKlasy& x, const FaktKlasy& y) {
        return std::pair(x.myla.size(), x.bledy) > std::pair(y.myla.size(), y.bledy);
    });
    mylone_->clear();
    static const std::array<const char*, 4> kZnaki{"×", ":", "+", "−"};
    for (const FaktKlasy& f : fakty) {
        const QString znak = QString::fromUtf8(kZnaki[f.dzialanie % kZnaki.size()]);
        const QString tekst =
            OpisFaktuKlasy(QStringLiteral("%1 %2 %3").arg(f.liczba1).arg(znak).arg(f.liczba2), dzieciWKlasie, f);
        auto* pozycja = new QListWidgetItem(tekst, mylone_);
        pozycja->setData(Qt::AccessibleTextRole, tekst);
    }
    if (fakty.empty()) mylone_->addItem(QStringLiteral("Nikt w klasie nie myli żadnego działania."));
}

QString OpisFaktuKlasy(const QString& dzialanie, int dzieciWKlasie, const FaktKlasy& fakt)
{
    if (fakt.myla.isEmpty()) return QStringLiteral("%1 — nikt nie myli").arg(dzialanie);
    return QStringLiteral("%1 — myli %2 z %3 dzieci: %4")
        .arg(dzialanie)
        .arg(fakt.myla.size())
        .arg(dzieciWKlasie)
        .arg(fakt.myla.join(QStringLiteral(", ")));
}

std::int64_t PoczatekTygodniaMs(const QDateTime& teraz)
{
    const QDate dzien = teraz.toLocalTime().date();
    return QDateTime(dzien.addDays(1 - dzien.dayOfWeek()), QTime(0, 0)).toMSecsSinceEpoch();
}

} // namespace zm
