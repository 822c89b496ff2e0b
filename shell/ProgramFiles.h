#pragma once

#include <QString>

namespace tabrivel {

// The folder the program was started from; the files installed beside it (the hand
// pointer, the optional skin) are looked up there.
QString ProgramFolder();

// The path of a file beside the program, with the platform's separators.
QString BesideProgram(const QString& folder, const QString& relativePath);

// True when the path's status can be read; never reports a failure.
bool PathStatusReadable(const QString& path);

} // namespace tabrivel
