// The narrator in the window: what a wrong answer plays, and that keys typed
// while it reads never reach the next answer.
#include "TestSupport.h"
#include "UnitMain.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QThread>
#include <gtest/gtest.h>

#include <chrono>

using namespace zm;

namespace {

// Takes its time like a real voice and remembers what it played.
class WolnyOdtwarzacz final : public IOdtwarzacz {
public:
    std::vector<std::string> pliki;
    void Odtworz(const std::string& sciezka) override
    {
        pliki.push_back(sciezka.substr(sciezka.rfind('/') + 1));
        QThread::msleep(25);
    }
};

class OknoZLektorem : public ::testing::Test {
protected:
    test::ZapisaneKomunikaty komunikaty;
    WolnyOdtwarzacz glos;
    std::unique_ptr<TFrmMain> okno;
    QLineEdit* edit = nullptr;
    std::uint64_t zegarX = 500000; // the window system's clock in these events
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();

    // Milliseconds since the test began, as the window system would stamp them.
    std::uint64_t teraz() const
    {
        return static_cast<std::uint64_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
    }

    void SetUp() override
    {
        okno = test::NoweOkno(komunikaty, test::KatalogInstalacji(), &glos);
        okno->Kontroler().losowanie().UstawZiarno(77);
        edit = okno->findChild<QLineEdit*>("EditWynik");
    }

    // A key typed `poMs` milliseconds after the first one (which is handled at once).
    void klawisz(char c, std::uint64_t poMs)
    {
        const Qt::Key k = c == '\r' ? Qt::Key_Return : static_cast<Qt::Key>(Qt::Key_0 + (c - '0'));
        QKeyEvent e(QEvent::KeyPress, k, Qt::NoModifier, QString(QChar(c)));
        e.setTimestamp(zegarX + poMs);
        QApplication::sendEvent(edit, &e);
    }
    int wynik()
    {
        auto& k = okno->Kontroler();
        return WynikPoprawny(k.ustawienia().Dzialanie, k.stan().Liczba1, k.stan().Liczba2);
    }
};

} // namespace

TEST_F(OknoZLektorem, WrongAnswerIsReadWithTheCorrectResultAndARightOneIsNot)
{
    auto& k = okno->Kontroler();
    k.ButtonStartStopClick();
    k.TimerTimer();
    start = std::chrono::steady_clock::now();
    for (char c : std::to_string(wynik())) klawisz(c, teraz());
    klawisz('\r', teraz());
    k.TimerTimer();
    EXPECT_TRUE(glos.pliki.empty());

    k.TimerTimer();
    const std::string zla = std::to_string(wynik() + 1);
    for (char c : zla) klawisz(c, teraz());
    klawisz('\r', teraz());
    const int l1 = k.stan().Liczba1, l2 = k.stan().Liczba2;
    k.TimerTimer();
    // 7 * 8 = 56 reads "7", "razy", "8", "rowna_sie", "50_", "6".
    std::vector<std::string> oczekiwane;
    auto dodaj = [&](const std::string& token) {
        for (const auto& p : Narrator::PlikiSlowa(token)) oczekiwane.push_back(p);
    };
    dodaj(std::to_string(l1));
    dodaj("*");
    dodaj(std::to_string(l2));
    dodaj("=");
    dodaj(std::to_string(l1 * l2));
    EXPECT_EQ(glos.pliki, oczekiwane);
}

TEST_F(OknoZLektorem, KeysTypedDuringTheReadingAreDroppedWhateverComesFirst)
{
    auto& k = okno->Kontroler();
    k.ButtonStartStopClick();
    k.TimerTimer();
    start = std::chrono::steady_clock::now();
    klawisz('\r', 0); // nothing typed: Enter does nothing, but the clocks are matched
    for (int t = 0; t < 65; ++t) k.TimerTimer(); // 66 ticks so far
    ASSERT_TRUE(glos.pliki.empty());
    const std::uint64_t przedCzytaniem = teraz();
    k.TimerTimer(); // time out: the narrator reads for a while
    ASSERT_FALSE(glos.pliki.empty());
    const std::uint64_t poCzytaniu = teraz();
    ASSERT_GT(poCzytaniu, przedCzytaniem + 50);
    EXPECT_EQ(k.stan().NrPytania, 2);
    // The next tick comes before the keys that were typed during the reading.
    k.TimerTimer();
    klawisz('4', przedCzytaniem + 20);
    klawisz('2', poCzytaniu - 5);
    EXPECT_EQ(edit->text(), "");
    klawisz('7', poCzytaniu + 5); // typed after the reading
    EXPECT_EQ(edit->text(), "7");
}
