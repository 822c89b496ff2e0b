#pragma once

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdio>
#include <initializer_list>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#include <unistd.h>
#endif

// Files and folders below a temporary root, built for one test. Setting up the tree is
// not what is tested, so a failure there ends the test run with its reason.
class TempTree {
public:
    TempTree() {
        if (!dir_.isValid())
            qFatal("cannot create a temporary folder: %s", qPrintable(dir_.errorString()));
    }

    QString root() const { return QDir::toNativeSeparators(dir_.path()); }
    QString path(const QString& relative) const {
        return relative.isEmpty() ? root() : root() + QDir::separator() + native(relative);
    }
    // The path as the folder scan carries it: with a trailing separator.
    QString folder(const QString& relative) const { return path(relative) + QDir::separator(); }

    void folders(std::initializer_list<QString> relatives) const {
        for (const QString& relative : relatives)
            require(QDir().mkpath(path(relative)), "mkpath " + relative);
    }
    void file(const QString& relative, const QByteArray& content = "x") const {
        QFile file(path(relative));
        require(file.open(QIODevice::WriteOnly) && file.write(content) == content.size(),
                "write " + relative);
    }
    void link(const QString& relative, const QString& target) const {
        require(QFile::link(target, path(relative)), "link " + relative);
    }
#ifndef Q_OS_WIN
    // A name the file-system encoding cannot decode can only be made, and removed again,
    // from raw bytes: its decoded form no longer reaches it.
    void rawFolder(const QByteArray& name) {
        const QByteArray full = QFile::encodeName(root()) + '/' + name;
        require(::mkdir(full.constData(), 0755) == 0, "mkdir of raw name");
        rawFolders_.append(full);
    }
    void rawFile(const QByteArray& name) {
        const QByteArray full = QFile::encodeName(root()) + '/' + name;
        FILE* file = fopen(full.constData(), "w");
        require(file && fclose(file) == 0, "create file of raw name");
        rawFiles_.append(full);
    }
    ~TempTree() {
        for (const QByteArray& file : rawFiles_)
            ::unlink(file.constData());
        for (const QByteArray& folder : rawFolders_)
            ::rmdir(folder.constData());
    }
    void fifo(const QString& relative) const {
        require(::mkfifo(QFile::encodeName(path(relative)).constData(), 0644) == 0, "mkfifo");
    }
#endif

    // The direct sub-folders' scan paths in the order the file system lists them.
    QStringList listedSubFolders(const QString& relative) const {
        QStringList result;
        QDirIterator it(path(relative), QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
        while (it.hasNext())
            result.append(QDir::toNativeSeparators(it.next()) + QDir::separator());
        return result;
    }
    // The names of the regular files the file system lists, in its order.
    QStringList listedFiles(const QString& relative) const {
        QStringList result;
        QDirIterator it(path(relative), QDir::Files | QDir::Hidden | QDir::System);
        while (it.hasNext()) {
            it.next();
            result.append(it.fileName());
        }
        return result;
    }

private:
    static QString native(const QString& relative) {
        return QDir::toNativeSeparators(relative);
    }
    static void require(bool ok, const QString& what) {
        if (!ok)
            qFatal("cannot set up the test tree: %s", qPrintable(what));
    }

    QTemporaryDir dir_;
    QList<QByteArray> rawFiles_;
    QList<QByteArray> rawFolders_;
};
