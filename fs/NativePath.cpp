#include "fs/NativePath.h"

namespace tabrivel {

namespace {

// Byte b (0x80..0xFF) stands as U+DC00 + b: a low surrogate with no high one before it.
constexpr char16_t kEscapeBase = 0xDC00;
constexpr char16_t kFirstEscape = 0xDC80;
constexpr char16_t kLastEscape = 0xDCFF;
constexpr char32_t kReplacement = 0xFFFD;

bool IsEscape(char16_t unit) {
    return unit >= kFirstEscape && unit <= kLastEscape;
}

// The bounds the second byte of a sequence must keep after its lead: they leave out
// overlong forms (E0 80..9F, F0 80..8F), encoded surrogates (ED A0..BF) and code points
// above U+10FFFF (F4 90..BF).
struct SequenceShape {
    int length = 0; // 0: the byte begins no sequence
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
};

SequenceShape ShapeOf(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF)
        return {2};
    if (lead == 0xE0)
        return {3, 0xA0};
    if (lead == 0xED)
        return {3, 0x80, 0x9F};
    if (lead >= 0xE1 && lead <= 0xEF)
        return {3};
    if (lead == 0xF0)
        return {4, 0x90};
    if (lead >= 0xF1 && lead <= 0xF3)
        return {4};
    if (lead == 0xF4)
        return {4, 0x80, 0x8F};
    return {}; // C0, C1, F5..FF and continuation bytes never lead
}

// The length of the valid sequence of two bytes or more that starts the bytes; 0 when
// the first byte starts none.
qsizetype ValidSequenceLength(const unsigned char* bytes, qsizetype left) {
    const SequenceShape shape = ShapeOf(bytes[0]);
    if (shape.length == 0 || left < shape.length || bytes[1] < shape.low || bytes[1] > shape.high)
        return 0;
    for (int i = 2; i < shape.length; ++i) {
        if ((bytes[i] & 0xC0) != 0x80)
            return 0;
    }
    return shape.length;
}

char32_t CodePointOf(const unsigned char* bytes, qsizetype length) {
    char32_t point = bytes[0] & (0x7F >> length);
    for (qsizetype i = 1; i < length; ++i)
        point = (point << 6) | (bytes[i] & 0x3F);
    return point;
}

void AppendCodePoint(QString& text, char32_t point) {
    if (QChar::requiresSurrogates(point)) {
        text.append(QChar(QChar::highSurrogate(point)));
        text.append(QChar(QChar::lowSurrogate(point)));
    } else {
        text.append(QChar(static_cast<char16_t>(point)));
    }
}

void AppendUtf8(QByteArray& bytes, char32_t point) {
    if (point < 0x80) {
        bytes.append(static_cast<char>(point));
        return;
    }
    if (point < 0x800) {
        bytes.append(static_cast<char>(0xC0 | (point >> 6)));
    } else if (point < 0x10000) {
        bytes.append(static_cast<char>(0xE0 | (point >> 12)));
        bytes.append(static_cast<char>(0x80 | ((point >> 6) & 0x3F)));
    } else {
        bytes.append(static_cast<char>(0xF0 | (point >> 18)));
        bytes.append(static_cast<char>(0x80 | ((point >> 12) & 0x3F)));
        bytes.append(static_cast<char>(0x80 | ((point >> 6) & 0x3F)));
    }
    bytes.append(static_cast<char>(0x80 | (point & 0x3F)));
}

} // namespace

QString DecodeNativeName(QByteArrayView bytes) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype size = bytes.size();
    QString text;
    text.reserve(size);
    for (qsizetype at = 0; at < size;) {
        if (data[at] < 0x80) {
            text.append(QChar(char16_t(data[at++])));
            continue;
        }
        // An invalid sequence gives up its first byte only: the next may begin a valid one.
        const qsizetype length = ValidSequenceLength(data + at, size - at);
        if (length == 0) {
            text.append(QChar(static_cast<char16_t>(kEscapeBase + data[at++])));
            continue;
        }
        AppendCodePoint(text, CodePointOf(data + at, length));
        at += length;
    }
    return text;
}

QByteArray EncodeNativeName(QStringView text) {
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype at = 0; at < text.size(); ++at) {
        const char16_t unit = text[at].unicode();
        if (QChar::isHighSurrogate(unit) && at + 1 < text.size() &&
            QChar::isLowSurrogate(text[at + 1].unicode())) {
            AppendUtf8(bytes, QChar::surrogateToUcs4(unit, text[++at].unicode()));
        } else if (IsEscape(unit)) {
            bytes.append(static_cast<char>(unit - kEscapeBase));
        } else {
            AppendUtf8(bytes, QChar::isSurrogate(unit) ? kReplacement : char32_t(unit));
        }
    }
    return bytes;
}

bool HasEscapedBytes(QStringView text) {
    for (qsizetype at = 0; at < text.size(); ++at) {
        const char16_t unit = text[at].unicode();
        if (QChar::isHighSurrogate(unit) && at + 1 < text.size() &&
            QChar::isLowSurrogate(text[at + 1].unicode()))
            ++at;
        else if (IsEscape(unit))
            return true;
    }
    return false;
}

QString ReadableName(QStringView text) {
    QString readable = text.toString();
    for (qsizetype at = 0; at < readable.size(); ++at) {
        const char16_t unit = readable[at].unicode();
        if (QChar::isHighSurrogate(unit) && at + 1 < readable.size() &&
            QChar::isLowSurrogate(readable[at + 1].unicode()))
            ++at;
        else if (QChar::isSurrogate(unit))
            readable[at] = QChar::ReplacementCharacter;
    }
    return readable;
}

std::string ReadableUtf8(QStringView text) {
    return ReadableName(text).toStdString();
}

std::filesystem::path NativePath(const QString& path) {
#ifdef Q_OS_WIN
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(EncodeNativeName(path).toStdString());
#endif
}

QString LocalPathOfUrl(const QUrl& url) {
    if (!url.isLocalFile())
        return QString();
#ifdef Q_OS_WIN
    // Windows names are UTF-16 and reach Qt's URL whole.
    return url.toLocalFile();
#else
    QString path =
        DecodeNativeName(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
    if (path.isEmpty() || url.host().isEmpty())
        return path;
    // A host makes the path a network share, as Qt's own reading takes it.
    return QStringLiteral("//") + url.host() + path;
#endif
}

} // namespace tabrivel
