// The small files the journal keeps beside its database `<plik>`:
//   <plik>.stan               the lock that lets one copy of the program at a
//                             time open, check or set aside the file, and the
//                             state: which version last checked it, and when;
//   <plik>.dziala-<pid>       the mark of a running copy, locked while it
//                             runs: a mark nobody holds is an unclean end;
//   <plik>.oczekujace-<...>   drills that could not be written by the end of
//                             a run, written at the next start;
//   <plik>.zapas-<...>        the space kept for them on a disk that fills
//                             up (WaitingReserve.h).
// Used on the journal's thread (the spool also from a signal's last resort).
#pragma once

#include "Children.h"
#include "DrillRecord.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <sys/types.h>
#include <vector>

namespace zm {

class BlokadaDziennika {
public:
    explicit BlokadaDziennika(const QString& plik);
    ~BlokadaDziennika();
    BlokadaDziennika(const BlokadaDziennika&) = delete;
    BlokadaDziennika& operator=(const BlokadaDziennika&) = delete;

    // Waits for the lock until `limit` or until `przerwij` is set.
    bool Zajmij(const std::atomic<bool>& przerwij, std::chrono::milliseconds limit);

    struct Stan {
        QString wersja;                // of the program that last checked the file
        std::int64_t sprawdzonoMs = 0; // when, ms since 1970
    };
    // Only while the lock is held.
    Stan Czytaj() const;
    void Zapisz(const Stan& stan);

private:
    QString sciezka_;
    int fd_ = -1;
};

class ZnakPracy {
public:
    ZnakPracy() = default;
    ~ZnakPracy() { Zdejmij(); }
    ZnakPracy(const ZnakPracy&) = delete;
    ZnakPracy& operator=(const ZnakPracy&) = delete;

    // Marks left by copies that ended without closing the journal (killed,
    // crashed, a power cut); call with the journal's lock held.
    static QStringList Porzucone(const QString& plik);
    // Sets this copy's mark and holds it until Zdejmij.
    bool Postaw(const QString& plik);
    bool Postawiony() const { return fd_ >= 0; }
    void Zdejmij();

private:
    QString sciezka_;
    int fd_ = -1;
};

// Drills and changes of the children waiting in a spool file (written in
// one step: a whole file or none, every write and the flush checked). False
// when it cannot be written.
bool ZapiszOczekujace(const QString& plik, const std::vector<ZapisCwiczenia>& zapisy,
                      const std::vector<ZmianaDziecka>& zmiany = {});
// `dane` written to `sciezka` in one step (through a temporary file).
bool ZapiszCaly(const QString& sciezka, const QByteArray& dane);
// Every spool file of the journal `plik` with its drills and changes, and
// every reserve its copy left behind (an empty one is removed); a file that
// cannot be read is left where it is, marked `nieczytelny`. A drill with a
// question the drill could never have asked is skipped.
struct Oczekujace {
    QString sciezka;
    std::vector<ZapisCwiczenia> zapisy;
    std::vector<ZmianaDziecka> zmiany;
    bool nieczytelny = false;
};
std::vector<Oczekujace> CzytajOczekujace(const QString& plik);
// Whether any spool file or reserve left behind waits (without reading it).
bool MaOczekujace(const QString& plik);
// The spool's own form (JSON) of drills and changes, and back.
QByteArray DokumentOczekujacych(const std::vector<ZapisCwiczenia>& zapisy, const std::vector<ZmianaDziecka>& zmiany);
bool CzytajDokumentOczekujacych(const QByteArray& dane, Oczekujace& o);

// Why a CSV may not be written at `cel`: it is the journal `plik` or one of
// its files (replacing it would lose every answer); "" when it may.
QString OdmowaEksportu(const QString& plik, const QString& cel);

// Which file lies at a path (a file deleted or replaced has another).
struct TozsamoscPliku {
    dev_t urzadzenie = 0;
    ino_t wezel = 0;
    bool operator==(const TozsamoscPliku&) const = default;
};
// The file now at `plik`; nothing when there is none, and `domyslna` when
// it cannot be told.
std::optional<TozsamoscPliku> Tozsamosc(const QString& plik, TozsamoscPliku domyslna = {});

} // namespace zm
