// The results window: the journal's drills newest first, a chart of grades
// over time for each operation, and a table of the facts coloured by how
// often each was missed and how slowly it was answered — of one child or of
// all; "Eksportuj CSV" writes the list for a spreadsheet, "Pytania CSV"
// every question. Everything is read off the window's
// thread (ResultsReader), a page of the list at a time: the window shows
// that it waits, and never waits for the file itself.
#pragma once

#include "ClassReads.h"
#include "DialogSupport.h"
#include "Messages.h"
#include "ResultsStore.h"

#include <cstdint>
#include <optional>

class QButtonGroup;
class QComboBox;
class QLabel;
class QPushButton;
class QTabWidget;
class QTableView;

namespace zm {

class CzytnikWynikow;
class DziennikWynikow;
class ModelCwiczen;
class WykresOcen;
class TabelaFaktow;

class ListaDzieci;
class StronaKlasy;
class WidokKlasy;
struct KonfiguracjaKlasy;

class TFrmWyniki : public DialogProgramu {
    Q_OBJECT
public:
    // Reads `plik` without creating, locking or changing it. `dziennik`,
    // if given, tells the window of new drills and of what happened to the
    // file (set aside, replaced). `dzieci`, if given, names the children and
    // says who practises now (shown first).
    // `klasa`, if given, is the class on the school's server: the window
    // opens on its page (ResultsClass.cpp), which with the teacher's
    // credentials shows the class's overview and offers its children too,
    // and shows `uwagaKlasy` (what is wrong with the class's configuration
    // or server, for the teacher) wrapped at its top.
    TFrmWyniki(QWidget* parent, const QString& plik, IKomunikaty* komunikaty, DziennikWynikow* dziennik = nullptr,
               const ListaDzieci* dzieci = nullptr, const KonfiguracjaKlasy* klasa = nullptr,
               const QString& uwagaKlasy = {});
    ~TFrmWyniki() override;

    // Reads the journal afresh.
    void Odswiez();
    // Whether every read asked for has been answered.
    bool Wczytane() const { return oczekujace_ == 0; }
    // Writes the list (or every question) of the child shown as CSV, off
    // the window's thread; tells the user when it cannot. Ends with
    // Wyeksportowano.
    void Eksportuj(const QString& plik, bool pytania = false);
    // Shows one child's drills (0: every child's).
    void PokazDziecko(std::int64_t dziecko);
    // Where the export's file dialog opens: the user's Documents folder,
    // or the home folder when there is none.
    static QString FolderEksportu();

signals:
    void Wczytano();
    void Wyeksportowano(bool dobrze);

private:
    void czytajStrone(KluczListy po, int ile);
    void czytajWykres();
    void pokazFakty();
    void odpowiedziano();
    void pokazBlad(const WynikBazy& w);
    void pokazZmianePliku();
    void ButEksportClick(bool pytania);
    void wybranoZListy();
    void odswiezKlase();
    void wlaczKlase(const KonfiguracjaKlasy& klasa, const QString& uwaga);
    QString imie(std::int64_t dziecko) const;

    QString plik_;
    IKomunikaty* komunikaty_;
    DziennikWynikow* dziennik_;
    const ListaDzieci* dzieci_;
    std::int64_t dziecko_ = 0; // whose drills are shown; 0: everyone's
    WidokKlasy* klasa_ = nullptr;
    // The class on the server is shown (one child of it, or all).
    bool wKlasie_ = false;
    std::optional<KtoWKlasie> dzieckoKlasy_;
    CzytnikWynikow* czytnik_ = nullptr;
    std::uint64_t pokolenie_ = 0; // answers to an earlier reading are dropped
    int oczekujace_ = 0;
    std::uint64_t zapytanieFaktow_ = 0;
    bool faktyAktualne_ = false;
    bool bladPokazany_ = false;
    bool sprawdzenieZlecone_ = false;

    QTabWidget* Zakladki = nullptr;
    StronaKlasy* StronaPrzegladu = nullptr; // with a class only
    QLabel* LabelPlik = nullptr;
    QTableView* ListaCwiczen = nullptr;
    ModelCwiczen* model_ = nullptr;
    QLabel* LabelPusto = nullptr;
    WykresOcen* Wykres = nullptr;
    TabelaFaktow* Tabela = nullptr;
    QLabel* LabelObjasnienie = nullptr;
    QButtonGroup* Dzialania = nullptr;
    QComboBox* ComboOkres = nullptr;
    QComboBox* ComboDziecko = nullptr;
    QPushButton* ButEksport = nullptr;
    QPushButton* ButEksportPytan = nullptr;
    QPushButton* ButZamknij = nullptr;
};

} // namespace zm
