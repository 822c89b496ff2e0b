#pragma once

#include <QString>
#include <QStringList>

namespace tabrivel {

class InputListModel;
class Prompts;

// The folder of example tables installed beside the program.
QString SampleFolder(const QString& programFolder);

// The names of the sample folder's files that the loader offers, in the listing's order:
// every file except the memo and code-page files that belong to a table beside them,
// which are read with their table and are no tables of their own.
QStringList SampleFileNames(const QString& sampleFolder);

// Appends the sample files not yet in the list, then asks (every time) whether to open
// the sample folder on the desktop. When nothing on the desktop opens folders, a box
// names the folder's full path instead. A missing or empty folder adds nothing and is no
// failure.
void LoadSampleFiles(InputListModel& list, const QString& programFolder, Prompts& prompts,
                     const QString& title);

} // namespace tabrivel
