// The results window's page of the class (ResultsWindow.h): on the
// teacher's computer the window opens on it. Its children's table, the
// facts the class misses and who misses them, and what keeps the class from
// being shown (the teacher's access file, the server), said in the page.
#include "ResultsWindow.h"

#include "ClassOverview.h"
#include "ClassView.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QTabWidget>

#include <algorithm>

namespace zm {

void TFrmWyniki::wlaczKlase(const KonfiguracjaKlasy& klasa, const QString& uwaga)
{
    StronaPrzegladu = new StronaKlasy;
    Zakladki->addTab(StronaPrzegladu, QStringLiteral("Klasa %1").arg(klasa.klasa));
    Zakladki->setCurrentWidget(StronaPrzegladu);
    StronaPrzegladu->Uwaga(uwaga);
    if (!klasa.nauczyciel) return;
    klasa_ = new WidokKlasy(klasa, this);
    // From a child of the table: its drills, chart and facts.
    StronaPrzegladu->Tabela()->wybrano = [this](const DzieckoKlasy& d) {
        for (int i = 0; i < ComboDziecko->count(); ++i)
            if (ComboDziecko->itemData(i, Qt::UserRole + 1).toBool() && ComboDziecko->itemData(i, Qt::UserRole + 2) == d.imie &&
                ComboDziecko->itemData(i, Qt::UserRole + 3).toLongLong() == d.id) {
                ComboDziecko->setCurrentIndex(i);
                Zakladki->setCurrentIndex(0);
                return;
            }
    };
    klasa_->Przeglad([this, uwaga](std::vector<DzieckoKlasy> dzieci, QString blad) {
        if (!blad.isEmpty()) {
            // After what was said already (the configuration's notes).
            const QString tekst = QStringLiteral("Nie można pokazać klasy %1. %2").arg(klasa_->Klasa(), blad);
            StronaPrzegladu->Uwaga(uwaga.isEmpty() ? tekst : uwaga + QLatin1Char('\n') + tekst);
            return;
        }
        StronaPrzegladu->Tabela()->Ustaw(dzieci);
        // The class's children from the server, after this computer's;
        // the window shows the whole class.
        const int cala = ComboDziecko->count();
        ComboDziecko->addItem(QStringLiteral("Klasa %1: cała klasa").arg(klasa_->Klasa()));
        ComboDziecko->setItemData(cala, true, Qt::UserRole + 1);
        for (const DzieckoKlasy& d : dzieci) {
            // Two children of one name told apart by the teacher's note.
            ComboDziecko->addItem(d.uwaga.isEmpty() ? QStringLiteral("Klasa %1: %2").arg(klasa_->Klasa(), d.imie)
                                                    : QStringLiteral("Klasa %1: %2 (%3)").arg(klasa_->Klasa(), d.imie, d.uwaga));
            ComboDziecko->setItemData(ComboDziecko->count() - 1, true, Qt::UserRole + 1);
            ComboDziecko->setItemData(ComboDziecko->count() - 1, d.imie, Qt::UserRole + 2);
            ComboDziecko->setItemData(ComboDziecko->count() - 1, qint64(d.id), Qt::UserRole + 3);
        }
        ComboDziecko->setCurrentIndex(cala);
        // The missed facts of every operation, whichever the window shows.
        klasa_->FaktyKlasy([this, n = int(dzieci.size())](std::vector<FaktKlasy> f, QString b) {
            if (b.isEmpty()) StronaPrzegladu->UstawMylone(n, std::move(f));
        });
    });
}

} // namespace zm
