#include "WindowDrag.h"

#include <QCursor>
#include <QWidget>
#include <QWindow>

namespace zm {

void PrzeciaganieOkna::Nacisniety(Qt::MouseButton przycisk)
{
    if (przycisk != Qt::LeftButton) return;
    stan_ = Stan::Czeka;
    ruchPoczatek_ = QCursor::pos();
    oknoPoczatek_ = okno_->pos();
}

void PrzeciaganieOkna::Ruch(QPoint globalna)
{
    // The move is handed to the window system at the first movement with the
    // button held, not at the press: a window manager told to move a window
    // after a quick click has already ended would keep it glued to the
    // pointer. Where the window system cannot move it, the window follows the
    // pointer by hand.
    if (stan_ == Stan::Czeka) {
        if (okno_->windowHandle() && okno_->windowHandle()->startSystemMove()) {
            stan_ = Stan::Brak;
            return;
        }
        stan_ = Stan::Reczne;
    }
    if (stan_ == Stan::Reczne) okno_->move(oknoPoczatek_ + globalna - ruchPoczatek_);
}

void PrzeciaganieOkna::Puszczony(Qt::MouseButton przycisk)
{
    if (przycisk == Qt::LeftButton) stan_ = Stan::Brak;
}

} // namespace zm
