// The class on a real PostgreSQL server (one private server for all these
// tests): thirty workstations sending through two restarts, a workstation
// whose server is down, the roles' rights, each refusal's message, names
// that must arrive as typed, the configuration file, and libpq missing.
#include "ClassOverview.h"
#include "ClassReads.h"
#include "ClassSender.h"
#include "ClassServer.h"
#include "DrillState.h"
#include "PgLibrary.h"
#include "PostgresServer.h"
#include "QtPrint.h"
#include "ResultsCsv.h"

#include <QDateTime>
#include <QTabWidget>
#include <QListWidget>
#include <QTableWidget>
#include <QCoreApplication>
#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <QSet>

#include <algorithm>
#include <cctype>
#include <array>
#include <sqlite3.h>
#include <arpa/inet.h>
#include <functional>
#include <mutex>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "ClassOutbox.h"
#include "PracticePlan.h"
#include "ResultsJournal.h"
#include "ResultsWindow.h"
#include "TestSupport.h"

#include <QComboBox>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>

using namespace zm;
using namespace std::chrono_literals;

namespace {

// An outbox in memory; it can refuse to mark drills sent a given number of
// times (the drills are then sent again), fail its first `bledyOdczytu`
// reads, and take `przerwa` to give each batch (a workstation that sends at
// a child's pace, not at the server's).
class SkrzynkaWPamieci : public ISkrzynkaKlasy {
public:
    explicit SkrzynkaWPamieci(int odmowy = 0, std::chrono::milliseconds przerwa = {})
        : odmowy_(odmowy), przerwa_(przerwa)
    {
    }
    void Dodaj(CwiczenieKlasy c)
    {
        std::lock_guard<std::mutex> l(m_);
        niewyslane_.push_back(std::move(c));
    }
    std::optional<std::vector<CwiczenieKlasy>> Niewyslane(int ile) override
    {
        std::this_thread::sleep_for(przerwa_);
        std::lock_guard<std::mutex> l(m_);
        ++zapytania_;
        if (bledyOdczytu > 0) return --bledyOdczytu, std::nullopt;
        return std::vector<CwiczenieKlasy>{niewyslane_.begin(),
                                           niewyslane_.begin() + std::min<std::size_t>(ile, niewyslane_.size())};
    }
    bool Wyslane(const std::vector<std::string>& ids) override
    {
        std::lock_guard<std::mutex> l(m_);
        if (odmowy_ > 0) return --odmowy_, false;
        for (const std::string& id : ids) {
            std::erase_if(niewyslane_, [&](const CwiczenieKlasy& c) { return c.id == id; });
            oznaczone_.push_back(id);
        }
        return true;
    }
    std::vector<std::string> Czekajace() const
    {
        std::lock_guard<std::mutex> l(m_);
        std::vector<std::string> ids;
        for (const CwiczenieKlasy& c : niewyslane_)
            ids.push_back(c.id);
        return ids;
    }
    std::vector<std::string> Oznaczone() const
    {
        std::lock_guard<std::mutex> l(m_);
        return oznaczone_;
    }
    int Zapytania() const
    {
        std::lock_guard<std::mutex> l(m_);
        return zapytania_;
    }
    // The roster's children whose records were merged, and their answers.
    bool ScalRekord(std::int64_t idListy, const std::vector<OdpowiedzDziecka>& odpowiedzi) override
    {
        std::lock_guard<std::mutex> l(m_);
        scalone_.emplace_back(idListy, odpowiedzi.size());
        return true;
    }
    std::vector<std::pair<std::int64_t, std::size_t>> Scalone() const
    {
        std::lock_guard<std::mutex> l(m_);
        return scalone_;
    }
    int bledyOdczytu = 0; // set before the sender starts

private:
    mutable std::mutex m_;
    std::vector<CwiczenieKlasy> niewyslane_;
    std::vector<std::string> oznaczone_;
    std::vector<std::pair<std::int64_t, std::size_t>> scalone_;
    int zapytania_ = 0;
    int odmowy_;
    std::chrono::milliseconds przerwa_;
};

// Drill `n` of workstation `s`: ten questions, every field varied; each
// question of its operation (× 3–9 × 3–9, ÷ by 3–9, + and − of two-digit
// numbers).
CwiczenieKlasy Cwiczenie(const std::string& imie, int s, int n)
{
    CwiczenieKlasy c{NowyIdentyfikatorCwiczenia(), imie, {}};
    ZapisCwiczenia& z = c.zapis;
    z.koniecMs = 1796738580000LL + (s * 1000 + n) * 60001LL;
    z.dzialanie = std::uint8_t(n % 4);
    z.iloscPytan = 10;
    z.predkosc = n % 3 == 0 ? 20 : 60;
    z.lektor = n % 2;
    for (int i = 0; i < 10; ++i) {
        const int x = 3 + (n + i) % 7, y = 3 + (s + i) % 7;
        const auto [a, b, wynik] = std::array{std::array{x, y, x * y}, std::array{x * y, y, x},
                                              std::array{10 + x, 10 + y, 20 + x + y},
                                              std::array{50 + x, 10 + y, 40 + x - y}}[z.dzialanie];
        const bool dobrze = (n + i) % 3 != 0;
        z.pytania.push_back({a, b, dobrze ? std::to_string(wynik) : i % 2 ? "" : "1", dobrze, 100 * i + n});
        ++(dobrze ? z.dobrze : z.zle);
    }
    z.ocena = std::uint8_t(1 + n % 6);
    return c;
}

std::string Opis(const std::string& id, const ZapisCwiczenia& z)
{
    std::string s = id + " " + std::to_string(z.koniecMs) + " " + std::to_string(z.dzialanie) + " " +
                    std::to_string(z.iloscPytan) + " " + std::to_string(z.predkosc) + " " + std::to_string(z.lektor) +
                    " " + std::to_string(z.dobrze) + "/" + std::to_string(z.zle) + " " + std::to_string(z.ocena) + ":";
    for (const PytanieCwiczenia& p : z.pytania)
        s += " " + std::to_string(p.liczba1) + "," + std::to_string(p.liczba2) + "=" + p.odpowiedz +
             (p.dobrze ? "+" : "-") + std::to_string(p.czasMs);
    return s;
}

// A child's drills as the teacher reads them, and as they were sent (newest
// first), each as one line.
std::vector<std::string> NaSerwerze(OdczytKlasy& odczyt, const QString& imie)
{
    std::vector<std::string> wynik;
    for (const CwiczenieZKlasy& c : odczyt.Cwiczenia(imie, true).value_or(std::vector<CwiczenieZKlasy>{}))
        wynik.push_back(Opis(c.id.toStdString(), c.zapis));
    return wynik;
}
std::vector<std::string> Wyslane(std::vector<CwiczenieKlasy> cwiczenia)
{
    std::sort(cwiczenia.begin(), cwiczenia.end(),
              [](const CwiczenieKlasy& a, const CwiczenieKlasy& b) { return a.zapis.koniecMs > b.zapis.koniecMs; });
    std::vector<std::string> wynik;
    for (const CwiczenieKlasy& c : cwiczenia)
        wynik.push_back(Opis(c.id, c.zapis));
    return wynik;
}
// Equal lists, or the lines only one of them has (a few of each).
testing::AssertionResult Takie(std::vector<std::string> naSerwerze, std::vector<std::string> wyslane)
{
    if (naSerwerze == wyslane) return testing::AssertionSuccess();
    std::sort(naSerwerze.begin(), naSerwerze.end());
    std::sort(wyslane.begin(), wyslane.end());
    std::vector<std::string> tylkoSerwer, tylkoWyslane;
    std::set_difference(naSerwerze.begin(), naSerwerze.end(), wyslane.begin(), wyslane.end(),
                        std::back_inserter(tylkoSerwer));
    std::set_difference(wyslane.begin(), wyslane.end(), naSerwerze.begin(), naSerwerze.end(),
                        std::back_inserter(tylkoWyslane));
    auto wynik = testing::AssertionFailure() << naSerwerze.size() << " on the server, " << wyslane.size() << " sent";
    for (std::size_t i = 0; i < std::min<std::size_t>(3, tylkoSerwer.size()); ++i)
        wynik << "\n  only on the server: " << tylkoSerwer[i];
    for (std::size_t i = 0; i < std::min<std::size_t>(3, tylkoWyslane.size()); ++i)
        wynik << "\n  only sent: " << tylkoWyslane[i];
    return wynik;
}

template <class Warunek> bool Czekaj(Warunek warunek, std::chrono::milliseconds limit = 120s)
{
    const auto koniec = std::chrono::steady_clock::now() + limit;
    while (!warunek()) {
        if (std::chrono::steady_clock::now() > koniec) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(5ms);
    }
    QCoreApplication::processEvents();
    return true;
}

const NadawcaKlasy::Tempo kSzybko{20ms, 100ms, 20};

// A connection of the test's own to the class's database as `d`.
bool Polacz(pg::Polaczenie& polaczenie, const KonfiguracjaKlasy& k, const DostepDoSerwera& d)
{
    return polaczenie.Otworz({{"host", k.serwer.toUtf8()},
                              {"dbname", k.baza.toUtf8()},
                              {"user", d.uzytkownik.toUtf8()},
                              {"password", d.haslo.toUtf8()}});
}
const QString kCzekaja = QStringLiteral(" Wyniki czekają na tym komputerze i zostaną wysłane, gdy to będzie możliwe.");

class Klasa : public ::testing::Test {
protected:
    static void SetUpTestSuite() { serwer = new test::SerwerPostgres; }
    static void TearDownTestSuite()
    {
        delete serwer;
        serwer = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(serwer->Blad().isEmpty()) << serwer->Blad().toStdString(); }
    static int Liczba(const QString& klasa, const QString& tabela = QStringLiteral("drills"))
    {
        return serwer
            ->Wartosc(QStringLiteral("SELECT count(*) FROM zoltava.%1 %2")
                          .arg(tabela, tabela == QLatin1String("drills")
                                           ? QStringLiteral("WHERE class = '%1'").arg(klasa)
                                           : QStringLiteral("a JOIN zoltava.drills d ON d.id = a.drill_id "
                                                            "WHERE d.class = '%1'")
                                                 .arg(klasa)))
            .toInt();
    }
    static inline test::SerwerPostgres* serwer = nullptr;
};

} // namespace

TEST_F(Klasa, ThirtyWorkstationsLoseNothingAndStoreNothingTwiceWhileTheServerRestartsTwice)
{
    const QString klasa = QStringLiteral("3b");
    ASSERT_TRUE(serwer->Zatrzymaj());
    // Each workstation finishes its 100 drills while the server is down;
    // each outbox refuses the first marking, so those drills go twice. Two
    // drills a batch, a batch every 0.1 s: the whole class takes about 5 s,
    // so each restart comes while drills are still on their way.
    std::vector<std::shared_ptr<SkrzynkaWPamieci>> skrzynki;
    std::vector<std::vector<CwiczenieKlasy>> cwiczenia(30);
    std::vector<std::unique_ptr<NadawcaKlasy>> nadawcy;
    for (int s = 0; s < 30; ++s) {
        skrzynki.push_back(std::make_shared<SkrzynkaWPamieci>(1, 100ms));
        for (int n = 0; n < 100; ++n) {
            cwiczenia[s].push_back(Cwiczenie("Dziecko " + std::to_string(s + 1), s, n));
            skrzynki[s]->Dodaj(cwiczenia[s].back());
        }
        KonfiguracjaKlasy k = serwer->Konfiguracja(klasa);
        k.stanowisko = QStringLiteral("pc-%1").arg(s + 1);
        nadawcy.push_back(std::make_unique<NadawcaKlasy>(k, skrzynki[s], NadawcaKlasy::Tempo{20ms, 100ms, 2}));
    }
    // Up, then a crash at a fifth of the drills; up, then a fast shutdown
    // at half of them; up for good.
    for (const auto& [czesc, natychmiast] : {std::pair{600, true}, std::pair{1500, false}}) {
        ASSERT_TRUE(serwer->Uruchom()) << serwer->Blad().toStdString();
        int juz = 0;
        ASSERT_TRUE(Czekaj([&] { return (juz = Liczba(klasa)) >= czesc; }));
        ASSERT_TRUE(serwer->Zatrzymaj(natychmiast));
        EXPECT_LT(juz, 3000) << "the restart came after every drill was sent";
    }
    ASSERT_TRUE(serwer->Uruchom());
    ASSERT_TRUE(Czekaj(
        [&] { return std::all_of(skrzynki.begin(), skrzynki.end(), [](auto& s) { return s->Czekajace().empty(); }); }));
    nadawcy.clear();

    EXPECT_EQ(Liczba(klasa), 3000);
    EXPECT_EQ(Liczba(klasa, QStringLiteral("answers")), 30000);
    OdczytKlasy odczyt(serwer->Konfiguracja(klasa));
    const auto dzieci = odczyt.Dzieci();
    ASSERT_TRUE(dzieci) << odczyt.Blad().toStdString();
    ASSERT_EQ(dzieci->size(), 30u);
    for (int s = 0; s < 30; ++s) {
        std::vector<std::string> ids, oznaczone = skrzynki[s]->Oznaczone();
        for (const CwiczenieKlasy& c : cwiczenia[s])
            ids.push_back(c.id);
        std::sort(ids.begin(), ids.end());
        std::sort(oznaczone.begin(), oznaczone.end());
        EXPECT_EQ(oznaczone, ids) << "workstation " << s + 1;
        const QString imie = QStringLiteral("Dziecko %1").arg(s + 1);
        EXPECT_TRUE(Takie(NaSerwerze(odczyt, imie), Wyslane(cwiczenia[s]))) << imie.toStdString();
    }
    // Polish order: "Dziecko 10" after "Dziecko 1", each child on its own
    // workstation.
    EXPECT_EQ((*dzieci)[1].imie, QStringLiteral("Dziecko 10"));
    EXPECT_EQ((*dzieci)[1].cwiczen, 100);
    EXPECT_EQ((*dzieci)[1].stanowiska, QStringList{QStringLiteral("pc-10")});
    EXPECT_EQ((*dzieci)[1].ostatnieMs, cwiczenia[9].back().zapis.koniecMs);
}

TEST_F(Klasa, AWorkstationWhoseServerIsDownKeepsItsDrillsAndSendsThemAtTheNextStart)
{
    const KonfiguracjaKlasy k = serwer->Konfiguracja(QStringLiteral("4a"));
    auto skrzynka = std::make_shared<SkrzynkaWPamieci>();
    std::vector<CwiczenieKlasy> cwiczenia;
    for (int n = 0; n < 3; ++n)
        skrzynka->Dodaj(cwiczenia.emplace_back(Cwiczenie("Ola", 1, n)));
    // The teacher's window stays open meanwhile: its next read connects
    // afresh.
    OdczytKlasy odczyt(k);
    ASSERT_TRUE(odczyt.Dzieci());
    ASSERT_TRUE(serwer->Zatrzymaj());
    QStringList komunikaty;
    std::vector<bool> znaczki; // the window's quiet mark
    {
        NadawcaKlasy nadawca(k, skrzynka, kSzybko);
        QObject::connect(&nadawca, &NadawcaKlasy::Niedostepna, [&](const QString& t) { komunikaty << t; });
        QObject::connect(&nadawca, &NadawcaKlasy::Polaczono, [&](bool tak) { znaczki.push_back(tak); });
        nadawca.Obudz(); // a new drill: tried at once, as after a failure
        // A child chosen meanwhile: the local record serves, nothing more is said.
        nadawca.PobierzRekord(1);
        ASSERT_TRUE(Czekaj([&] { return skrzynka->Zapytania() >= 5; }));
    }
    EXPECT_EQ(komunikaty, QStringList{QStringLiteral("Serwer klasy %1 nie odpowiada.").arg(k.serwer) + kCzekaja});
    EXPECT_EQ(znaczki, std::vector<bool>{false});
    EXPECT_EQ(skrzynka->Czekajace().size(), 3u);
    EXPECT_TRUE(skrzynka->Oznaczone().empty());
    EXPECT_TRUE(skrzynka->Scalone().empty());

    ASSERT_TRUE(serwer->Uruchom());
    {
        NadawcaKlasy nadawca(k, skrzynka, kSzybko);
        QObject::connect(&nadawca, &NadawcaKlasy::Polaczono, [&](bool tak) { znaczki.push_back(tak); });
        nadawca.PobierzRekord(1);
        ASSERT_TRUE(Czekaj([&] { return skrzynka->Czekajace().empty() && znaczki.size() == 2 && !skrzynka->Scalone().empty(); }));
    }
    EXPECT_EQ(znaczki, (std::vector<bool>{false, true}));
    // No child 1 on the class's roster: nothing of it comes.
    EXPECT_EQ(skrzynka->Scalone(), (std::vector<std::pair<std::int64_t, std::size_t>>{{1, 0}}));
    EXPECT_TRUE(Takie(NaSerwerze(odczyt, QStringLiteral("Ola")), Wyslane(cwiczenia))) << odczyt.Blad().toStdString();
}

TEST_F(Klasa, StoppingDoesNotWaitForAServerThatDoesNotAnswer)
{
    auto skrzynka = std::make_shared<SkrzynkaWPamieci>();
    skrzynka->Dodaj(Cwiczenie("Ola", 2, 0));
    serwer->Zamroz();
    auto nadawca = std::make_unique<NadawcaKlasy>(serwer->Konfiguracja(QStringLiteral("4b")), skrzynka, kSzybko);
    ASSERT_TRUE(Czekaj([&] { return skrzynka->Zapytania() >= 1; }));
    std::this_thread::sleep_for(100ms); // into the connection, which the server does not answer for 3 s
    EXPECT_FALSE(nadawca->Zatrzymaj()) << "it waited for the server";
    nadawca.reset();
    // Counted while it waits: the program's end knows not to clean up under it.
    EXPECT_EQ(WatkiSerwera(), 1);
    serwer->Odmroz();
    // The thread left behind ends once the server answers, having sent
    // nothing after it was stopped.
    ASSERT_TRUE(Czekaj([&] { return skrzynka.use_count() == 1 && WatkiSerwera() == 0; }));
    EXPECT_EQ(skrzynka->Czekajace().size(), 1u);
}

TEST_F(Klasa, TheWorkstationsRoleMayOnlyAddAndTheTeachersOnlyRead)
{
    const KonfiguracjaKlasy k = serwer->Konfiguracja(QStringLiteral("5c"));
    // A drill of one question as a workstation may forge it.
    const auto dodaj = [](qint64 koniecMs, const QString& dziecko, int dzialanie, qint64 a, qint64 b) {
        return QStringLiteral("SELECT zoltava.add_drill(gen_random_uuid(), '5c', 'pc', '%1', %2, CAST(%3 AS smallint),"
                              " CAST(1 AS smallint), 20, false, CAST(1 AS smallint), CAST(0 AS smallint),"
                              " CAST(6 AS smallint), CAST(0 AS smallint),"
                              " CAST('[{\"n\":1,\"a\":%4,\"b\":%5,\"o\":\"7\",\"d\":true,\"t\":5}]' AS json), NULL)")
            .arg(dziecko)
            .arg(koniecMs)
            .arg(dzialanie)
            .arg(a)
            .arg(b);
    };
    const struct {
        bool nauczyciel;
        QString sql;
        QString kod; // SQLSTATE; "" when allowed
    } przypadki[] = {
        // Only whole drills of this program's questions, at a time in this
        // world, of a child with a name.
        {false, dodaj(1796738580000, "Ola", DzialanieDzielenie, 56, 8), ""},
        {false, dodaj(1796738580000, "Ola", DzialanieDzielenie, -2147483648LL, -1), "23514"},
        {false, dodaj(1796738580000, "Ola", DzialanieDzielenie, 57, 8), "23514"},
        {false, dodaj(1796738580000, "Ola", DzialanieDodawanie, 3, 4), "23514"},
        {false, dodaj(1796738580000, "Ola", DzialanieDodawanie, 79, 20), ""},
        {false, dodaj(1796738580000, "Ola", DzialanieDodawanie, 85, 12), "23514"},
        {false, dodaj(1796738580000, "Ola", DzialanieOdejmowanie, 12, 13), "23514"},
        {false, dodaj(9223372036854775807LL, "Ola", DzialanieMnozenie, 3, 4), "23514"},
        {false, dodaj(-1, "Ola", DzialanieMnozenie, 3, 4), "23514"},
        {false, dodaj(1796738580000, " ", DzialanieMnozenie, 3, 4), "23514"},
        {false,
         "INSERT INTO zoltava.drills (id, class, workstation, child, ended_at, operation, questions, pace_ms,"
         " narrator, good, bad, grade) VALUES (gen_random_uuid(), '5c', 'pc', 'Ola', 'infinity', 0, 1, 20, false,"
         " 1, 0, 6)",
         "42501"},
        // The roster: the teacher keeps it, the workstations read it through
        // zoltava.roster() alone.
        {true, "INSERT INTO zoltava.children (class, name) VALUES ('5c', 'Ola')", ""},
        {true, "UPDATE zoltava.children SET name = 'Ola K.', note = 'z 5c' WHERE class = '5c'", ""},
        {true, "DELETE FROM zoltava.children", "42501"},
        {true, "UPDATE zoltava.children SET class = '5d'", "42501"},
        {false, "SELECT count(*) FROM zoltava.roster('5c')", ""},
        {false, "SELECT count(*) FROM zoltava.children", "42501"},
        {false, "INSERT INTO zoltava.children (class, name) VALUES ('5c', 'Ola')", "42501"},
        {false, "SELECT count(*) FROM zoltava.drills", "42501"},
        {false, "SELECT count(*) FROM zoltava.answers", "42501"},
        {false, "SELECT version FROM zoltava.schema_version", "42501"},
        {false, "UPDATE zoltava.drills SET grade = 6", "42501"},
        {false, "UPDATE zoltava.answers SET correct = true", "42501"},
        {false, "DELETE FROM zoltava.answers", "42501"},
        {false, "DELETE FROM zoltava.drills", "42501"},
        {false, "TRUNCATE zoltava.drills", "42501"},
        {false, "SELECT zoltava.schema_version()", ""},
        {true, "SELECT count(*) FROM zoltava.answers", ""},
        {true, "DELETE FROM zoltava.drills", "42501"},
        {true, "UPDATE zoltava.drills SET grade = 6", "42501"},
        {true, "INSERT INTO zoltava.answers SELECT * FROM zoltava.answers", "42501"},
    };
    for (const auto& p : przypadki) {
        const DostepDoSerwera& d = p.nauczyciel ? *k.nauczyciel : k.stanowiska;
        pg::Polaczenie polaczenie;
        QString kod = QStringLiteral("no connection");
        if (Polacz(polaczenie, k, d)) {
            const pg::Wynik w = polaczenie.Wykonaj(p.sql.toUtf8().constData());
            kod = w.Dobry() ? QString() : w.Kod();
        }
        EXPECT_EQ(kod, p.kod) << d.uzytkownik.toStdString() << ": " << p.sql.toStdString();
    }
}

TEST_F(Klasa, EachRefusalIsSaidOnceInItsOwnWordsAndNothingIsLost)
{
    const KonfiguracjaKlasy dobra = serwer->Konfiguracja(QStringLiteral("6a"));
    ASSERT_TRUE(
        serwer->Psql(QStringLiteral("postgres"), {QStringLiteral("-c"), QStringLiteral("CREATE DATABASE pusta")}));
    // A TCP port on this computer that nothing listens on.
    const int gniazdo = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in adres{};
    adres.sin_family = AF_INET;
    adres.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t dlugosc = sizeof adres;
    ASSERT_EQ(bind(gniazdo, reinterpret_cast<sockaddr*>(&adres), sizeof adres), 0);
    getsockname(gniazdo, reinterpret_cast<sockaddr*>(&adres), &dlugosc);
    close(gniazdo);
    const int wolnyPort = ntohs(adres.sin_port);

    const struct {
        std::function<void(KonfiguracjaKlasy&)> zmien;
        QString komunikat;
    } przypadki[] = {
        {[](KonfiguracjaKlasy& k) { k.stanowiska.haslo = QStringLiteral("złe hasło"); },
         QStringLiteral("Serwer klasy %1 nie przyjął użytkownika „zoltava_stanowisko” lub jego hasła (plik %2).")
             .arg(dobra.serwer, dobra.stanowiska.plik)},
        {[](KonfiguracjaKlasy& k) { k.baza = QStringLiteral("nie_ma_takiej"); },
         QStringLiteral("Na serwerze klasy %1 nie ma bazy „nie_ma_takiej”.").arg(dobra.serwer)},
        {[&](KonfiguracjaKlasy& k) {
             k.serwer = QStringLiteral("127.0.0.1");
             k.port = wolnyPort;
         },
         QStringLiteral("Serwer klasy 127.0.0.1:%1 nie odpowiada.").arg(wolnyPort)},
        {[](KonfiguracjaKlasy& k) { k.baza = QStringLiteral("pusta"); },
         QStringLiteral("Baza „pusta” na serwerze klasy %1 nie jest przygotowana dla tej wersji programu: "
                        "trzeba w niej uruchomić skrypt klasa-serwer.sql.")
             .arg(dobra.serwer)},
    };
    for (const auto& p : przypadki) {
        KonfiguracjaKlasy k = dobra;
        p.zmien(k);
        auto skrzynka = std::make_shared<SkrzynkaWPamieci>();
        for (int n = 0; n < 2; ++n)
            skrzynka->Dodaj(Cwiczenie("Ola", 3, n));
        QStringList komunikaty;
        {
            NadawcaKlasy nadawca(k, skrzynka, kSzybko);
            QObject::connect(&nadawca, &NadawcaKlasy::Niedostepna, [&](const QString& t) { komunikaty << t; });
            ASSERT_TRUE(Czekaj([&] { return skrzynka->Zapytania() >= 4; }));
        }
        EXPECT_EQ(komunikaty, QStringList{p.komunikat + kCzekaja});
        EXPECT_EQ(skrzynka->Czekajace().size(), 2u);
        EXPECT_TRUE(skrzynka->Oznaczone().empty());
    }
    EXPECT_EQ(Liczba(dobra.klasa), 0);
}

TEST_F(Klasa, ADrillTheServerRefusesStaysAndTheOthersGo)
{
    const KonfiguracjaKlasy k = serwer->Konfiguracja(QStringLiteral("6b"));
    std::vector<CwiczenieKlasy> cwiczenia;
    for (int n = 0; n < 3; ++n)
        cwiczenia.push_back(Cwiczenie("Ola", 4, n));
    cwiczenia[1].zapis.ocena = 9;
    auto skrzynka = std::make_shared<SkrzynkaWPamieci>();
    for (const CwiczenieKlasy& c : cwiczenia)
        skrzynka->Dodaj(c);
    QStringList komunikaty;
    {
        NadawcaKlasy nadawca(k, skrzynka, kSzybko);
        QObject::connect(&nadawca, &NadawcaKlasy::Niedostepna, [&](const QString& t) { komunikaty << t; });
        ASSERT_TRUE(Czekaj([&] { return skrzynka->Oznaczone().size() == 2; }));
        nadawca.Obudz();
        ASSERT_TRUE(Czekaj([&] { return skrzynka->Zapytania() >= 3; }));
    }
    EXPECT_EQ(komunikaty,
              QStringList{QStringLiteral("Serwer klasy %1 odrzucił ćwiczenie: new row for relation \"drills\" "
                                         "violates check constraint \"drills_grade_check\". To ćwiczenie "
                                         "zostaje na tym komputerze.")
                              .arg(k.serwer)});
    EXPECT_EQ(skrzynka->Czekajace(), std::vector<std::string>{cwiczenia[1].id});
    OdczytKlasy odczyt(k);
    EXPECT_TRUE(Takie(NaSerwerze(odczyt, QStringLiteral("Ola")), Wyslane({cwiczenia[0], cwiczenia[2]})));
}

TEST_F(Klasa, NamesArriveAsTypedAndTheTeacherReadsTheClassFacts)
{
    const KonfiguracjaKlasy k = serwer->Konfiguracja(QStringLiteral("7d"));
    QString dlugie;
    while (dlugie.size() < 200)
        dlugie += QStringLiteral("Żółć ");
    dlugie.truncate(199);
    dlugie += QLatin1Char('!');
    const QStringList imiona = {QStringLiteral("O'Brien \"Bob\"; DROP TABLE zoltava.drills; --"),
                                QStringLiteral("Zażółć gęślą jaźń"), QStringLiteral("Ala\\' \\\\ %_ $1 ?"), dlugie};
    auto skrzynka = std::make_shared<SkrzynkaWPamieci>();
    std::vector<CwiczenieKlasy> cwiczenia;
    for (int i = 0; i < imiona.size(); ++i) {
        CwiczenieKlasy c = Cwiczenie(imiona[i].toStdString(), 5, i * 4); // multiplication, 7 × 3 first
        skrzynka->Dodaj(cwiczenia.emplace_back(c));
    }
    {
        NadawcaKlasy nadawca(k, skrzynka, kSzybko);
        ASSERT_TRUE(Czekaj([&] { return skrzynka->Czekajace().empty(); }));
    }
    OdczytKlasy odczyt(k);
    const auto dzieci = odczyt.Dzieci();
    ASSERT_TRUE(dzieci);
    QStringList nazwy;
    for (const DzieckoKlasy& d : *dzieci)
        nazwy << d.imie;
    EXPECT_EQ(nazwy, (QStringList{imiona[2], imiona[0], imiona[1], dlugie}));
    for (int i = 0; i < imiona.size(); ++i)
        EXPECT_TRUE(Takie(NaSerwerze(odczyt, imiona[i]), Wyslane({cwiczenia[i]})));

    // The multiplication facts: question q of drill n = 0, 4, 8, 12 asks
    // (3 + (n + q) % 7) × (3 + (5 + q) % 7), right unless (n + q) % 3 == 0,
    // answered in 100q + n ms: 28 facts, the first 3 × 3, asked twice in drill
    // 12 (q = 2 right in 212 ms, q = 9 wrong in 912 ms; the pace is 20 ms).
    const auto fakty = odczyt.Fakty(DzialanieMnozenie);
    ASSERT_TRUE(fakty);
    ASSERT_EQ(fakty->size(), 28u);
    const FaktKlasy& f = (*fakty)[0];
    EXPECT_EQ(std::make_tuple(f.liczba1, f.liczba2, f.ile, f.bledy, f.sumaCzasuMs),
              std::make_tuple(3, 3, 2, 1, 1124LL));
    EXPECT_DOUBLE_EQ(f.sumaTykniec, 1124.0 / 20);
    EXPECT_EQ(f.myla, QStringList{dlugie}); // who missed it
    EXPECT_EQ(OpisFaktuKlasy(QStringLiteral("3 × 3"), 4, f), QStringLiteral("3 × 3 — myli 1 z 4 dzieci: ") + dlugie);
    // One child's since its drill: drill 4, whose ten questions are 7 facts.
    const auto jednego = odczyt.Fakty(DzialanieMnozenie, imiona[1], cwiczenia[1].zapis.koniecMs);
    ASSERT_TRUE(jednego);
    EXPECT_EQ(jednego->size(), 7u);
    EXPECT_TRUE(odczyt.Fakty(DzialanieMnozenie, imiona[1], cwiczenia[1].zapis.koniecMs + 1)->empty());
}

TEST_F(Klasa, TwoWorkstationsJournalsGoToTheServerAndTheTeachersWindowShowsBothChildren)
{
    const QString klasa = QStringLiteral("4c");
    QTemporaryDir tmp;
    KonfiguracjaKlasy konf = serwer->Konfiguracja(klasa);
    std::vector<std::string> imiona{"Ola", "Łucja \"Ł\"; ;"};
    QString uidOli; // her drill's id as her journal made it
    for (int stanowisko = 0; stanowisko < 2; ++stanowisko) {
        // A workstation: its own journal, a child of its own, one drill.
        const QString plik = tmp.filePath(QStringLiteral("s%1/wyniki.sqlite").arg(stanowisko));
        DziennikWynikow dziennik(plik);
        ListaDzieci dzieci([&](const ZmianaDziecka& z) { dziennik.ZmienDziecko(z); });
        std::int64_t id = 0;
        ASSERT_EQ(dzieci.Dodaj(QString::fromStdString(imiona[static_cast<std::size_t>(stanowisko)]), id), "");
        ZapisCwiczenia z;
        z.koniecMs = 1796738580000LL + stanowisko;
        z.iloscPytan = 1;
        z.predkosc = PredkoscSrednio;
        z.dobrze = stanowisko == 0 ? 1 : 0; // Łucja misses 7 × 8
        z.zle = 1 - z.dobrze;
        z.ocena = stanowisko == 0 ? 6 : 1;
        z.dziecko = id;
        z.losowanie = stanowisko == 0 ? 1 : 0; // Ola practises her difficult facts
        z.pytania = {{7, 8, stanowisko == 0 ? "56" : "54", stanowisko == 0, 600}};
        dziennik.Zapisz(z);
        if (stanowisko == 1) {
            // A minute before, she missed 23 + 45 too.
            z.koniecMs -= 60000;
            z.dzialanie = DzialanieDodawanie;
            z.pytania = {{23, 45, "67", false, 900}};
            dziennik.Zapisz(z);
        }
        ASSERT_TRUE(dziennik.Dokoncz(5s));
        if (stanowisko == 0) {
            BazaWynikow b(plik, {BazaWynikow::Tryb::Odczyt});
            std::vector<BazaWynikow::DoWyslania> czeka;
            ASSERT_TRUE(b.Niewyslane(10, czeka));
            ASSERT_EQ(czeka.size(), 1u);
            // As the server writes a uuid: 8-4-4-4-12 hex digits.
            uidOli = czeka[0].uid;
            ASSERT_EQ(uidOli.size(), 32);
            uidOli.insert(20, '-').insert(16, '-').insert(12, '-').insert(8, '-');
        }
        konf.stanowisko = QStringLiteral("s%1").arg(stanowisko);
        NadawcaKlasy nadawca(konf, std::make_shared<SkrzynkaDziennika>(plik), kSzybko);
        ASSERT_TRUE(Czekaj([&] {
            BazaWynikow b(plik, {BazaWynikow::Tryb::Odczyt});
            std::vector<BazaWynikow::DoWyslania> zostalo;
            return b.Niewyslane(10, zostalo) && zostalo.empty();
        }, 20s)) << "the journal never marked its drill sent";
    }
    EXPECT_EQ(Liczba(klasa), 3);
    EXPECT_EQ(Liczba(klasa, QStringLiteral("answers")), 3);

    // The teacher's results window lists the class's children, and one of
    // them shows her drill.
    test::ZapisaneKomunikaty komunikaty;
    TFrmWyniki wyniki(nullptr, tmp.filePath("s0/wyniki.sqlite"), &komunikaty, nullptr, nullptr, &konf);
    auto* combo = wyniki.findChild<QComboBox*>("ComboDziecko");
    ASSERT_TRUE(Czekaj([&] { return combo->count() == 4; }, 10s)) << combo->count();
    QStringList pozycje;
    for (int i = 0; i < combo->count(); ++i) pozycje << combo->itemText(i);
    EXPECT_EQ(pozycje, (QStringList{"Wszystkie dzieci", "Klasa 4c: cała klasa", QString::fromUtf8("Klasa 4c: Łucja \"Ł\"; ;"),
                                    "Klasa 4c: Ola"}));

    // It opens on the class: each child's drills, mean grade and where it
    // last practised, and who misses which fact.
    auto* zakladki = wyniki.findChild<QTabWidget*>("Zakladki");
    EXPECT_EQ(zakladki->currentWidget()->objectName(), "StronaKlasy");
    EXPECT_EQ(combo->currentIndex(), 1);
    auto* tabela = wyniki.findChild<QTableWidget*>("TabelaKlasy");
    ASSERT_EQ(tabela->rowCount(), 2);
    const auto wiersz = [&](int w) {
        QStringList l;
        for (int k : {0, 2, 3, 5, 6}) l << tabela->item(w, k)->text();
        return l;
    };
    const QString kiedy = QDateTime::fromMSecsSinceEpoch(1796738580000LL).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    const QString kiedyLucji = QDateTime::fromMSecsSinceEpoch(1796738580001LL).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    EXPECT_EQ(wiersz(0), (QStringList{QString::fromUtf8("Łucja \"Ł\"; ;"), "2", "1,0", QString::fromUtf8("7 × 8, 23 + 45"),
                                      kiedyLucji + ", s1"}));
    EXPECT_EQ(wiersz(1), (QStringList{"Ola", "1", "6,0", "", kiedy + ", s0"}));
    // Every operation's, not only the one the window shows (multiplication).
    auto* mylone = wyniki.findChild<QListWidget*>("ListaMylonych");
    ASSERT_TRUE(Czekaj([&] { return mylone->count() == 2; }, 10s));
    const QStringList opisy{QString::fromUtf8("7 × 8 — myli 1 z 2 dzieci: Łucja \"Ł\"; ;"),
                            QString::fromUtf8("23 + 45 — myli 1 z 2 dzieci: Łucja \"Ł\"; ;")};
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(mylone->item(i)->text(), opisy[i]);
        EXPECT_EQ(mylone->item(i)->data(Qt::AccessibleTextRole).toString(), opisy[i]);
    }
    // The picture of the overview for the documentation, when asked for.
    if (const QString zrzut = qEnvironmentVariable("ZM_ZRZUT_PRZEGLADU"); !zrzut.isEmpty()) {
        wyniki.show();
        EXPECT_TRUE(wyniki.grab().save(zrzut));
    }
    // From a child of the table: her drills.
    DzieckoKlasy ola;
    ola.imie = QStringLiteral("Ola");
    static_cast<TabelaKlasy*>(tabela)->wybrano(ola);
    EXPECT_EQ(std::pair(combo->currentIndex(), zakladki->currentIndex()), std::pair(3, 0));
    auto* lista = wyniki.findChild<QTableView*>("ListaCwiczen");
    ASSERT_TRUE(Czekaj([&] { return lista->model()->rowCount() == 1; }, 10s));
    EXPECT_EQ(lista->model()->index(0, 6).data().toString(), "Ola");
    EXPECT_EQ(lista->model()->index(0, 5).data().toInt(), 6);

    // Her CSV, but never over this computer's journal.
    const QString dziennik = tmp.filePath("s0/wyniki.sqlite");
    QSignalSpy eksport(&wyniki, &TFrmWyniki::Wyeksportowano);
    for (const QString& cel : {dziennik, tmp.filePath("ola.csv")}) {
        wyniki.Eksportuj(cel);
        ASSERT_TRUE(eksport.wait(10000)) << cel.toStdString();
    }
    EXPECT_EQ(std::pair(eksport[0][0].toBool(), eksport[1][0].toBool()), std::pair(false, true));
    EXPECT_EQ(komunikaty.lista.first().tekst,
              QString("Nie można zapisać pliku %1: to jest plik z wynikami programu.").arg(dziennik));
    BazaWynikow nietknieta(dziennik, {BazaWynikow::Tryb::Odczyt});
    EXPECT_TRUE(nietknieta.Otwarcie());
    QFile csv(tmp.filePath("ola.csv"));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const QList<QByteArray> wiersze = csv.readAll().split('\n');
    ASSERT_EQ(wiersze.size(), 3); // the header, her drill, the end
    // Numbered by the drill's id, so her questions' CSV joins it.
    // Each drill with its class and the workstation it was made on.
    EXPECT_EQ(QString::fromUtf8(wiersze[0]),
              QString::fromUtf8("\xEF\xBB\xBFNr ćwiczenia;Dziecko;Klasa;Stanowisko;Data;Działanie;Pytania;Tempo;Lektor;"
                                "Losowanie;Dobre;Złe;Ocena\r"));
    EXPECT_EQ(QString::fromUtf8(wiersze[1]),
              uidOli + ";Ola;4c;s0;" + kiedy + QString::fromUtf8(";Mnożenie;1;Średnie;nie;trudne;1;0;6\r"));
    // The whole class's questions, the same way.
    wyniki.findChild<QComboBox*>("ComboDziecko")->setCurrentIndex(1);
    wyniki.Eksportuj(tmp.filePath("pytania.csv"), true);
    ASSERT_TRUE(eksport.wait(10000));
    EXPECT_TRUE(eksport[2][0].toBool());
    QFile pytania(tmp.filePath("pytania.csv"));
    ASSERT_TRUE(pytania.open(QIODevice::ReadOnly));
    const QString naglowekPytan = QString::fromUtf8(
        "\xEF\xBB\xBFNr ćwiczenia;Dziecko;Klasa;Stanowisko;Data;Działanie;Liczba 1;Liczba 2;Wynik;Odpowiedź;Dobrze;"
        "Czas (ms)\r\n");
    QStringList linie = QString::fromUtf8(pytania.readAll()).split(QStringLiteral("\r\n"));
    ASSERT_EQ(linie.size(), 5) << linie.join('|').toStdString(); // the header, Łucja's two, Ola's, the end
    EXPECT_EQ(linie[0], naglowekPytan.chopped(2));
    EXPECT_EQ(linie[3].left(37), uidOli + ";");
    // After each drill's id (36 characters and the ";"), newest first.
    const QString lucja = QString::fromUtf8("\"Łucja \"\"Ł\"\"; ;\";4c;s1;");
    EXPECT_EQ(QStringList({linie[1].mid(37), linie[2].mid(37), linie[3].mid(37)}),
              QStringList({lucja + kiedyLucji + QString::fromUtf8(";Mnożenie;7;8;56;54;nie;600"),
                           lucja + DataCwiczenia(1796738580001LL - 60000) + ";Dodawanie;23;45;68;67;nie;900",
                           "Ola;4c;s0;" + kiedy + QString::fromUtf8(";Mnożenie;7;8;56;56;tak;600")}));
}

TEST(KonfiguracjaKlasy, IsReadWhenRightAndRefusedWithItsReasonWhenNot)
{
    QTemporaryDir tmp;
    const QString plik = tmp.filePath("klasa.conf"), dostep = tmp.filePath("stanowisko.dostep");
    const auto zapisz = [](const QString& p, const QByteArray& t) {
        QFile f(p);
        return f.open(QIODevice::WriteOnly) && f.write(t) == t.size();
    };
    ASSERT_TRUE(zapisz(dostep, "uzytkownik = zoltava_stanowisko\nhaslo = \" hasło z końcami \"\n"));
    ASSERT_TRUE(zapisz(tmp.filePath("nauczyciel.dostep"), "uzytkownik = zoltava_nauczyciel\n"));
    const QByteArray dobra = "# sala 12\nserwer = szkola.lan\n  port=6543\nbaza = zoltava_klasa\nklasa = 3b\n"
                             "dostep = " +
                             dostep.toUtf8() + "\ntls = verify-full\ntls_ca = /etc/ssl/szkola.pem\n";

    EXPECT_EQ(WczytajKonfiguracjeKlasy(plik).stan, WczytanieKlasy::Stan::Wylaczona);
    ASSERT_TRUE(zapisz(plik, dobra));
    WczytanieKlasy w = WczytajKonfiguracjeKlasy(plik);
    ASSERT_EQ(w.stan, WczytanieKlasy::Stan::Wlaczona) << w.blad.toStdString();
    const KonfiguracjaKlasy& k = w.konfiguracja;
    EXPECT_EQ(QStringList({k.serwer, QString::number(k.port), k.baza, k.klasa, k.stanowisko, k.stanowiska.uzytkownik,
                           k.stanowiska.haslo, k.tls, k.tlsCa}),
              QStringList({"szkola.lan", "6543", "zoltava_klasa", "3b", QSysInfo::machineHostName(),
                           "zoltava_stanowisko", " hasło z końcami ", "verify-full", "/etc/ssl/szkola.pem"}));
    EXPECT_FALSE(k.nauczyciel);

    const QString poczatek = "Plik konfiguracji klasy " + plik + ": ";
    const QString koniec = ". Wyniki nie trafiają na serwer klasy, zostają na tym komputerze.";
    const struct {
        QByteArray tresc;
        QString blad;
    } zle[] = {
        {QByteArray(dobra).replace("baza = zoltava_klasa\n", ""), "brak klucza „baza”"},
        {dobra + "serwerr = x\n", "wiersz 9: nieznany klucz „serwerr”"},
        {dobra + "klasa = 3c\n", "wiersz 9: klucz „klasa” powtórzony"},
        {QByteArray(dobra).replace("port=6543", "port=65536"), "„port” musi być liczbą od 1 do 65535"},
        {QByteArray(dobra).replace("verify-full", "tak"),
         "„tls” musi być jednym z: disable, allow, prefer, require, verify-ca, verify-full"},
        {QByteArray(dobra).replace("stanowisko.dostep", "brak.dostep"),
         "plik dostępu " + tmp.filePath("brak.dostep") + ": nie ma takiego pliku"},
        {dobra + "stanowisko\n", "wiersz 9: brak znaku „=” (oczekiwano „klucz = wartość”)"},
        // Neither the workstations' file nor the teacher's.
        {QByteArray(dobra).replace("dostep = " + dostep.toUtf8() + "\n", ""), "brak klucza „dostep”"},
    };
    for (const auto& z : zle) {
        ASSERT_TRUE(zapisz(plik, z.tresc));
        w = WczytajKonfiguracjeKlasy(plik);
        EXPECT_EQ(w.stan, WczytanieKlasy::Stan::Blad);
        EXPECT_EQ(w.blad, poczatek + z.blad + koniec);
    }
    // A teacher's file the user can read but that lacks the password; a
    // FIFO in place of the file never blocks.
    ASSERT_TRUE(zapisz(plik, dobra + "dostep_nauczyciela = " + tmp.filePath("nauczyciel.dostep").toUtf8() + "\n"));
    w = WczytajKonfiguracjeKlasy(plik);
    EXPECT_EQ(w.stan, WczytanieKlasy::Stan::Wlaczona);
    EXPECT_EQ(w.konfiguracja.bladNauczyciela, "Plik dostępu nauczyciela " + tmp.filePath("nauczyciel.dostep") +
                                                  ": brak klucza „haslo”. Wyniki klasy nie są dostępne.");
    // A teacher's computer: the teacher's file alone gives the class's view
    // and sends nothing.
    const QString nauczyciela = tmp.filePath("nauczyciel-pelny.dostep");
    ASSERT_TRUE(zapisz(nauczyciela, "uzytkownik = zoltava_nauczyciel\nhaslo = tajne\n"));
    ASSERT_TRUE(zapisz(plik, QByteArray(dobra).replace("dostep = " + dostep.toUtf8(),
                                                       "dostep_nauczyciela = " + nauczyciela.toUtf8())));
    w = WczytajKonfiguracjeKlasy(plik);
    ASSERT_EQ(w.stan, WczytanieKlasy::Stan::Wlaczona) << w.blad.toStdString();
    EXPECT_EQ(std::make_tuple(w.konfiguracja.wysyla, w.konfiguracja.stanowiska.uzytkownik, w.konfiguracja.plik),
              std::make_tuple(false, QString(), plik));
    ASSERT_TRUE(w.konfiguracja.nauczyciel);
    EXPECT_EQ(QStringList({w.konfiguracja.nauczyciel->uzytkownik, w.konfiguracja.nauczyciel->haslo}),
              QStringList({"zoltava_nauczyciel", "tajne"}));
    EXPECT_TRUE(WczytajKonfiguracjeKlasy(plik).konfiguracja.bladNauczyciela.isEmpty());
    QFile::remove(plik);
    ASSERT_EQ(mkfifo(QFile::encodeName(plik).constData(), 0600), 0);
    EXPECT_EQ(WczytajKonfiguracjeKlasy(plik).blad, poczatek + "to nie jest zwykły plik" + koniec);
}

// libpq is opened at the first connection: a workstation without it, or
// with a library of that name lacking a function, gets the reason.
TEST(BibliotekaPq, IsOpenedWholeOrRefusedWithItsReason)
{
    QString blad;
    EXPECT_EQ(pg::OtworzBiblioteke("libpq-nie-ma.so.5", blad), nullptr);
    EXPECT_EQ(blad, "brak biblioteki libpq-nie-ma.so.5 (pakiet libpq5)");
    EXPECT_EQ(pg::OtworzBiblioteke("libc.so.6", blad), nullptr);
    EXPECT_EQ(blad, "biblioteka libc.so.6 nie ma funkcji PQconnectdbParams (pakiet libpq5)");

    KonfiguracjaKlasy k;
    k.serwer = QStringLiteral("szkola.lan");
    EXPECT_EQ(OpisPrzyczyny({PrzyczynaKlasy::Biblioteka, blad, blad}, k, {}),
              "Nie można połączyć się z serwerem klasy szkola.lan:5432: biblioteka libc.so.6 nie ma funkcji "
              "PQconnectdbParams (pakiet libpq5).");
}

TEST_F(Klasa, EachDrillGoesWholeAndCorrectOrStaysWithItsReason)
{
    const KonfiguracjaKlasy k = serwer->Konfiguracja(QStringLiteral("8c"));
    std::vector<CwiczenieKlasy> c;
    for (int n = 0; n < 6; ++n)
        c.push_back(Cwiczenie("Ola", 7, n));
    // Another drill under the first one's id, as the server spells it too.
    c[1].id.clear();
    for (const char z : c[0].id)
        c[1].id += char(std::toupper(static_cast<unsigned char>(z)));
    c[2].zapis.pytania.pop_back(); // an answer the journal could not read
    c[3].imie = "  ";
    c[5].id = c[4].id; // two drills of one id
    auto skrzynka = std::make_shared<SkrzynkaWPamieci>();
    for (const CwiczenieKlasy& x : c)
        skrzynka->Dodaj(x);
    QStringList komunikaty;
    {
        NadawcaKlasy nadawca(k, skrzynka, kSzybko);
        QObject::connect(&nadawca, &NadawcaKlasy::Niedostepna, [&](const QString& t) { komunikaty << t; });
        ASSERT_TRUE(Czekaj([&] { return skrzynka->Oznaczone().size() == 1 && !komunikaty.isEmpty(); }, 20s));
    }
    EXPECT_EQ(skrzynka->Oznaczone(), std::vector<std::string>{c[0].id});
    EXPECT_EQ(skrzynka->Czekajace(), (std::vector<std::string>{c[1].id, c[2].id, c[3].id, c[4].id, c[4].id}));
    EXPECT_EQ(komunikaty, QStringList{QStringLiteral("Ćwiczenie nie zostało wysłane na serwer klasy %1: na serwerze "
                                                     "jest już inne ćwiczenie o tym samym identyfikatorze (%2). To "
                                                     "ćwiczenie zostaje na tym komputerze.")
                                          .arg(k.serwer, QString::fromStdString(c[1].id))});
    OdczytKlasy odczyt(k);
    EXPECT_TRUE(Takie(NaSerwerze(odczyt, QStringLiteral("Ola")), Wyslane({c[0], c[4]})));

    // An outbox that cannot be read is tried again; one that cannot mark
    // its drills sent is not a loop of resending.
    auto nieczytelna = std::make_shared<SkrzynkaWPamieci>();
    nieczytelna->bledyOdczytu = 3;
    nieczytelna->Dodaj(Cwiczenie("Ala", 7, 6));
    auto nieoznaczajaca = std::make_shared<SkrzynkaWPamieci>(1000);
    nieoznaczajaca->Dodaj(Cwiczenie("Ela", 7, 7));
    {
        NadawcaKlasy a(k, nieczytelna, kSzybko);
        NadawcaKlasy b(k, nieoznaczajaca, NadawcaKlasy::Tempo{300ms, 300ms, 20});
        EXPECT_TRUE(Czekaj([&] { return nieczytelna->Czekajace().empty(); }, 10s)) << nieczytelna->Zapytania();
        std::this_thread::sleep_for(1500ms);
    }
    // At most one read per pause of 0.24–0.36 s, and the first.
    EXPECT_LE(nieoznaczajaca->Zapytania(), 10);
    EXPECT_EQ(Liczba(k.klasa), 4);
}

TEST_F(Klasa, TheTeachersReadsSkipRowsTheServerShouldNotHoldAndNeverComputeWithThem)
{
    const KonfiguracjaKlasy k = serwer->Konfiguracja(QStringLiteral("8a"));
    auto skrzynka = std::make_shared<SkrzynkaWPamieci>();
    const CwiczenieKlasy dzielenie = Cwiczenie("Ola", 6, 1);
    skrzynka->Dodaj(dzielenie);
    {
        NadawcaKlasy nadawca(k, skrzynka, kSzybko);
        ASSERT_TRUE(Czekaj([&] { return skrzynka->Czekajace().empty(); }, 20s));
    }
    // Rows an older server took from a forging workstation: a drill that
    // ended at 'infinity', and a division of -2147483648 by -1.
    ASSERT_TRUE(serwer->Skrypt(
        {QStringLiteral("-c"),
         QStringLiteral(
             "ALTER TABLE zoltava.drills DROP CONSTRAINT drills_ended_at_range;"
             "ALTER TABLE zoltava.answers DROP CONSTRAINT answers_operands_range;"
             "INSERT INTO zoltava.drills (id, class, workstation, child, ended_at, operation, questions, pace_ms,"
             " narrator, good, bad, grade) VALUES"
             " ('00000000-0000-0000-0000-0000000000a1', '8a', 'pc', 'Ola', 'infinity', 1, 1, 20, false, 1, 0, 6),"
             " ('00000000-0000-0000-0000-0000000000a2', '8a', 'pc', 'Ola', '2026-01-01 12:00+00', 1, 1, 20, false,"
             " 1, 0, 6);"
             "INSERT INTO zoltava.answers VALUES ('00000000-0000-0000-0000-0000000000a1', 1, 56, 8, '7', true, 5),"
             " ('00000000-0000-0000-0000-0000000000a2', 1, -2147483648, -1, '0', true, 5);")}));

    OdczytKlasy odczyt(k);
    const auto dzieci = odczyt.Dzieci();
    ASSERT_TRUE(dzieci) << odczyt.Blad().toStdString();
    ASSERT_EQ(dzieci->size(), 1u);
    EXPECT_EQ((*dzieci)[0].cwiczen, 2);
    const auto cwiczenia = odczyt.Cwiczenia(QStringLiteral("Ola"), true);
    ASSERT_TRUE(cwiczenia) << odczyt.Blad().toStdString();
    ASSERT_EQ(cwiczenia->size(), 2u);
    EXPECT_EQ((*cwiczenia)[1].id, QStringLiteral("00000000-0000-0000-0000-0000000000a2"));
    EXPECT_TRUE((*cwiczenia)[1].zapis.pytania.empty());
    EXPECT_EQ(Opis((*cwiczenia)[0].id.toStdString(), (*cwiczenia)[0].zapis), Opis(dzielenie.id, dzielenie.zapis));
    for (const CwiczenieZKlasy& c : *cwiczenia)
        for (const PytanieCwiczenia& p : c.zapis.pytania)
            EXPECT_FALSE(WierszCsvPytania(c.zapis, p, c.imie).isEmpty());
    const auto fakty = odczyt.Fakty(DzialanieDzielenie);
    ASSERT_TRUE(fakty) << odczyt.Blad().toStdString();
    int pytan = 0;
    for (const FaktKlasy& f : *fakty)
        pytan += f.ile;
    EXPECT_EQ(pytan, 10);
}

TEST_F(Klasa, AServerMovedToANewerSchemaWhileSendingGetsNoMoreDrills)
{
    const KonfiguracjaKlasy k = serwer->Konfiguracja(QStringLiteral("8d"));
    auto skrzynka = std::make_shared<SkrzynkaWPamieci>(0, 50ms);
    for (int n = 0; n < 200; ++n)
        skrzynka->Dodaj(Cwiczenie("Ola", 8, n));
    QStringList komunikaty;
    NadawcaKlasy nadawca(k, skrzynka, NadawcaKlasy::Tempo{20ms, 100ms, 2});
    QObject::connect(&nadawca, &NadawcaKlasy::Niedostepna, [&](const QString& t) { komunikaty << t; });
    ASSERT_TRUE(Czekaj([&] { return Liczba(k.klasa) >= 10; }, 20s));
    ASSERT_EQ(serwer->Wartosc(QStringLiteral("UPDATE zoltava.schema_version SET version = 3 RETURNING version")),
              QStringLiteral("3"));
    const int przed = Liczba(k.klasa);
    const bool powiedziano = Czekaj([&] { return !komunikaty.isEmpty(); }, 10s);
    std::this_thread::sleep_for(300ms);
    const int po = Liczba(k.klasa);
    serwer->Wartosc(QStringLiteral("UPDATE zoltava.schema_version SET version = 2"));
    ASSERT_TRUE(powiedziano);
    EXPECT_LE(po - przed, 2) << "drills sent to a newer schema";
    EXPECT_EQ(komunikaty, QStringList{QStringLiteral("Baza „%1” na serwerze klasy %2 pochodzi z nowszej wersji "
                                                     "programu (schemat 3, ten program zna 2).")
                                              .arg(k.baza, k.serwer) +
                                          kCzekaja});
}

TEST_F(Klasa, TheTeachersReadsComeInPages)
{
    const QString klasa = QStringLiteral("8b");
    // 1,005 children of one drill each; Ola's five drills, two of them at
    // one time.
    ASSERT_TRUE(serwer->Psql(
        test::SerwerPostgres::kBaza,
        {QStringLiteral("-c"),
         QStringLiteral("INSERT INTO zoltava.drills (id, class, workstation, child, ended_at, operation, questions,"
                        " pace_ms, narrator, good, bad, grade)"
                        " SELECT gen_random_uuid(), '8b', 'pc', 'Dziecko ' || i, '2027-01-01 00:00+00', 0, 1, 20,"
                        " false, 1, 0, 6 FROM generate_series(1, 1005) i;"
                        "INSERT INTO zoltava.drills (id, class, workstation, child, ended_at, operation, questions,"
                        " pace_ms, narrator, good, bad, grade) VALUES"
                        " ('00000000-0000-0000-0000-0000000000b1', '8b', 'pc', 'Ola', '2027-01-01 10:00+00', 0, 1, 20, false, 1, 0, 1),"
                        " ('00000000-0000-0000-0000-0000000000b2', '8b', 'pc', 'Ola', '2027-01-01 11:00+00', 0, 1, 20, false, 1, 0, 2),"
                        " ('00000000-0000-0000-0000-0000000000b3', '8b', 'pc', 'Ola', '2027-01-01 11:00+00', 0, 1, 20, false, 1, 0, 3),"
                        " ('00000000-0000-0000-0000-0000000000b4', '8b', 'pc', 'Ola', '2027-01-01 12:00+00', 0, 1, 20, false, 1, 0, 4),"
                        " ('00000000-0000-0000-0000-0000000000b5', '8b', 'pc', 'Ola', '2027-01-01 13:00+00', 0, 1, 20, false, 1, 0, 5)")}));
    OdczytKlasy odczyt(serwer->Konfiguracja(klasa));
    std::vector<std::uint8_t> oceny;
    std::optional<CwiczenieZKlasy> po;
    for (int strona = 0; strona < 4; ++strona) {
        const auto cwiczenia = odczyt.Cwiczenia(QStringLiteral("Ola"), false, po ? &*po : nullptr, 2);
        ASSERT_TRUE(cwiczenia) << odczyt.Blad().toStdString();
        for (const CwiczenieZKlasy& c : *cwiczenia)
            oceny.push_back(c.zapis.ocena);
        if (cwiczenia->empty()) break;
        po = cwiczenia->back();
    }
    EXPECT_EQ(oceny, (std::vector<std::uint8_t>{5, 4, 3, 2, 1}));
    bool obcieto = false;
    const auto dzieci = odczyt.Dzieci(&obcieto);
    ASSERT_TRUE(dzieci) << odczyt.Blad().toStdString();
    EXPECT_EQ(dzieci->size(), 1000u);
    EXPECT_TRUE(obcieto);
    QSet<QString> imiona;
    for (const DzieckoKlasy& d : *dzieci)
        imiona.insert(d.imie);
    EXPECT_EQ(imiona.size(), 1000);
}

TEST_F(Klasa, AWorkstationsLoginSeesNoValuesOfAnotherWhileItSendsNorEndsItsSessions)
{
    const KonfiguracjaKlasy k = serwer->Konfiguracja(QStringLiteral("9a"));
    auto skrzynka = std::make_shared<SkrzynkaWPamieci>(0, 2ms);
    std::vector<std::string> ids;
    for (int n = 0; n < 400; ++n) {
        skrzynka->Dodaj(Cwiczenie("Tajemnica Zosi", 9, n));
        ids.push_back(skrzynka->Czekajace().back());
    }
    // Another workstation's login, reading every session's statement while
    // the first sends.
    pg::Polaczenie podgladacz;
    ASSERT_TRUE(Polacz(podgladacz, k, k.stanowiska)) << podgladacz.Blad().toStdString();
    int widziane = 0;
    QStringList teksty;
    {
        NadawcaKlasy nadawca(k, skrzynka, NadawcaKlasy::Tempo{20ms, 100ms, 1});
        QStringList kody;
        while (!skrzynka->Czekajace().empty()) {
            const pg::Wynik w = podgladacz.Wykonaj("SELECT query, pid FROM pg_stat_activity"
                                                   " WHERE pid <> pg_backend_pid() AND query LIKE '%add_drill%'");
            ASSERT_TRUE(w.Dobry()) << w.Komunikat().toStdString();
            for (int i = 0; i < w.Wiersze(); ++i, ++widziane)
                if (!teksty.contains(w.Tekst(i, 0))) teksty << w.Tekst(i, 0);
            // The sending session cannot be ended or cancelled by another
            // login of the role.
            if (w.Wiersze() > 0 && kody.isEmpty())
                for (const char* sql : {"SELECT pg_terminate_backend(CAST($1 AS integer))",
                                        "SELECT pg_cancel_backend(CAST($1 AS integer))"})
                    kody << podgladacz.Wykonaj(sql, {pg::Tekst(w.Tekst(0, 1))}).Kod();
        }
        EXPECT_EQ(kody, (QStringList{"42501", "42501"}));
    }
    EXPECT_GT(widziane, 0) << "the statements were never seen being sent";
    for (const QString& t : teksty) {
        EXPECT_FALSE(t.contains(QStringLiteral("Tajemnica"))) << t.toStdString();
        EXPECT_FALSE(t.contains(QStringLiteral("9a"))) << t.toStdString();
        for (const std::string& id : ids)
            ASSERT_FALSE(t.contains(QString::fromStdString(id))) << t.toStdString();
    }
    EXPECT_EQ(Liczba(k.klasa), 400);
    // The server logs every statement, but not the setup's passwords.
    QFile log(serwer->Log());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QByteArray zapis = log.readAll();
    EXPECT_TRUE(zapis.contains("add_drill"));
    EXPECT_FALSE(zapis.contains(test::SerwerPostgres::kHasloStanowisk));
    EXPECT_FALSE(zapis.contains(test::SerwerPostgres::kHasloNauczyciela));
}

TEST_F(Klasa, TheRosterKeepsAChildThroughARenameAndTellsTwoOfOneNameApart)
{
    const KonfiguracjaKlasy k = serwer->Konfiguracja(QStringLiteral("9b"));
    OdczytKlasy nauczyciel(k);
    // A list pasted by the teacher: blank lines, blanks at the ends and a
    // repeat; then a second Ola, told apart by a note.
    EXPECT_EQ(nauczyciel.ImportujListe(QStringLiteral("Ania Nowak\n\n  Ola \nAnia Nowak\n")), 2);
    EXPECT_EQ(nauczyciel.ImportujListe(QStringLiteral("Ola\n")), 0);
    const auto ola2 = nauczyciel.DodajDoListy(QStringLiteral("Ola"), QStringLiteral("z 2a"));
    ASSERT_TRUE(ola2) << nauczyciel.Blad().toStdString();
    EXPECT_FALSE(nauczyciel.DodajDoListy(QStringLiteral("  ")));
    EXPECT_EQ(nauczyciel.Blad(), QStringLiteral("Imię dziecka nie może być puste."));
    const auto lista = nauczyciel.Dzieci();
    ASSERT_TRUE(lista && lista->size() == 3u) << nauczyciel.Blad().toStdString();
    const std::int64_t ania = (*lista)[0].id, ola1 = (*lista)[1].id;
    EXPECT_EQ((*lista)[0].imie, QStringLiteral("Ania Nowak"));
    EXPECT_EQ(std::make_tuple((*lista)[1].imie, (*lista)[1].uwaga, (*lista)[2].id, (*lista)[2].uwaga),
              std::make_tuple(QStringLiteral("Ola"), QString(), *ola2, QStringLiteral("z 2a")));

    // Ania on two workstations, under whatever name each knows her by; the
    // second Ola once; a drill by name only; a child of another class's
    // roster, refused.
    OdczytKlasy innaKlasa(serwer->Konfiguracja(QStringLiteral("9c")));
    const auto obcy = innaKlasa.DodajDoListy(QStringLiteral("Obcy"));
    ASSERT_TRUE(obcy);
    std::vector<CwiczenieKlasy> c;
    for (int n = 0; n < 5; ++n)
        c.push_back(Cwiczenie(n == 1 ? "Ania z pc-2" : "Ola", 10, n));
    c[0].idListy = c[1].idListy = ania;
    c[2].idListy = *ola2;
    c[4].idListy = *obcy;
    for (int s = 0; s < 2; ++s) {
        KonfiguracjaKlasy ks = k;
        ks.stanowisko = QStringLiteral("pc-%1").arg(s + 1);
        auto skrzynka = std::make_shared<SkrzynkaWPamieci>();
        for (int n = s; n < 5; n += 2)
            skrzynka->Dodaj(c[std::size_t(n)]);
        NadawcaKlasy nadawca(ks, skrzynka, kSzybko);
        ASSERT_TRUE(Czekaj([&] { return skrzynka->Oznaczone().size() == 2u; }, 20s));
    }
    // The teacher renames Ania: her history stays hers.
    ASSERT_TRUE(nauczyciel.ZmienNaLiscie(ania, QStringLiteral("Anna Nowak"), QStringLiteral("")));
    EXPECT_FALSE(nauczyciel.ZmienNaLiscie(*obcy, QStringLiteral("Cudzy"), QStringLiteral("")));
    // The overview, the week starting at Ania's second drill: drill n has
    // grade 1 + n and ends a minute after drill n - 1.
    const auto dzieci = nauczyciel.Dzieci(nullptr, c[1].zapis.koniecMs, true);
    ASSERT_TRUE(dzieci) << nauczyciel.Blad().toStdString();
    using Wiersz = std::tuple<std::int64_t, QString, QString, int, QStringList, int, std::optional<double>,
                              std::optional<double>, QString>;
    std::vector<Wiersz> widok;
    for (const DzieckoKlasy& d : *dzieci)
        widok.emplace_back(d.id, d.imie, d.uwaga, d.cwiczen, d.stanowiska, d.wTygodniu, d.sredniaOcen, d.trend,
                           d.ostatnieStanowisko);
    EXPECT_EQ(widok, (std::vector<Wiersz>{{ania, "Anna Nowak", "", 2, {"pc-1", "pc-2"}, 1, 1.5, 1.0, "pc-2"},
                                          {0, "Ola", "", 1, {"pc-2"}, 1, 4.0, std::nullopt, "pc-2"},
                                          {ola1, "Ola", "", 0, {}, 0, std::nullopt, std::nullopt, ""},
                                          {*ola2, "Ola", "z 2a", 1, {"pc-1"}, 1, 3.0, std::nullopt, "pc-1"}}));
    // As the teacher's window shows it.
    TabelaKlasy tabela;
    tabela.Ustaw(*dzieci);
    QStringList pierwszy, trzeci;
    for (int kolumna = 0; kolumna < tabela.columnCount(); ++kolumna) {
        pierwszy << tabela.item(0, kolumna)->text();
        trzeci << tabela.item(3, kolumna)->text();
    }
    // Ania missed 3 × 6, 6 × 9, 9 × 5 and 5 × 8 in drill 0 and 48 : 8, 36 : 4
    // and 35 : 7 in drill 1, each once: the first three by operation and
    // operands.
    EXPECT_EQ(pierwszy, (QStringList{"Anna Nowak", "1", "2", "1,5", "↑ +1,0", "3 × 6, 5 × 8, 6 × 9",
                                     DataCwiczenia(c[1].zapis.koniecMs) + ", pc-2"}));
    EXPECT_EQ(trzeci[0], "Ola (z 2a)");
    EXPECT_EQ(trzeci.mid(1, 4), (QStringList{"1", "1", "3,0", "–"}));
    EXPECT_EQ(trzeci[6], DataCwiczenia(c[2].zapis.koniecMs) + ", pc-1");
    EXPECT_EQ(tabela.item(2, 5)->text(), ""); // the first Ola has not practised
    EXPECT_EQ(PoczatekTygodniaMs(QDateTime(QDate(2026, 12, 10), QTime(15, 0))),
              QDateTime(QDate(2026, 12, 7), QTime(0, 0)).toMSecsSinceEpoch());

    OdczytKlasy odczyt(k);
    std::vector<std::string> jej;
    for (const CwiczenieZKlasy& x : odczyt.Cwiczenia(KtoWKlasie(ania, {}), true).value_or(std::vector<CwiczenieZKlasy>{})) {
        EXPECT_EQ(x.imie, QStringLiteral("Anna Nowak"));
        jej.push_back(Opis(x.id.toStdString(), x.zapis));
    }
    EXPECT_TRUE(Takie(jej, Wyslane({c[0], c[1]})));
    // By name: every drill under "Ola" now, the roster's and the others.
    EXPECT_EQ(NaSerwerze(odczyt, QStringLiteral("Ola")).size(), 2u);
    // As a row of the overview: the drills under the name alone, not the
    // second Ola's again (the window and the class's CSV name it so).
    const auto tylkoImie = odczyt.Cwiczenia(KtoWKlasie((*dzieci)[1]), true);
    ASSERT_TRUE(tylkoImie && tylkoImie->size() == 1u);
    EXPECT_EQ(Opis((*tylkoImie)[0].id.toStdString(), (*tylkoImie)[0].zapis), Wyslane({c[3]})[0]);
    ASSERT_TRUE(nauczyciel.UsunZListy(ola1));
    EXPECT_EQ(nauczyciel.Dzieci().value_or(std::vector<DzieckoKlasy>{}).size(), 3u);
}

TEST_F(Klasa, AChildWhoPicksTheirNameFromTheRosterOnTwoWorkstationsIsOneChildWithOneHistory)
{
    const KonfiguracjaKlasy k = serwer->Konfiguracja(QStringLiteral("9d"));
    OdczytKlasy nauczyciel(k);
    const auto ania = nauczyciel.DodajDoListy(QStringLiteral("Ania"));
    ASSERT_TRUE(ania) << nauczyciel.Blad().toStdString();
    QTemporaryDir tmp;
    for (int s = 0; s < 2; ++s) {
        const QString plik = tmp.filePath(QStringLiteral("s%1/wyniki.sqlite").arg(s));
        DziennikWynikow dziennik(plik);
        ListaDzieci dzieci([&](const ZmianaDziecka& z) { dziennik.ZmienDziecko(z); });
        std::int64_t id = 0;
        // The second computer has an "Ania" of its own already.
        if (s == 1) {
            ASSERT_EQ(dzieci.Dodaj(QStringLiteral("Ania"), id), "");
        }
        KonfiguracjaKlasy ks = k;
        ks.stanowisko = QStringLiteral("s%1").arg(s);
        NadawcaKlasy nadawca(ks, std::make_shared<SkrzynkaDziennika>(plik), kSzybko);
        // The roster as the sender fetched it, kept for when the server is away.
        ASSERT_TRUE(Czekaj([&] { return ListaKlasyZapisana(plik).size() == 1; }, 20s));
        EXPECT_EQ(ListaKlasyZapisana(plik), (std::vector<DzieckoListy>{{*ania, "Ania", ""}}));
        ASSERT_EQ(WybierzZListyKlasy(dzieci, plik, ListaKlasyZapisana(plik)[0]), "");
        EXPECT_EQ(dzieci.Imie(dzieci.Biezace()), s == 0 ? QStringLiteral("Ania") : QStringLiteral("Ania (%1)").arg(*ania));
        EXPECT_NE(dzieci.Biezace(), id);
        ZapisCwiczenia z = Cwiczenie("", s, 0).zapis;
        z.dziecko = dzieci.Biezace();
        dziennik.Zapisz(z);
        ASSERT_TRUE(dziennik.Dokoncz(5s));
        nadawca.Obudz();
        ASSERT_TRUE(Czekaj([&] {
            BazaWynikow b(plik, {BazaWynikow::Tryb::Odczyt});
            std::vector<BazaWynikow::DoWyslania> zostalo;
            return b.Niewyslane(10, zostalo) && zostalo.empty();
        }, 20s));
        // Chosen again: the same child of this computer.
        const std::int64_t wybrane = dzieci.Biezace();
        dzieci.Wybierz(id > 0 ? id : wybrane);
        ASSERT_EQ(WybierzZListyKlasy(dzieci, plik, ListaKlasyZapisana(plik)[0]), "");
        EXPECT_EQ(dzieci.Biezace(), wybrane);
    }
    const auto klasa = nauczyciel.Dzieci();
    ASSERT_TRUE(klasa && klasa->size() == 1u) << nauczyciel.Blad().toStdString();
    EXPECT_EQ(std::make_tuple((*klasa)[0].id, (*klasa)[0].imie, (*klasa)[0].cwiczen, (*klasa)[0].stanowiska),
              std::make_tuple(*ania, QStringLiteral("Ania"), 2, QStringList{"s0", "s1"}));
    // A file of links that cannot be read is neither written over nor taken
    // as none: no child is added and the links stay as they were.
    const QString plik = tmp.filePath(QStringLiteral("s0/wyniki.sqlite"));
    QFile powiazania(plik + QStringLiteral(".dzieci-klasy"));
    ASSERT_TRUE(powiazania.open(QIODevice::WriteOnly | QIODevice::Truncate));
    powiazania.write("{\"1\": 2, uszkodzony");
    powiazania.close();
    ListaDzieci dzieci([](const ZmianaDziecka&) {});
    const qsizetype ile = dzieci.Lista().size();
    EXPECT_EQ(WybierzZListyKlasy(dzieci, plik, {*ania + 1, "Ola", ""}),
              QStringLiteral("Nie można odczytać pliku %1.dzieci-klasy.").arg(plik));
    EXPECT_EQ(dzieci.Lista().size(), ile);
    ASSERT_TRUE(powiazania.open(QIODevice::ReadOnly));
    EXPECT_EQ(powiazania.readAll(), QByteArray("{\"1\": 2, uszkodzony"));
}

TEST_F(Klasa, AChildsPracticeRecordFollowsThemToAnotherWorkstationAndIsMergedOnce)
{
    const KonfiguracjaKlasy k = serwer->Konfiguracja(QStringLiteral("9e"));
    OdczytKlasy nauczyciel(k);
    const auto ola = nauczyciel.DodajDoListy(QStringLiteral("Ola"));
    ASSERT_TRUE(ola) << nauczyciel.Blad().toStdString();
    QTemporaryDir tmp;
    // Noon of the days of one week, local time: the schedule counts the
    // child's calendar days.
    const auto dzien = [](int d) { return QDateTime(QDate(2026, 3, 2 + d), QTime(12, 0)).toMSecsSinceEpoch(); };
    // Multiplication at the middle pace: an answer within 3 s is quick.
    const auto cwiczenie = [](std::int64_t koniecMs, std::vector<PytanieCwiczenia> pytania) {
        ZapisCwiczenia z;
        z.koniecMs = koniecMs;
        z.dzialanie = DzialanieMnozenie;
        z.iloscPytan = int(pytania.size());
        z.predkosc = PredkoscSrednio;
        for (const PytanieCwiczenia& p : pytania) ++(p.dobrze ? z.dobrze : z.zle);
        z.ocena = 3;
        z.dziecko = kPierwszeDziecko;
        z.losowanie = 1;
        z.pytania = std::move(pytania);
        return z;
    };
    using Stan = std::tuple<int, int, int, int, std::int64_t, std::int64_t, int>; // a, b, asked, missed, ms, last, box
    const auto rekord = [](const QString& plik) {
        BazaWynikow b(plik, {BazaWynikow::Tryb::Odczyt});
        RekordFaktow r;
        EXPECT_TRUE(b.Rekord(kPierwszeDziecko, r));
        std::vector<Stan> wynik;
        for (const auto& [f, s] : r) wynik.emplace_back(f.a, f.b, s.pytan, s.bledow, s.czasMs, s.ostatnioMs, s.pudelko);
        return std::pair(wynik, r);
    };
    const QString plikA = tmp.filePath("a/wyniki.sqlite"), plikB = tmp.filePath("b/wyniki.sqlite");
    const auto wyslane = [](const QString& plik) {
        BazaWynikow b(plik, {BazaWynikow::Tryb::Odczyt});
        std::vector<BazaWynikow::DoWyslania> zostalo;
        return b.Niewyslane(10, zostalo) && zostalo.empty();
    };
    {
        // Ola on workstation A, two days: 3 × 4 quick on both (box 2,
        // then box 3 on the day it was due), 5 × 6 missed, 7 × 8 right but
        // slow (box 1).
        DziennikWynikow a(plikA);
        a.Zapisz(cwiczenie(dzien(0), {{3, 4, "12", true, 1000}, {5, 6, "32", false, 2000}, {7, 8, "56", true, 5000}}));
        a.Zapisz(cwiczenie(dzien(1), {{3, 4, "12", true, 1000}}));
        ASSERT_TRUE(a.Dokoncz(5s));
        ASSERT_TRUE(PowiazZListaKlasy(plikA, kPierwszeDziecko, *ola));
        KonfiguracjaKlasy ka = k;
        ka.stanowisko = QStringLiteral("A");
        NadawcaKlasy nadawca(ka, std::make_shared<SkrzynkaDziennika>(plikA), kSzybko);
        ASSERT_TRUE(Czekaj([&] { return wyslane(plikA); }, 20s));
    }
    // On workstation B she answered 5 × 6 quickly on the third day, before
    // B knew her record.
    {
        DziennikWynikow b(plikB);
        b.Zapisz(cwiczenie(dzien(2), {{5, 6, "30", true, 1500}}));
        ASSERT_TRUE(b.Dokoncz(5s));
    }
    ASSERT_TRUE(PowiazZListaKlasy(plikB, kPierwszeDziecko, *ola));
    EXPECT_EQ(rekord(plikB).first, (std::vector<Stan>{{5, 6, 1, 0, 1500, dzien(2), 2}}));
    Ustawienia trudne;
    trudne.Tryb = Losowanie::TrudneFakty;
    PlanPytan plan;
    const RekordFaktow tylkoB = rekord(plikB).second;
    plan.Rozpocznij(trudne, &tylkoB, dzien(3));
    EXPECT_TRUE(plan.Slabe().empty());

    // She picks her name on B: B sends its drill, takes her record from the
    // server and merges it, each drill once (B's own is on both sides), in
    // the order the answers were given.
    KonfiguracjaKlasy kb = k;
    kb.stanowisko = QStringLiteral("B");
    NadawcaKlasy nadawca(kb, std::make_shared<SkrzynkaDziennika>(plikB), kSzybko);
    int scalono = 0;
    QObject::connect(&nadawca, &NadawcaKlasy::RekordScalony, [&](qint64 id) { scalono += id == *ola; });
    const std::vector<Stan> razem{{3, 4, 2, 0, 2000, dzien(1), 3},
                                  {5, 6, 2, 1, 3500, dzien(2), 2},
                                  {7, 8, 1, 0, 5000, dzien(0), 1}};
    for (int raz = 1; raz <= 2; ++raz) {
        nadawca.PobierzRekord(*ola);
        ASSERT_TRUE(Czekaj([&] { return scalono == raz; }, 20s)) << raz;
        EXPECT_TRUE(wyslane(plikB));
        EXPECT_EQ(rekord(plikB).first, razem) << raz;
    }
    // On the fourth day 5 × 6 (box 2, a day after) and 7 × 8 (box 1) are
    // due, 3 × 4 (box 3, two days after) is not; her practice on B takes
    // up 7 × 8, the one she has not answered quickly yet.
    const RekordFaktow r = rekord(plikB).second;
    std::vector<std::pair<int, int>> zalegle;
    for (const auto& [f, s] : r)
        if (Zalegly(s, dzien(3))) zalegle.emplace_back(f.a, f.b);
    EXPECT_EQ(zalegle, (std::vector<std::pair<int, int>>{{5, 6}, {7, 8}}));
    plan.Rozpocznij(trudne, &r, dzien(3));
    EXPECT_EQ(plan.Slabe(), (std::vector<Fakt>{{DzialanieMnozenie, 7, 8}}));

    // A workstation's login reads a child of its own class's roster only,
    // and only the schedule's columns.
    pg::Polaczenie stanowisko;
    ASSERT_TRUE(Polacz(stanowisko, k, k.stanowiska));
    const auto ile = [&](const char* klasa) {
        const pg::Wynik w = stanowisko.Wykonaj("SELECT count(*) FROM zoltava.child_facts($1, CAST($2 AS bigint))",
                                               {pg::Tekst(QString::fromLatin1(klasa)), pg::Liczba(*ola)});
        return w.Dobry() ? w.Int(0, 0) : -1;
    };
    EXPECT_EQ(std::pair(ile("9e"), ile("9f")), std::pair(5LL, 0LL));
}
