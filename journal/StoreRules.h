// The SQL fragments the database's reads, writes and schema steps share
// (ResultsStore.cpp and the files beside it). Private to the journal.
#pragma once

#include <QString>

namespace zm {

// The rules a row must keep to be read at all (a file written by another
// program, or edited by hand, may hold anything).
inline const QString kDobreCwiczenie = QStringLiteral(
    "typeof(d.ended_at_ms) = 'integer' AND d.operation IN (0, 1, 2, 3) AND d.grade IN (1, 2, 3, 4, 5, 6)"
    " AND typeof(d.questions) = 'integer' AND typeof(d.pace_ms) = 'integer' AND d.pace_ms > 0"
    " AND typeof(d.narrator) = 'integer' AND typeof(d.good) = 'integer' AND typeof(d.bad) = 'integer'");
inline const QString kDobraOdpowiedz = QStringLiteral(
    "typeof(a.operand1) = 'integer' AND typeof(a.operand2) = 'integer' AND a.operand2 <> 0"
    " AND a.correct IN (0, 1) AND typeof(a.time_ms) = 'integer' AND a.time_ms BETWEEN 0 AND 86400000");
// The operands within the drill's own ranges (PytanieMozliwe, through the
// function each connection registers): an answer that could never have been
// asked is skipped before anything is computed from it.
inline const QString kPytanieMozliwe = QStringLiteral("pytanie_mozliwe(d.operation, a.operand1, a.operand2)");
// The fact an answer is filed under (as the practice files it): the factors,
// the dividend and divisor, or the ones digits of both numbers.
inline const QString kFaktA = QStringLiteral("CASE WHEN d.operation >= 2 THEN a.operand1 % 10 ELSE a.operand1 END");
inline const QString kFaktB = QStringLiteral("CASE WHEN d.operation >= 2 THEN a.operand2 % 10 ELSE a.operand2 END");

} // namespace zm
