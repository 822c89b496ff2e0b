#pragma once

#include <string>
#include <string_view>

namespace tabrivel {

// How a name that comes from strangers (the table-name option, a file's base name, a
// table's field names) stands between the delimiters of a statement. A name must never
// end the statement it is in, nor start a command of the client that loads the script.

// The delimiters that databases read as identifier quotes: " ' ` and [ (closed by ]).
// Between them a name is enclosed; between any other delimiters, it stands bare.
bool EnclosesNames(std::string_view opening);

// Appends one part of a name. The part is read as UTF-8, an undecodable byte as U+FFFD;
// a control character (below 32, or 127) and a backslash become "_". Enclosed, a closing delimiter
// of one character is doubled; bare, every character that is not a letter, a digit or "_" becomes
// "_".
void AppendNamePart(std::string& out, std::string_view part, std::string_view opening,
                    std::string_view closing);

// The name a part stands for once written: what AppendNamePart writes, without the
// doubled closing delimiters. Names that must differ are told apart in this form.
std::string CleanNamePart(std::string_view part, std::string_view opening);

// Ends a name: the closing delimiter, after anything the delimiter needs before it.
void AppendNameEnd(std::string& out, std::string_view closing);

// `text` as valid UTF-8: each undecodable byte or sequence becomes U+FFFD.
std::string ValidUtf8(std::string_view text);

} // namespace tabrivel
