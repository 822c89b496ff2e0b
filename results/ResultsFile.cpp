#include "results/ResultsFile.h"

#include "shell/FileFailure.h"

#include <cerrno>
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
    errno = 0;
    // Rows are gathered here already; a second buffer in the device would only copy them.
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        fail(QStringLiteral("Cannot create"));
    buffer_.reserve(kBufferBytes);
}

void ResultsFile::writeRow(std::string_view utf8) {
    if (!file_.isOpen()) {
        errno = 0; // whatever the system last said belongs to another call
        fail(QStringLiteral("Cannot write to"));
    }
    buffer_.append(utf8);
    buffer_.append("\r\n");
    if (buffer_.size() >= kBufferBytes)
        flushBuffer();
}

void ResultsFile::commit() {
    if (!file_.isOpen()) {
        errno = 0; // whatever the system last said belongs to another call
        fail(QStringLiteral("Cannot write to"));
    }
    flushBuffer();
    errno = 0;
    if (!file_.commit())
        fail(QStringLiteral("Cannot finish writing"));
    committed_ = true;
}

void ResultsFile::flushBuffer() {
    // A disk that fills up mid-write takes part of the bytes without an error; only the
    // next attempt learns why, so the rest is offered again until the system says no.
    std::size_t done = 0;
    while (done < buffer_.size()) {
        errno = 0;
        const qint64 wrote =
            file_.write(buffer_.data() + done, static_cast<qint64>(buffer_.size() - done));
        if (wrote <= 0)
            fail(QStringLiteral("Cannot write to"));
        done += static_cast<std::size_t>(wrote);
    }
    buffer_.clear();
}

void ResultsFile::fail(const QString& action) {
    // errno first: anything called after the failure may overwrite it.
    const FileFailure failure{errno, file_.error(), file_.errorString()};
    file_.cancelWriting();
    const QString text = FileFailureText(action, file_.fileName(), failure) +
                         WriteFailureAdvice(failure) +
                         QStringLiteral(" Any earlier file of that name is unchanged.");
    throw std::runtime_error(text.toStdString());
}

} // namespace tabrivel
