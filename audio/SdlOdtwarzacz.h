// Plays WAV files synchronously through SDL2's audio subsystem.
//
// One device is opened at the first play and kept. Each file is converted to
// the device's format, queued, and the call returns when it has been heard
// (the queue drained plus the device's own buffer), or at a deadline, so that
// it never hangs. A missing, empty or corrupt file plays a short soft beep
// instead. Without a usable sound device SDL's silent driver is used, so
// that the sentence still takes its time.
#pragma once

#include "Narrator.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zm {

struct Sdl;

class SdlOdtwarzacz final : public IOdtwarzacz {
public:
    SdlOdtwarzacz() = default;
    ~SdlOdtwarzacz() override;
    SdlOdtwarzacz(const SdlOdtwarzacz&) = delete;
    SdlOdtwarzacz& operator=(const SdlOdtwarzacz&) = delete;

    void Odtworz(const std::string& sciezka) override;

    // Whether the last play fell back to the beep.
    bool OstatnioDomyslny() const { return ostatnioDomyslny_; }
    // The driver in use ("dummy" when no device could be opened), after the first play.
    std::string Sterownik() const { return sterownik_; }

    // Files larger than this are not loaded (a word is well under a second).
    static constexpr std::uintmax_t kMaksRozmiarPliku = 16u * 1024 * 1024;

private:
    bool Otworz();
    bool OtworzUrzadzenie();
    void Kolejkuj(const std::vector<std::uint8_t>& dane);
    std::vector<std::uint8_t> Wczytaj(const std::string& sciezka);
    std::vector<std::uint8_t> Pisk() const;
    std::vector<std::uint8_t> Konwertuj(std::uint16_t format, int kanaly, int czestotliwosc,
                                        const std::vector<std::uint8_t>& dane) const;

    const Sdl* sdl_ = nullptr; // loaded at the first play
    std::uint32_t urzadzenie_ = 0;
    bool proba_ = false;   // the device was tried already
    bool sdlInit_ = false;
    bool wymuszonyCichy_ = false; // the silent driver was forced
    int czestotliwosc_ = 0;
    int kanaly_ = 0;
    std::uint16_t format_ = 0;
    int probki_ = 0;
    bool ostatnioDomyslny_ = false;
    std::string sterownik_;
};

} // namespace zm
