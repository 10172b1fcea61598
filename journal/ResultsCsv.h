// The drills list for a teacher's spreadsheet: UTF-8 (with the byte-order
// mark spreadsheets look for), fields separated by ";" as Polish
// spreadsheets expect, one header row, then the drills newest first.
#pragma once

#include "ResultsStore.h"

#include <QString>

#include <vector>

namespace zm {

// The list's words, shared by the window and the export.
QString NazwaDzialania(std::uint8_t dzialanie);
QString NazwaTempa(std::int32_t predkosc);
QString DataCwiczenia(qint64 koniecMs); // local time, "2026-12-08 14:03"

// The byte-order mark and the header row; then one line per drill.
QByteArray PoczatekCsv();
QByteArray WierszCsv(const WierszCwiczenia& cwiczenie);
QByteArray TekstCsv(const std::vector<WierszCwiczenia>& cwiczenia);

} // namespace zm
