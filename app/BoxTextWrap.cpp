#include "app/BoxTextWrap.h"

#include <QFontMetrics>
#include <QScreen>
#include <QStringList>

#include <algorithm>

namespace tabrivel {

namespace {

// Room the box takes beside its text: margins, spacing and an icon.
constexpr int kBoxSurroundings = 110;
constexpr int kBoxWidestText = 500;

QString WrapLine(const QString& line, const QFontMetrics& metrics, int maxWidth) {
    const QStringList words = line.split(QLatin1Char(' '));
    QString wrapped;
    QString current;
    for (const QString& word : words) {
        const QString candidate = current.isEmpty() ? word : current + QLatin1Char(' ') + word;
        if (!current.isEmpty() && metrics.horizontalAdvance(candidate) > maxWidth) {
            wrapped += current + QLatin1Char('\n');
            current = word;
        } else {
            current = candidate;
        }
    }
    return wrapped + current;
}

} // namespace

QString WrapBetweenWords(const QString& text, const QFontMetrics& metrics, int maxWidth) {
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines)
        line = WrapLine(line, metrics, maxWidth);
    return lines.join(QLatin1Char('\n'));
}

int MessageLineWidth(const QScreen* screen) {
    const int screenWidth = screen ? screen->availableGeometry().width() : 2 * kBoxWidestText;
    return std::min(screenWidth / 2, kBoxWidestText) - kBoxSurroundings;
}

} // namespace tabrivel
