#include "shell/StatementTrap.h"

#include <stdexcept>

namespace tabrivel {

QString DescribeCurrentException() {
    return DescribeException(std::current_exception());
}

QString DescribeException(const std::exception_ptr& failure) {
    if (!failure)
        return QStringLiteral("Unknown error");
    try {
        std::rethrow_exception(failure);
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Unknown error");
    }
}

} // namespace tabrivel
