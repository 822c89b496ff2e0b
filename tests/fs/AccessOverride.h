#pragma once

#include <QtGlobal>

#ifdef Q_OS_LINUX
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

// Root passes every permission check through its capabilities, so a folder without read
// permission still lists for it. While one of these lives, the current thread works
// without those capabilities and meets folder permissions like any other user; they come
// back when it ends. Elsewhere than on Linux it changes nothing.
class WithoutAccessOverride {
public:
#ifdef Q_OS_LINUX
    WithoutAccessOverride() {
        if (syscall(SYS_capget, &header_, saved_) != 0)
            return;
        __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        dropped_ = syscall(SYS_capset, &header_, reduced) == 0;
    }
    ~WithoutAccessOverride() {
        if (dropped_)
            syscall(SYS_capset, &header_, saved_);
    }

private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2]{};
    bool dropped_ = false;
#else
    WithoutAccessOverride() = default;
#endif

public:
    WithoutAccessOverride(const WithoutAccessOverride&) = delete;
    WithoutAccessOverride& operator=(const WithoutAccessOverride&) = delete;
};
