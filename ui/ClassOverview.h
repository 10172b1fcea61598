// The teacher's overview of the class: one row for each child (the roster's
// and every other name drills came under) with the drills this week and in
// all, the mean grade and its trend, the questions it misses most, and
// when and where the child last
// practised; and the words for a fact of the class's table (how many
// children miss it and who), for its tooltip and the screen reader. The
// results window shows the table for "cała klasa" (WidokKlasy::Dzieci gives
// the rows; a double click asks for that child's drills).
#pragma once

#include "ClassReads.h"

#include <QTableWidget>
#include <QWidget>

#include <functional>
#include <vector>

class QLabel;
class QListWidget;

namespace zm {

class TabelaKlasy : public QTableWidget {
public:
    explicit TabelaKlasy(QWidget* rodzic = nullptr);
    void Ustaw(const std::vector<DzieckoKlasy>& dzieci);
    // A child's row was activated (double click or Enter).
    std::function<void(const DzieckoKlasy&)> wybrano;

private:
    std::vector<DzieckoKlasy> dzieci_;
};

// The results window's page of the class: what is wrong with the class's
// configuration or its server (a wrapped message naming the file and the
// line), the children's table, and under it the facts the class misses,
// each with how many children miss it and who (its text is what a screen
// reader says).
class StronaKlasy : public QWidget {
public:
    explicit StronaKlasy(QWidget* rodzic = nullptr);
    TabelaKlasy* Tabela() const { return tabela_; }
    // "" hides the message.
    void Uwaga(const QString& tekst);
    // The facts the class missed (of every operation), most missed first.
    void UstawMylone(int dzieciWKlasie, std::vector<FaktKlasy> fakty);

private:
    QLabel* uwaga_;
    TabelaKlasy* tabela_;
    QListWidget* mylone_;
};

// "24 : 8 — myli 2 z 3 dzieci: Ania, Ola" or "… — nikt nie myli".
QString OpisFaktuKlasy(const QString& dzialanie, int dzieciWKlasie, const FaktKlasy& fakt);

// The start of this week: the local Monday's midnight, ms since 1970.
std::int64_t PoczatekTygodniaMs(const QDateTime& teraz);

} // namespace zm
