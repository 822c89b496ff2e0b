#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <QUrl>

#include <filesystem>
#include <string>

// File-system names as text, without losing a byte. On POSIX a name is any string of
// bytes, mostly UTF-8 but not always: old archives and copies from Windows carry Latin-1
// bytes such as 0xE9. Qt's own decoding turns each such byte into U+FFFD, and the text then
// names no file at all. Here a byte 0x80..0xFF that is not part of valid UTF-8 becomes the
// lone surrogate U+DC80..U+DCFF, which no valid UTF-8 ever decodes to, so the text gives
// back exactly the bytes it was made from. Every path the program keeps as text is in
// this form; it is shown to people through ReadableName.
namespace tabrivel {

// The text of a name as the file system stores it. Valid UTF-8 (no overlong forms, no
// encoded surrogates, nothing above U+10FFFF) decodes as usual; each other byte is escaped.
QString DecodeNativeName(QByteArrayView bytes);

// The bytes a decoded text came from: UTF-8, with each escaped byte given back as itself.
// A surrogate no decoding makes (half of a pair that lost its other half) is written as
// U+FFFD, as Qt's file calls write it.
QByteArray EncodeNativeName(QStringView text);

// True when the text holds an escaped byte.
bool HasEscapedBytes(QStringView text);

// The text for people and for names in statements: valid UTF-16, each escaped byte (and
// any other lone surrogate) shown as U+FFFD.
QString ReadableName(QStringView text);

// The same as UTF-8 text.
std::string ReadableUtf8(QStringView text);

// The path as the platform's file calls want it: the encoded bytes on POSIX, the UTF-16
// text on Windows.
std::filesystem::path NativePath(const QString& path);

// The local path a file URL names (a drop's URL carries an undecodable byte as %E9), with
// its bytes decoded here rather than by Qt; empty for a URL that names no local file.
QString LocalPathOfUrl(const QUrl& url);

} // namespace tabrivel
