// The file catalogue and its checks, on copies of the installation.
#include "AssetCatalogue.h"
#include "TestSupport.h"
#include "UnitMain.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace zm;

namespace {

class Instalacja : public ::testing::Test {
protected:
    QTemporaryDir tmp;
    QString katalog;
    test::ZapisaneKomunikaty komunikaty;

    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        katalog = tmp.path();
        ASSERT_TRUE(test::KopiujInstalacje(katalog));
    }
    void usun(const QString& folder, const QString& plik) { ASSERT_TRUE(QFile::remove(katalog + "/" + folder + "/" + plik)); }
    std::unique_ptr<TFrmMain> otworz()
    {
        return test::NoweOkno(komunikaty, katalog);
    }
};

} // namespace

TEST(AssetCatalogue, VerificationOrderIsSoundsThenPictures)
{
    const auto lista = assets::DoWeryfikacji();
    ASSERT_EQ(lista.size(), 57u);
    for (std::size_t i = 0; i < lista.size(); ++i) EXPECT_EQ(lista[i].kolejnosc, static_cast<int>(i) + 1);
    EXPECT_STREQ(lista[0].nazwa, "1.wav");
    EXPECT_STREQ(lista[18].nazwa, "19.wav");
    EXPECT_STREQ(lista[19].nazwa, "20.wav");
    EXPECT_STREQ(lista[20].nazwa, "20_.wav");
    EXPECT_STREQ(lista[35].nazwa, "100.wav");
    EXPECT_STREQ(lista[37].nazwa, "dzielone_na.wav");
    EXPECT_STREQ(lista[40].nazwa, "rowna_sie.wav");
    EXPECT_STREQ(lista[41].nazwa, "0.bmp");
    EXPECT_STREQ(lista[51].nazwa, "dzielone.bmp");
    EXPECT_STREQ(lista[56].nazwa, "rowne.bmp");
    // Every catalogued file is built.
    const assets::Sciezki s(test::KatalogInstalacji());
    for (const auto& p : assets::Katalog()) EXPECT_TRUE(QFile::exists(s.Sciezka(p))) << p.nazwa;
}

TEST(AssetCatalogue, GeneratorDrawsExactlyTheCataloguedPictures)
{
    QTemporaryDir grafika, zasoby;
    QProcess gen;
    gen.start(QStringLiteral(ZM_TEST_ARTGEN), {grafika.path(), zasoby.path()});
    ASSERT_TRUE(gen.waitForFinished(60000));
    ASSERT_EQ(gen.exitCode(), 0) << gen.readAllStandardError().toStdString();
    QStringList oczekiwane;
    for (const auto& p : assets::Katalog())
        if (p.folder == assets::Folder::Graphics) oczekiwane << QString::fromLatin1(p.nazwa);
    oczekiwane.sort();
    EXPECT_EQ(QDir(grafika.path()).entryList(QDir::Files, QDir::Name), oczekiwane);
}

TEST(AssetCatalogue, MessagesReadExactly)
{
    EXPECT_EQ(assets::TekstKomunikatu(0),
              QString::fromUtf8("MERVALDO\nBrak wymaganego pliku.\nProszę przeinstalować program."));
    EXPECT_EQ(assets::TekstOstrzezenia("/x/sounds/7.wav"),
              QString::fromUtf8("Brak pliku: \n/x/sounds/7.wav\nProszę przeinstalować program.\n\n"
                                "Program można pobrać ze strony:\nwww.quorvin.example"));
}

TEST_F(Instalacja, TheFirstMissingFileInVerificationOrderIsNamed)
{
    const assets::Sciezki s(katalog);
    EXPECT_FALSE(assets::PierwszyBrakujacy(s).has_value());
    usun("sounds", "0.wav"); // not verified
    EXPECT_FALSE(assets::PierwszyBrakujacy(s).has_value());
    usun("graphics", "rowne.bmp");
    EXPECT_EQ(assets::PierwszyBrakujacy(s), s.Grafika("rowne.bmp"));
    usun("graphics", "dzielone.bmp");
    EXPECT_EQ(assets::PierwszyBrakujacy(s), s.Grafika("dzielone.bmp"));
    usun("sounds", "dzielone_na.wav");
    EXPECT_EQ(assets::PierwszyBrakujacy(s), s.Dzwiek("dzielone_na.wav"));
    usun("sounds", "20_.wav");
    EXPECT_EQ(assets::PierwszyBrakujacy(s), s.Dzwiek("20_.wav"));
    usun("sounds", "20.wav");
    EXPECT_EQ(assets::PierwszyBrakujacy(s), s.Dzwiek("20.wav"));
    usun("sounds", "19.wav");
    EXPECT_EQ(assets::PierwszyBrakujacy(s), s.Dzwiek("19.wav"));
}

TEST_F(Instalacja, ActivationWarnsOfAMissingFileAndClosesTheWindow)
{
    usun("sounds", "dzielone_na.wav");
    auto okno = otworz();
    EXPECT_TRUE(komunikaty.lista.isEmpty());
    okno->show();
    okno->SprawdzPliki();
    ASSERT_EQ(komunikaty.lista.size(), 1);
    EXPECT_EQ(komunikaty.lista[0].rodzaj, IKomunikaty::Rodzaj::Ostrzezenie);
    EXPECT_EQ(komunikaty.lista[0].tytul, "Warning");
    EXPECT_EQ(komunikaty.lista[0].tekst, assets::TekstOstrzezenia(katalog + "/sounds/dzielone_na.wav"));
    EXPECT_FALSE(okno->isVisible());
}

TEST_F(Instalacja, MissingStopPictureIsFatalOnceAndTheStartPictureStillLoads)
{
    usun("graphics", "but_STOP.bmp");
    auto okno = otworz();
    ASSERT_EQ(komunikaty.lista.size(), 1);
    EXPECT_EQ(komunikaty.lista[0].rodzaj, IKomunikaty::Rodzaj::Blad);
    EXPECT_EQ(komunikaty.lista[0].tytul, "Error");
    EXPECT_EQ(komunikaty.lista[0].tekst, assets::TekstKomunikatu(0));
    // Creation went on: the window works with an empty stop picture.
    okno->Kontroler().ButtonStartStopClick();
    EXPECT_EQ(okno->Kontroler().stan().NrPytania, 1);
    QCoreApplication::removePostedEvents(qApp); // the posted quit request
}

TEST_F(Instalacja, AfterTheFatalMessageNoOtherBoxFollows)
{
    // Both button pictures missing, and a glyph damaged: one box, and the
    // program ends.
    usun("graphics", "but_STOP.bmp");
    usun("graphics", "but_START.bmp");
    {
        QFile f(katalog + "/graphics/0.bmp");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    }
    auto okno = otworz();
    ASSERT_EQ(komunikaty.lista.size(), 1);
    EXPECT_EQ(komunikaty.lista[0].tekst, assets::TekstKomunikatu(0));
    EXPECT_TRUE(okno->Konczy());
    QCoreApplication::removePostedEvents(qApp);
}

TEST_F(Instalacja, UnreadablePictureIsNamedAndTheProgramCarriesOn)
{
    // Text with a BMP signature, a picture cut after its header or inside
    // its rows, and a pipe nobody writes to (which must not block).
    const QString sciezka = katalog + "/graphics/5.bmp";
    QFile oryginal(sciezka);
    ASSERT_TRUE(oryginal.open(QIODevice::ReadOnly));
    const QByteArray dobry = oryginal.readAll();
    oryginal.close();
    const struct {
        const char* opis;
        QByteArray dane; // empty: a pipe
        const char* komunikat;
    } przypadki[] = {{"text", "BM this is not a bitmap", "Bitmap image is not valid.\n"},
                     {"header only", dobry.left(60), "Bitmap image is not valid.\n"},
                     {"rows cut", dobry.left(dobry.size() - 1), "Bitmap image is not valid.\n"},
                     {"pipe", {}, "Cannot open file "}};
    for (const auto& p : przypadki) {
        QFile::remove(sciezka);
        if (p.dane.isEmpty()) {
            ASSERT_EQ(::mkfifo(qPrintable(sciezka), 0600), 0);
        } else {
            QFile f(sciezka);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(p.dane);
        }
        komunikaty.lista.clear();
        auto okno = otworz();
        ASSERT_EQ(komunikaty.lista.size(), 1) << p.opis;
        EXPECT_EQ(komunikaty.lista[0].tekst, QString::fromLatin1(p.komunikat) + sciezka) << p.opis;
        // The glyphs before it loaded; the question still draws without a crash.
        EXPECT_NE(okno->GlyphDla('4'), nullptr);
        EXPECT_EQ(okno->GlyphDla('5'), nullptr);
        okno->RysujPytanie(55, DzialanieMnozenie, 5);
        okno->RysujWynik("555");
    }
    // Spoilt after the load and before the first drawing: the set drawn is
    // the one loaded, pixel for pixel, and nothing is said.
    const auto zapisz = [&](const QByteArray& dane) {
        QFile::remove(sciezka);
        QFile f(sciezka);
        return f.open(QIODevice::WriteOnly) && f.write(dane) == dane.size();
    };
    ASSERT_TRUE(zapisz(dobry));
    komunikaty.lista.clear();
    auto okno = otworz();
    ASSERT_TRUE(zapisz("BM this is not a bitmap"));
    okno->RysujPytanie(55, DzialanieMnozenie, 5);
    EXPECT_TRUE(komunikaty.lista.isEmpty());
    const QImage* piec = okno->GlyphDla('5');
    ASSERT_NE(piec, nullptr);
    EXPECT_EQ(*piec, QImage::fromData(dobry, "BMP").convertToFormat(QImage::Format_RGB32));
    EXPECT_NE(okno->GlyphDla('='), nullptr);
}

TEST_F(Instalacja, DeepInstallationFolderIsNamedInFull)
{
    QString gleboki = katalog;
    while (gleboki.size() < 320) gleboki += "/katalog_z_dluga_nazwa_instalacji";
    ASSERT_TRUE(QDir().mkpath(gleboki));
    katalog = gleboki;
    ASSERT_TRUE(test::KopiujInstalacje(katalog));
    usun("sounds", "rowna_sie.wav");
    auto okno = otworz();
    EXPECT_TRUE(komunikaty.lista.isEmpty()); // the start/stop pictures are found
    okno->SprawdzPliki();
    ASSERT_EQ(komunikaty.lista.size(), 1);
    const QString tekst = komunikaty.lista[0].tekst;
    EXPECT_GT(tekst.size(), 255);
    EXPECT_TRUE(tekst.contains(katalog + "/sounds/rowna_sie.wav"));
    EXPECT_TRUE(tekst.endsWith("www.quorvin.example"));
}
