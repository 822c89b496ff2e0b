#pragma once

#include <QSaveFile>
#include <QString>

#include <string>
#include <string_view>

namespace tabrivel {

// The results written as one text file: each row's UTF-8 text and CR LF, no byte-order
// mark. The rows go to a temporary file beside the target, which takes the target's
// place only on commit(); until then, and whenever anything fails, an earlier file of
// that name stays as it was. Failures throw std::runtime_error with a description.
class ResultsFile {
public:
    explicit ResultsFile(const QString& path);
    ResultsFile(const ResultsFile&) = delete;
    ResultsFile& operator=(const ResultsFile&) = delete;
    // Drops the temporary file unless committed.
    ~ResultsFile();

    void create();
    void writeRow(std::string_view utf8);
    void commit();

private:
    void flushBuffer();
    [[noreturn]] void fail(const QString& action);

    QSaveFile file_;
    std::string buffer_;
    bool committed_ = false;
};

} // namespace tabrivel
