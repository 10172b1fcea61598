// Moving a frameless window by dragging its background.
#pragma once

#include <QPoint>

class QWidget;

namespace zm {

class PrzeciaganieOkna {
public:
    explicit PrzeciaganieOkna(QWidget* okno) : okno_(okno) {}

    void Nacisniety(Qt::MouseButton przycisk);
    void Ruch(QPoint globalna);
    void Puszczony(Qt::MouseButton przycisk);

private:
    enum class Stan { Brak, Czeka, Reczne };
    QWidget* okno_;
    Stan stan_ = Stan::Brak;
    QPoint ruchPoczatek_;
    QPoint oknoPoczatek_;
};

} // namespace zm
