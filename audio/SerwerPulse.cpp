#include "SerwerPulse.h"

#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace zm::pulse {

namespace {

std::string Zmienna(const char* nazwa)
{
    const char* s = std::getenv(nazwa);
    return s ? s : "";
}

std::string NazwaProcesu(const std::string& pid)
{
    std::string nazwa;
    std::ifstream("/proc/" + pid + "/comm") >> nazwa;
    return nazwa;
}

bool PipeWirowy(const std::string& nazwa) { return nazwa.rfind("pipewire", 0) == 0; }

// The process at the other end of a connection to `gniazdo` (the one that
// listens there), or 0. Never waits: a server with a full backlog is asked
// no further.
pid_t Sluchajacy(const std::string& gniazdo)
{
    sockaddr_un adres{};
    adres.sun_family = AF_UNIX;
    if (gniazdo.empty() || gniazdo.size() >= sizeof adres.sun_path) return 0;
    std::memcpy(adres.sun_path, gniazdo.c_str(), gniazdo.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return 0;
    ucred kto{};
    socklen_t n = sizeof kto;
    const bool polaczono = ::connect(fd, reinterpret_cast<const sockaddr*>(&adres), sizeof adres) == 0 &&
                           ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &kto, &n) == 0;
    ::close(fd);
    return polaczono && kto.pid > 0 ? kto.pid : 0;
}

// The inode of the socket listening at `sciezka`, from the kernel's table of
// unix sockets; empty when none.
std::string InodeNasluchu(const std::string& sciezka)
{
    constexpr unsigned long kNasluch = 0x10000; // __SO_ACCEPTCON
    std::ifstream tabela("/proc/net/unix");
    std::string wiersz;
    std::getline(tabela, wiersz); // the header
    while (std::getline(tabela, wiersz)) {
        std::istringstream pola(wiersz);
        std::string nr, odwolania, protokol, flagi, typ, stan, inode;
        if (!(pola >> nr >> odwolania >> protokol >> flagi >> typ >> stan >> inode)) continue;
        std::string sciezkaWiersza;
        std::getline(pola >> std::ws, sciezkaWiersza);
        if (sciezkaWiersza == sciezka && (std::strtoul(flagi.c_str(), nullptr, 16) & kNasluch)) return inode;
    }
    return {};
}

// The name of a sound server's process of this user, other than `pomin`,
// that holds the socket `inode`; empty when none does.
std::string Trzymajacy(const std::string& inode, pid_t pomin)
{
    const std::string cel = "socket:[" + inode + "]";
    DIR* procesy = ::opendir("/proc");
    if (!procesy) return {};
    std::string znaleziony;
    while (const dirent* p = ::readdir(procesy)) {
        const std::string pid = p->d_name;
        if (pid.find_first_not_of("0123456789") != std::string::npos || pid == std::to_string(pomin)) continue;
        struct stat st{};
        if (::stat(("/proc/" + pid).c_str(), &st) != 0 || st.st_uid != ::getuid()) continue;
        const std::string nazwa = NazwaProcesu(pid);
        if (!PipeWirowy(nazwa) && nazwa != "pulseaudio") continue;
        const std::string folder = "/proc/" + pid + "/fd";
        DIR* deskryptory = ::opendir(folder.c_str());
        if (!deskryptory) continue;
        while (const dirent* d = ::readdir(deskryptory)) {
            char cel2[64];
            const ssize_t n = ::readlink((folder + "/" + d->d_name).c_str(), cel2, sizeof cel2 - 1);
            if (n > 0 && std::string(cel2, static_cast<std::size_t>(n)) == cel) {
                znaleziony = nazwa;
                break;
            }
        }
        ::closedir(deskryptory);
        if (!znaleziony.empty()) break;
    }
    ::closedir(procesy);
    return znaleziony;
}

} // namespace

bool JestPipeWire()
{
    std::string nazwa = Zmienna("PIPEWIRE_REMOTE");
    if (nazwa.empty()) nazwa = "pipewire-0";
    if (nazwa.front() != '/') {
        std::string folder = Zmienna("PIPEWIRE_RUNTIME_DIR");
        if (folder.empty()) folder = Zmienna("XDG_RUNTIME_DIR");
        if (folder.empty()) return false;
        nazwa = folder + "/" + nazwa;
    }
    struct stat st{};
    return ::stat(nazwa.c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
}

std::string Gniazdo()
{
    std::string s = Zmienna("PULSE_SERVER");
    if (!s.empty()) {
        if (s.find_first_of(" \t") != std::string::npos) return {};
        if (s.rfind("unix:", 0) == 0) return s.substr(5);
        return s.front() == '/' ? s : std::string();
    }
    if (const std::string r = Zmienna("PULSE_RUNTIME_PATH"); !r.empty()) return r + "/native";
    if (const std::string x = Zmienna("XDG_RUNTIME_DIR"); !x.empty()) return x + "/pulse/native";
    return {};
}

bool ToPipeWire(const std::string& gniazdo)
{
    const pid_t pid = Sluchajacy(gniazdo);
    if (pid == 0) return false;
    const std::string nazwa = NazwaProcesu(std::to_string(pid));
    if (PipeWirowy(nazwa)) return true;
    if (nazwa != "systemd") return false;
    const std::string inode = InodeNasluchu(gniazdo);
    return !inode.empty() && PipeWirowy(Trzymajacy(inode, pid));
}

} // namespace zm::pulse
