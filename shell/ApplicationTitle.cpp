#include "shell/ApplicationTitle.h"

namespace tabrivel {

QString DeriveApplicationTitle(const QString& productName) {
    QString title = productName;
    do {
        const qsizetype blank = title.lastIndexOf(QLatin1Char(' '));
        if (blank <= 0)
            break;
        title.truncate(blank);
    } while (title.size() > 40);
    return title.trimmed().isEmpty() ? productName : title;
}

} // namespace tabrivel
