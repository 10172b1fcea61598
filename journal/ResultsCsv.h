// The drills for a teacher's spreadsheet: UTF-8 (with the byte-order mark
// spreadsheets look for), fields separated by ";" as Polish spreadsheets
// expect, one header row; then the drills newest first (each with its
// child), or every question of every drill, oldest first.
#pragma once

#include "ResultsStore.h"

#include <QString>

#include <vector>

namespace zm {

// The list's words, shared by the window and the export.
QString NazwaDzialania(std::uint8_t dzialanie);
QString NazwaTempa(std::int32_t predkosc);
QString DataCwiczenia(qint64 koniecMs); // local time, "2026-12-08 14:03"

// Where a drill of the class's server was made: the class's CSVs have the
// columns "Klasa" and "Stanowisko" after the child's.
struct MiejsceCwiczenia {
    QString klasa;
    QString stanowisko;
};

// The byte-order mark and the header row (with the class's columns when
// `zKlasa`); then one line per drill (with them when `miejsce` is given).
// `nr`, the drill's number in the file, joins a question's row to its
// drill's.
QByteArray PoczatekCsv(bool zKlasa = false);
QByteArray WierszCsv(const WierszCwiczenia& cwiczenie, const QString& dziecko, const QString& nr = {},
                     const MiejsceCwiczenia* miejsce = nullptr);
// The same for every question.
QByteArray PoczatekCsvPytan(bool zKlasa = false);
QByteArray WierszCsvPytania(const WierszCwiczenia& cwiczenie, const PytanieCwiczenia& pytanie, const QString& dziecko,
                            const QString& nr = {}, const MiejsceCwiczenia* miejsce = nullptr);

} // namespace zm
