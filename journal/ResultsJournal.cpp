#include "ResultsJournal.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <deque>
#include <future>
#include <set>

namespace zm {

// Lives on the journal's thread: owns the connection and the drills that
// wait to be written.
class PracownikDziennika : public QObject {
    Q_OBJECT
public:
    PracownikDziennika(QString plik) : plik_(std::move(plik)) {}

    void Otworz()
    {
        if (baza_ && baza_->Otwarcie()) return;
        baza_.reset();
        const QFileInfo info(plik_);
        if (!QDir().mkpath(info.absolutePath())) {
            zglos(BladBazy::Folder, QStringLiteral("mkpath failed"));
            return;
        }
        baza_ = std::make_unique<BazaWynikow>(plik_, BazaWynikow::Tryb::Zapis, nazwaPolaczenia());
        if (baza_->Otwarcie().blad == BladBazy::Uszkodzona) {
            if (!odloz(baza_->Otwarcie().opis)) return;
            baza_ = std::make_unique<BazaWynikow>(plik_, BazaWynikow::Tryb::Zapis, nazwaPolaczenia());
        }
        if (!baza_->Otwarcie()) {
            zglos(baza_->Otwarcie().blad, baza_->Otwarcie().opis);
            baza_.reset();
        }
    }

    // Writes the waiting drills in order; a failure keeps them for later.
    bool Zapisuj()
    {
        if (czekajace_.empty()) return true;
        Otworz();
        bool odlozony = false;
        while (baza_ && !czekajace_.empty()) {
            const WynikBazy w = baza_->Zapisz(czekajace_.front());
            // Damage found while writing: the file is set aside once, and
            // the drill goes to a fresh one.
            if (w.blad == BladBazy::Uszkodzona && !odlozony) {
                odlozony = true;
                if (odloz(w.opis)) Otworz();
                continue;
            }
            if (!w) {
                zglos(w.blad, w.opis);
                // A lock passes; try again soon. Other problems are tried
                // again with the next drill and at the end.
                if (w.blad == BladBazy::Zablokowana) ponow_.start(3000);
                break;
            }
            czekajace_.pop_front();
            emit zapisano();
        }
        return czekajace_.empty();
    }

    void Dodaj(ZapisCwiczenia zapis, std::shared_ptr<std::promise<void>> gotowe)
    {
        czekajace_.push_back(std::move(zapis));
        Zapisuj();
        gotowe->set_value();
    }

    void Przygotuj()
    {
        ponow_.setSingleShot(true);
        connect(&ponow_, &QTimer::timeout, this, [this] { Zapisuj(); });
        Otworz();
    }

    void Zamknij(std::shared_ptr<std::promise<bool>> gotowe)
    {
        gotowe->set_value(Zapisuj());
    }

    void Koniec()
    {
        ponow_.stop();
        baza_.reset();
    }

signals:
    void problem(const QString& tekst, BladBazy blad, const QString& opis);
    void zapisano();

private:
    // Closes the damaged file and renames it beside itself (never deleted).
    // `opis` is a copy: the connection it may come from is closed here.
    bool odloz(QString opis)
    {
        baza_.reset();
        const auto nowaNazwa = BazaWynikow::OdlozUszkodzony(plik_);
        if (!nowaNazwa) {
            zglos(BladBazy::TylkoOdczyt, opis);
            return false;
        }
        emit problem(DziennikWynikow::Opis(BladBazy::Uszkodzona, plik_, *nowaNazwa), BladBazy::Uszkodzona, opis);
        return true;
    }
    void zglos(BladBazy blad, const QString& opis) { emit problem(DziennikWynikow::Opis(blad, plik_), blad, opis); }
    QString nazwaPolaczenia() const { return QStringLiteral("dziennik-%1").arg(reinterpret_cast<quintptr>(this)); }

    QString plik_;
    std::unique_ptr<BazaWynikow> baza_;
    std::deque<ZapisCwiczenia> czekajace_;
    QTimer ponow_{this};
};

QString DziennikWynikow::DomyslnyPlik()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/wyniki.sqlite");
}

QString DziennikWynikow::Opis(BladBazy blad, const QString& plik, const QString& odlozony)
{
    const QString folder = QDir::toNativeSeparators(QFileInfo(plik).absolutePath());
    const QString nazwa = QDir::toNativeSeparators(plik);
    QString dlaczego;
    switch (blad) {
    case BladBazy::Brak: return {};
    case BladBazy::Uszkodzona:
        return QStringLiteral("Plik z wynikami był uszkodzony. Odłożono go jako %1, a nowe wyniki "
                              "zapisują się w nowym pliku.")
            .arg(QDir::toNativeSeparators(odlozony));
    case BladBazy::Folder: dlaczego = QStringLiteral("nie można utworzyć folderu %1").arg(folder); break;
    case BladBazy::TylkoOdczyt: dlaczego = QStringLiteral("nie można pisać w %1").arg(nazwa); break;
    case BladBazy::Zablokowana: dlaczego = QStringLiteral("plik %1 jest zajęty przez inny program").arg(nazwa); break;
    case BladBazy::Pelny: dlaczego = QStringLiteral("na dysku brakuje miejsca"); break;
    case BladBazy::Nowsza: dlaczego = QStringLiteral("plik %1 pochodzi z nowszej wersji programu").arg(nazwa); break;
    case BladBazy::Inny: dlaczego = QStringLiteral("błąd pliku %1").arg(nazwa); break;
    }
    return QStringLiteral("Wyników nie można zapisać: %1. Ćwiczenia działają dalej; "
                          "program spróbuje zapisać je później.")
        .arg(dlaczego);
}

DziennikWynikow::DziennikWynikow(const QString& plik, QObject* rodzic, std::chrono::milliseconds czekanieNaZapis)
    : QObject(rodzic), plik_(plik), czekanie_(czekanieNaZapis), watek_(new QThread),
      pracownik_(new PracownikDziennika(plik))
{
    watek_->setObjectName(QStringLiteral("Dziennik wyników"));
    pracownik_->moveToThread(watek_);
    connect(watek_, &QThread::finished, pracownik_, &QObject::deleteLater);
    // Each kind of problem is told once; the log gets every one.
    auto zgloszone = std::make_shared<std::set<BladBazy>>();
    connect(pracownik_, &PracownikDziennika::problem, this,
            [this, zgloszone](const QString& tekst, BladBazy blad, const QString& opis) {
                std::fprintf(stderr, "Zoltava mnożenia: %s (%s)\n", qUtf8Printable(tekst), qUtf8Printable(opis));
                if (zgloszone->insert(blad).second) emit Problem(tekst);
            });
    connect(pracownik_, &PracownikDziennika::zapisano, this, &DziennikWynikow::Zapisano);
    watek_->start();
    QMetaObject::invokeMethod(pracownik_, [p = pracownik_] { p->Przygotuj(); }, Qt::QueuedConnection);
}

DziennikWynikow::~DziennikWynikow()
{
    // What waits gets one more try; a database that does not answer in time
    // is left behind with its thread, as the program ends anyway.
    if (!ostatniaProba(std::chrono::milliseconds(3000))) {
        disconnect(pracownik_, nullptr, this, nullptr);
        return;
    }
    QMetaObject::invokeMethod(pracownik_, [p = pracownik_] { p->Koniec(); }, Qt::BlockingQueuedConnection);
    watek_->quit();
    watek_->wait();
    delete watek_;
}

void DziennikWynikow::Zapisz(const ZapisCwiczenia& zapis)
{
    auto gotowe = std::make_shared<std::promise<void>>();
    auto koniec = gotowe->get_future();
    QMetaObject::invokeMethod(
        pracownik_, [p = pracownik_, zapis, gotowe] { p->Dodaj(zapis, gotowe); }, Qt::QueuedConnection);
    koniec.wait_for(czekanie_);
}

std::optional<bool> DziennikWynikow::ostatniaProba(std::chrono::milliseconds limit)
{
    auto gotowe = std::make_shared<std::promise<bool>>();
    auto wynik = gotowe->get_future();
    QMetaObject::invokeMethod(pracownik_, [p = pracownik_, gotowe] { p->Zamknij(gotowe); }, Qt::QueuedConnection);
    if (wynik.wait_for(limit) != std::future_status::ready) return std::nullopt;
    return wynik.get();
}

bool DziennikWynikow::Dokoncz(std::chrono::milliseconds limit) { return ostatniaProba(limit).value_or(false); }

} // namespace zm

#include "ResultsJournal.moc"
