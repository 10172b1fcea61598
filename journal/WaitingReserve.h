// The space kept for the drills that wait while the journal cannot be
// written (a full disk, a used-up quota): `<plik>.zapas-<pid>-<ms>`, made at
// the journal's start while there is room, of a fixed size with every block
// allocated, and locked while its copy of the program runs. It is written
// in place and never grows, so a disk that has filled up since still takes
// it: two halves, each a whole record (length, number, checksum) of the
// drills and changes of the children that wait; the newer whole one
// counts, so a write cut short leaves the one before. A copy that is gone
// leaves its reserve to the next start, which reads it like a spool file.
#pragma once

#include "Children.h"
#include "DrillRecord.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace zm {

class ZapasOczekujacych {
public:
    static constexpr std::int64_t kRozmiar = 512 * 1024;

    explicit ZapasOczekujacych(std::int64_t rozmiar = kRozmiar) : rozmiar_(rozmiar) {}
    ~ZapasOczekujacych() { Zamknij(); }
    ZapasOczekujacych(const ZapasOczekujacych&) = delete;
    ZapasOczekujacych& operator=(const ZapasOczekujacych&) = delete;

    // Makes the reserve beside the journal `plik` unless it is held already;
    // false when there is no room (or no folder) for it.
    bool Zaloz(const QString& plik);
    bool Jest() const { return fd_ >= 0; }

    // Keeps every change and as many drills as fit, oldest first, in place
    // of what the reserve held, each write and the flush checked; how many
    // drills it holds now, or nothing when none could be kept.
    std::optional<std::size_t> Zapisz(const std::vector<ZapisCwiczenia>& zapisy, const std::vector<ZmianaDziecka>& zmiany);
    // Holds nothing any more (what it held is in the journal or a spool).
    void Oproznij();
    bool Pusty() const { return pusty_; }

    // Lets the reserve go: removed when it holds nothing, left for the next
    // start when it does.
    void Zamknij();

private:
    bool zapiszRekord(const QByteArray& dane);

    std::int64_t rozmiar_;
    QString sciezka_;
    int fd_ = -1;
    std::uint64_t numer_ = 0;
    bool pusty_ = true;
};

// What a reserve holds: the spool's form of its newer whole record, empty
// when it holds nothing; nothing while its copy still holds it.
std::optional<QByteArray> CzytajZapas(const QString& sciezka);
// Whether a copy of the program still holds the reserve.
bool ZapasZajety(const QString& sciezka);

} // namespace zm
