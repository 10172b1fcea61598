#include "ClassDrill.h"

#include <QUuid>

namespace zm {

std::string NowyIdentyfikatorCwiczenia()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString();
}

} // namespace zm
