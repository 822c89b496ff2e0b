#pragma once

#include <QString>
#include <QtGlobal>

#ifdef Q_OS_LINUX
#include <sched.h>
#include <sys/mount.h>
#endif

namespace tabrivel::testing {

// A real file system of a few pages, mounted on an empty folder, to meet a full disk and
// a read-only file system as they are, not as a test double. The mount lives in a mount
// namespace of this process alone, so nothing outside the test ever sees it, and a
// crashed test leaves no mount behind. Needs the right to mount (root, or a user
// namespace); mounted() tells whether it was granted.
class SmallDisk {
public:
#ifdef Q_OS_LINUX
    SmallDisk(const QString& folder, int kilobytes) : folder_(folder.toLocal8Bit()) {
        const QByteArray options = "size=" + QByteArray::number(kilobytes) + "k";
        mounted_ = OwnMountNamespace() && mount("tabrivel-test", folder_.constData(), "tmpfs", 0,
                                                options.constData()) == 0;
    }
    ~SmallDisk() {
        if (mounted_)
            umount2(folder_.constData(), MNT_DETACH);
    }
    bool mounted() const {
        return mounted_;
    }
    // From now on every write is refused with "Read-only file system".
    bool makeReadOnly() {
        return mounted_ &&
               mount(nullptr, folder_.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

private:
    static bool OwnMountNamespace() {
        static const bool own = unshare(CLONE_NEWNS) == 0 &&
                                mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
        return own;
    }

    QByteArray folder_;
    bool mounted_ = false;
#else
    SmallDisk(const QString&, int) {}
    bool mounted() const {
        return false;
    }
    bool makeReadOnly() {
        return false;
    }
#endif

public:
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
};

} // namespace tabrivel::testing
