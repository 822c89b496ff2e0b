#include "StatementTrap.h"

#include <stdexcept>

namespace tabrivel {

QString DescribeCurrentException() {
    try {
        throw;
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Unknown error");
    }
}

} // namespace tabrivel
