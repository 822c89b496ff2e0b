#include "ResultsFile.h"

#include <QDir>

#include <stdexcept>

namespace tabrivel {

namespace {

// Rows are gathered into large writes: one write per row would cost more than the disk.
constexpr std::size_t kBufferBytes = 1 << 20;

} // namespace

ResultsFile::ResultsFile(const QString& path) : file_(path) {
    // Writing straight into the target would destroy the earlier file on a failure.
    file_.setDirectWriteFallback(false);
}

ResultsFile::~ResultsFile() {
    if (!committed_)
        file_.cancelWriting();
}

void ResultsFile::create() {
    // Rows are gathered here already; a second buffer in the device would only copy them.
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        fail(QStringLiteral("Cannot create"));
    buffer_.reserve(kBufferBytes);
}

void ResultsFile::writeRow(std::string_view utf8) {
    if (!file_.isOpen())
        fail(QStringLiteral("Cannot write to"));
    buffer_.append(utf8);
    buffer_.append("\r\n");
    if (buffer_.size() >= kBufferBytes)
        flushBuffer();
}

void ResultsFile::commit() {
    if (!file_.isOpen())
        fail(QStringLiteral("Cannot write to"));
    flushBuffer();
    if (!file_.commit())
        fail(QStringLiteral("Cannot finish writing"));
    committed_ = true;
}

void ResultsFile::flushBuffer() {
    if (buffer_.empty())
        return;
    const auto size = static_cast<qint64>(buffer_.size());
    if (file_.write(buffer_.data(), size) != size)
        fail(QStringLiteral("Cannot write to"));
    buffer_.clear();
}

void ResultsFile::fail(const QString& what) {
    const QString reason = file_.errorString();
    file_.cancelWriting();
    throw std::runtime_error((what + QLatin1Char(' ') + QDir::toNativeSeparators(file_.fileName()) +
                              QStringLiteral(": ") + reason)
                                 .toStdString());
}

} // namespace tabrivel
