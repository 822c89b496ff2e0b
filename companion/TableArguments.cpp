#include "TableArguments.h"

#include "fs/FolderFiles.h"
#include "fs/NativePath.h"
#include "fs/PathHelpers.h"

namespace tabrivel {

std::string ExpandFolders(std::vector<std::string>& tables, const std::string& extension) {
    std::vector<std::string> expanded;
    for (const std::string& word : tables) {
        const QString path = DecodeNativeName(word);
        if (word == "-" || !IsFolder(path)) {
            expanded.push_back(word);
            continue;
        }
        const QString pattern = "*." + QString::fromStdString(extension);
        const QStringList files = FilesOfFolderTree(path, pattern);
        if (files.isEmpty())
            return ReadableUtf8(path) + ": no table in this folder or below it (no file named " +
                   ReadableUtf8(pattern) + "; --extension names another ending)";
        for (const QString& file : files)
            expanded.push_back(EncodeNativeName(file).toStdString());
    }
    tables = std::move(expanded);
    return {};
}

} // namespace tabrivel
