#pragma once

#include <string>
#include <string_view>

namespace tabrivel {

// The body of a MySQL or MariaDB string literal that reads back exactly, whatever
// character set the loading client uses. Both read a backslash inside '...' as an
// escape, so a backslash, CR, LF, NUL and Ctrl-Z are written as escapes (their
// command-line client would drop the CR of a CR LF, and Ctrl-Z ends a script on
// Windows). A client reading in GBK, Big5 or Shift-JIS takes a backslash right after a
// byte above 0x7F as the second half of one character, which would turn "\\" into an
// escaped closing apostrophe: no escape follows such a byte. The literal is closed there
// and a new one opened (' '), and MySQL joins adjacent literals into one string. An
// apostrophe is never part of such a character, so doubling it is safe everywhere.
class MySqlTextWriter {
public:
    // Text as stored: apostrophes doubled, the characters above as escapes.
    void append(std::string& out, std::string_view text);
    // Text whose apostrophes are already doubled, such as a number or a date in the
    // user's locale.
    void appendDoubled(std::string& out, std::string_view text);

private:
    void appendByte(std::string& out, char c, bool doubleApostrophes);

    bool afterNonAscii_ = false;
};

// What stands before a literal whose text is not plain ASCII, so that the server takes
// its bytes as UTF-8 whatever the client's character set; ASCII reads the same in all of
// them and needs nothing.
std::string_view MySqlIntroducerFor(std::string_view text);
constexpr std::string_view kMySqlUtf8Introducer = "_utf8mb4";

// A whole literal: the introducer where needed, the apostrophes and the body.
void AppendMySqlLiteral(std::string& out, std::string_view text);

} // namespace tabrivel
