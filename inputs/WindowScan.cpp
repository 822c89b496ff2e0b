#include "inputs/WindowScan.h"

#include "shell/CommandHost.h"
#include "shell/ErrorReport.h"

namespace tabrivel {

WindowScan::WindowScan(CommandHost& host) : closed_(std::make_shared<bool>(false)) {
    hooks_.report = [report = ErrorReporter(host.prompts())](int statement,
                                                             const std::exception_ptr& failure) {
        report(Location::FolderScan, statement, DescribeException(failure));
    };
    // Once Yield answers false the host may be gone, so it is never reached again.
    hooks_.yield = [host = &host, closed = closed_] {
        if (!*closed && !host->Yield())
            *closed = true;
    };
    hooks_.stopped = [closed = closed_] {
        return *closed;
    };
}

} // namespace tabrivel
