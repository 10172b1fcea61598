// TFrmListaKlasy: on a workstation of a class, the class's roster (as last
// fetched from the server, so also while it is away) for a child to pick
// their own name: no typing, no duplicates. Two children of one name show
// the teacher's note. The picker's owner opens it (e.g. beside "Kto
// ćwiczy?") when the class is configured and the roster is not empty, and
// gives the choice to WybierzZListyKlasy (ClassOutbox.h).
#pragma once

#include "ClassDrill.h"

#include <QDialog>

#include <optional>
#include <vector>

class QListWidget;

namespace zm {

class TFrmListaKlasy : public QDialog {
public:
    TFrmListaKlasy(std::vector<DzieckoListy> lista, QWidget* rodzic = nullptr);
    // The child chosen with OK (or Enter, or a double click).
    std::optional<DzieckoListy> Wybrane() const;

private:
    std::vector<DzieckoListy> lista_;
    QListWidget* imiona_;
};

} // namespace zm
