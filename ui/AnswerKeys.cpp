#include "AnswerKeys.h"

#include <QLineEdit>

namespace zm {

bool StartujeLubKonczy(int klawisz, bool trwa, bool wPoluWyniku)
{
    return klawisz == Qt::Key_F2 || (klawisz == Qt::Key_Escape && trwa) ||
           (klawisz == Qt::Key_Space && !trwa && wPoluWyniku);
}

bool PrzepuscPrzezFiltr(QLineEdit* pole, const QString& tekst, const std::function<void(char16_t&)>& filtr)
{
    if (tekst.size() == 1) {
        char16_t key = tekst.at(0).unicode();
        filtr(key);
        return key == 0;
    }
    QString przepuszczone;
    for (QChar c : tekst) {
        char16_t key = c.unicode();
        filtr(key);
        if (key != 0 && key != 13) przepuszczone += QChar(key);
    }
    for (QChar c : przepuszczone) {
        if (c == QChar(8))
            pole->backspace();
        else
            pole->insert(QString(c));
    }
    return true;
}

} // namespace zm
