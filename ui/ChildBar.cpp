#include "ChildBar.h"

#include "Accessibility.h"
#include "ChildPicker.h"
#include "Children.h"
#include "ClassOutbox.h"
#include "ClassRosterPicker.h"
#include "ClassSender.h"
#include "DialogSupport.h"
#include "ResultsJournal.h"
#include "ResultsReader.h"
#include "ResultsWindow.h"
#include "Widgets.h"

#include <QApplication>
#include <QFontMetrics>
#include <QTimer>

namespace zm {

// Owned by the window, and gone with it.
ProfilDziecka::ProfilDziecka(Okno okno, DziennikWynikow* dziennik)
    : QObject(okno.okno), okno_(std::move(okno)), dziennik_(dziennik)
{
    dzieci_ = std::make_unique<ListaDzieci>([this](const ZmianaDziecka& z) {
        if (dziennik_) dziennik_->ZmienDziecko(z);
    });
    if (dziennik_) {
        zapisywacz_ = std::make_unique<ZapisywaczCwiczen>(*dziennik_);
        okno_.kontroler.DodajSluchacza(zapisywacz_.get());
        connect(dziennik_, &DziennikWynikow::Problem, this, &ProfilDziecka::problem);
        connect(dziennik_, &DziennikWynikow::Zapisano, this, &ProfilDziecka::czytajRekord);
    }
    okno_.kontroler.DodajSluchacza(this);
    pokazaneDziecko_ = dzieci_->Biezace(); // with the drill's defaults, as the window starts
    connect(dzieci_.get(), &ListaDzieci::Zmieniono, this, &ProfilDziecka::zmienionoDziecko);
    connect(okno_.przycisk, &QAbstractButton::clicked, this, &ProfilDziecka::WybierzDziecko);
    zmienionoDziecko();
}

ProfilDziecka::~ProfilDziecka() = default;

IDzieci& ProfilDziecka::DzieciDoZmiany() { return *dzieci_; }

template <class W>
void ProfilDziecka::czytaj(std::function<W(BazaWynikow*, WynikBazy&)> praca,
                           std::function<void(W, const WynikBazy&)> odpowiedz)
{
    if (!dziennik_) return;
    auto* czytnik = new CzytnikWynikow(dziennik_->Plik(), this);
    czytnik->Czytaj<W>(std::move(praca), [czytnik, odpowiedz = std::move(odpowiedz)](const WynikBazy& w, W wynik) {
        odpowiedz(std::move(wynik), w);
        czytnik->deleteLater();
    });
}

void ProfilDziecka::Wczytaj()
{
    struct Start {
        std::vector<WierszDziecka> dzieci;
        WczytanieKlasy klasa;
    };
    czytaj<Start>(
        [](BazaWynikow* baza, WynikBazy& w) {
            Start s;
            if (baza) w = baza->Dzieci(s.dzieci);
            s.klasa = WczytajKonfiguracjeKlasy();
            return s;
        },
        [this](Start s, const WynikBazy& w) {
            // Another program's lock passes: read again; a file that
            // cannot be read leaves this run with the first child, and the
            // user is told why.
            if (!w && w.blad == BladBazy::Zablokowana && ++probyWczytania_ < 5) {
                QTimer::singleShot(1000, this, &ProfilDziecka::Wczytaj);
                return;
            }
            if (!w)
                problem(QStringLiteral("Nie udało się odczytać listy dzieci, bo %1. Ćwiczenia zostaną zapisane jako "
                                       "ćwiczenia pierwszego dziecka.")
                            .arg(DziennikWynikow::Przyczyna(w.blad, dziennik_->Plik())));
            wlaczKlase(s.klasa);
            std::vector<WierszDziecka>& dzieci = s.dzieci;
            dzieci_->Wczytaj(dzieci);
            pobierzRekord();
            // The first child's own settings too, when they were changed.
            if (!trwa_) zastosujUstawienia();
            czytajRekord();
            // Several children: who practises is asked at start.
            // So is a child of a class's workstation: their name on the roster.
            if (dzieci_->Lista().size() > 1 || !listaKlasy().empty())
                QTimer::singleShot(0, this, &ProfilDziecka::WybierzDziecko);
        });
}

void ProfilDziecka::wlaczKlase(const WczytanieKlasy& klasa)
{
    // A configuration that cannot be read is the teacher's to mend: said in
    // the results window and marked quietly on the bar, never to a child.
    if (klasa.stan == WczytanieKlasy::Stan::Blad) {
        bladKonfiguracji_ = powodKlasy_ = klasa.blad;
        klasaOsiagalna_ = false;
        zmienionoDziecko();
    }
    if (klasa.stan != WczytanieKlasy::Stan::Wlaczona || !dziennik_) return;
    klasa_ = klasa.konfiguracja;
    // A teacher's computer without the workstations' file only reads the
    // class: nothing is sent (the teacher's page says so).
    if (!klasa_->wysyla) return;
    nadawca_ = std::make_unique<NadawcaKlasy>(*klasa_, std::make_shared<SkrzynkaDziennika>(dziennik_->Plik()));
    // The server's trouble is the teacher's: the child sees a quiet mark
    // on the bar (its reason in the tooltip), never a message box.
    connect(nadawca_.get(), &NadawcaKlasy::Niedostepna, this, [this](const QString& tekst) {
        powodKlasy_ = tekst;
        if (!klasaOsiagalna_) zmienionoDziecko();
    });
    connect(nadawca_.get(), &NadawcaKlasy::Polaczono, this, [this](bool tak) {
        klasaOsiagalna_ = tak;
        zmienionoDziecko();
    });
    connect(dziennik_, &DziennikWynikow::Zapisano, nadawca_.get(), &NadawcaKlasy::Obudz);
    // The record merged with the server's: the practice takes it from now.
    connect(nadawca_.get(), &NadawcaKlasy::RekordScalony, this, &ProfilDziecka::czytajRekord);
}

void ProfilDziecka::pobierzRekord()
{
    // The child who practises, when bound to the class's roster: its
    // record on the server (fetched and merged on the sender's thread; the
    // local record serves meanwhile, and while the server is away).
    if (!nadawca_) return;
    const auto powiazania = PowiazaniaZListaKlasy(dziennik_->Plik());
    if (const auto i = powiazania.find(dzieci_->Biezace()); i != powiazania.end()) nadawca_->PobierzRekord(i->second);
}

void ProfilDziecka::ZakonczKlase()
{
    if (nadawca_) nadawca_->Zatrzymaj();
}

void ProfilDziecka::WybierzDziecko()
{
    // Between drills only, and not over another dialog.
    if (trwa_ || okno_.kontroler.trwa() || DialogNadOknem(*okno_.okno)) return;
    // On a workstation of a class a child picks their name from the
    // class's roster (as last fetched: also while the server is away).
    if (std::vector<DzieckoListy> lista = listaKlasy(); !lista.empty()) {
        TFrmListaKlasy okno(std::move(lista), okno_.okno);
        okno.exec();
        if (const auto wybrane = okno.Wybrane()) {
            const QString blad = WybierzZListyKlasy(*dzieci_, dziennik_->Plik(), *wybrane);
            if (!blad.isEmpty()) okno_.komunikat(IKomunikaty::Rodzaj::Uwaga, QStringLiteral("Kto ćwiczy?"), blad);
            else if (nadawca_) nadawca_->PobierzRekord(wybrane->id);
        }
        return;
    }
    if (!wybor_) {
        TFrmDzieci::IleCwiczen ile;
        if (dziennik_)
            ile = [this](std::int64_t dziecko, std::function<void(std::int64_t)> odpowiedz) {
                czytaj<std::int64_t>(
                    [dziecko](BazaWynikow* baza, WynikBazy& w) {
                        std::int64_t n = 0;
                        if (baza) w = baza->KazdeCwiczenie([&n](std::int64_t, const WierszCwiczenia&) { return ++n, true; }, dziecko);
                        return n;
                    },
                    // Unknown is not none: the question about results stays.
                    [odpowiedz](std::int64_t n, const WynikBazy& w) { odpowiedz(w ? n : -1); });
            };
        wybor_ = new TFrmDzieci(*dzieci_, okno_.okno, std::move(ile));
    }
    wybor_->Wybierz();
}

std::vector<DzieckoListy> ProfilDziecka::listaKlasy() const
{
    if (!klasa_ || !klasa_->wysyla || !dziennik_) return {};
    return ListaKlasyZapisana(dziennik_->Plik());
}

void ProfilDziecka::ZapiszUstawienia(const Ustawienia& ustawienia) { dzieci_->ZapiszUstawienia(ustawienia); }

void ProfilDziecka::zmienionoDziecko()
{
    const std::int64_t id = dzieci_->Biezace();
    const QString imie = dzieci_->Imie(id);
    TFlatSpeedButton* b = okno_.przycisk;
    // A quiet mark while the class's server is not reached: the drills
    // wait on this computer, and the reason is in the tooltip.
    const QString znak = klasaOsiagalna_ ? QString() : QStringLiteral(" •");
    const QFontMetrics fm(b->font());
    b->setText(fm.elidedText(QStringLiteral("Ćwiczy: %1").arg(imie), Qt::ElideRight,
                             b->width() - 8 - fm.horizontalAdvance(znak)) +
               znak);
    QString podpowiedz = QStringLiteral("Kto ćwiczy: %1. Kliknij, aby wybrać albo dodać dziecko.").arg(imie);
    if (!klasaOsiagalna_)
        podpowiedz += QStringLiteral("\n• %1").arg(powodKlasy_.isEmpty()
                                                      ? QStringLiteral("Wyniki czekają na tym komputerze na serwer klasy.")
                                                      : powodKlasy_);
    b->setToolTip(podpowiedz);
    b->setAccessibleName(QStringLiteral("Kto ćwiczy: %1").arg(imie));
    b->setAccessibleDescription(klasaOsiagalna_ ? QString() : QStringLiteral("Wyniki czekają na serwer klasy."));
    if (zapisywacz_) zapisywacz_->UstawDziecko(id);
    if (id == pokazaneDziecko_) return;
    pokazaneDziecko_ = id;
    // A child's own settings, between drills.
    if (trwa_)
        ustawieniaCzekaja_ = true;
    else
        zastosujUstawienia();
    if (okno_.oglaszacz) okno_.oglaszacz->Oglos(QStringLiteral("Ćwiczy: %1.").arg(imie));
    // Never the previous child's record, until this one's comes.
    okno_.kontroler.UstawRekord(nullptr);
    czytajRekord();
}

void ProfilDziecka::zastosujUstawienia()
{
    ustawieniaCzekaja_ = false;
    if (okno_.kontroler.ustawienia() == dzieci_->UstawieniaBiezacego()) return;
    okno_.kontroler.ZmienUstawienia(dzieci_->UstawieniaBiezacego());
    if (okno_.odswiez) okno_.odswiez();
}

void ProfilDziecka::czytajRekord()
{
    const std::int64_t dziecko = dzieci_->Biezace();
    czytaj<RekordFaktow>(
        [dziecko](BazaWynikow* baza, WynikBazy& w) {
            RekordFaktow r;
            if (baza) w = baza->Rekord(dziecko, r);
            return r;
        },
        [this, dziecko](RekordFaktow r, const WynikBazy&) {
            if (dziecko == dzieci_->Biezace())
                okno_.kontroler.UstawRekord(std::make_shared<const RekordFaktow>(std::move(r)));
        });
}

void ProfilDziecka::Rozpoczete(const Ustawienia&)
{
    trwa_ = true;
    poCwiczeniu_ = false;
    okno_.przycisk->setEnabled(false);
}

void ProfilDziecka::Zakonczone(const PodsumowanieCwiczenia&) { poCwiczeniu(); }
void ProfilDziecka::Zatrzymane() { poCwiczeniu(); }

void ProfilDziecka::poCwiczeniu()
{
    trwa_ = false;
    poCwiczeniu_ = true;
    okno_.przycisk->setEnabled(true);
    // The grade stays on show: only the drill's settings change.
    if (ustawieniaCzekaja_) {
        ustawieniaCzekaja_ = false;
        okno_.kontroler.ZmienUstawienia(dzieci_->UstawieniaBiezacego());
    }
    if (!problemy_.isEmpty()) QTimer::singleShot(0, this, &ProfilDziecka::pokazProblemy);
}

void ProfilDziecka::PokazWyniki()
{
    // The class's page: with the teacher's credentials (or a teacher's file
    // that is there but wrong), or a configuration that cannot be read;
    // what is wrong is said in the page, wrapped, with its file and line.
    const KonfiguracjaKlasy bezKlasy;
    const KonfiguracjaKlasy* klasa = nullptr;
    QStringList uwagi;
    if (klasa_ && (klasa_->nauczyciel || !klasa_->bladNauczyciela.isEmpty())) {
        klasa = &*klasa_;
        uwagi << klasa_->bladNauczyciela;
        if (!klasa_->wysyla)
            uwagi << QStringLiteral("Ten komputer nie wysyła ćwiczeń na serwer klasy (w pliku %1 nie ma klucza „dostep”): "
                                    "ćwiczenia zrobione na nim zostają tylko tutaj.")
                         .arg(klasa_->plik);
    } else if (!bladKonfiguracji_.isEmpty()) {
        klasa = &bezKlasy;
    }
    if (klasa && !klasaOsiagalna_) uwagi << powodKlasy_;
    uwagi.removeAll(QString());
    TFrmWyniki wyniki(okno_.okno, dziennik_ ? dziennik_->Plik() : DziennikWynikow::DomyslnyPlik(), okno_.komunikaty,
                      dziennik_, dzieci_.get(), klasa, uwagi.join(QLatin1Char('\n')));
    wyniki.exec();
}

void ProfilDziecka::problem(const QString& tekst)
{
    // Told when a drill has ended, when results would be saved; never
    // during a drill, and not at start-up, before the child has begun.
    problemy_.append(tekst);
    if (poCwiczeniu_) QTimer::singleShot(0, this, &ProfilDziecka::pokazProblemy);
}

void ProfilDziecka::pokazProblemy()
{
    if (trwa_ || okno_.kontroler.Czyta()) return;
    while (!problemy_.isEmpty())
        okno_.komunikat(IKomunikaty::Rodzaj::Uwaga, QStringLiteral("Zapis wyników"), problemy_.takeFirst());
}

} // namespace zm
