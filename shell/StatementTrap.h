#pragma once

#include "fs/NumberedSteps.h"

#include <QString>

#include <exception>
#include <functional>

namespace tabrivel {

// Receives a trapped failure: the routine's location text, the statement number
// last reached and the failure's own description.
using FailureReporter =
    std::function<void(const QString& location, int statement, const QString& description)>;

QString DescribeCurrentException();
// The same for a failure caught elsewhere and handed on.
QString DescribeException(const std::exception_ptr& failure);

// Runs the numbered statements of one routine so that a failure in one is reported
// and the routine carries on with the next, instead of abandoning the whole command.
// It takes only the steps the routine declared (see NumberedSteps.h).
template <RoutineStep Step> class StatementTrap {
    static_assert(RisesWithoutRepeats<Step>(), "a routine's steps rise, each once");

public:
    StatementTrap(QString location, FailureReporter reporter)
        : location_(std::move(location)), reporter_(std::move(reporter)) {}

    // Runs one numbered statement; true when it completed without a failure.
    template <typename Statement> bool run(Step step, Statement&& statement) {
        statement_ = NumberOf(step);
        return RunStep(step, statement, [this](int, const std::exception_ptr& failure) {
            report(DescribeException(failure));
        });
    }

    // A numbered conditional test; one that fails counts as true.
    template <typename Condition> bool test(Step step, Condition&& condition) {
        return TestStep(*this, step, condition);
    }

    int statement() const { return statement_; }
    const QString& location() const { return location_; }

private:
    void report(const QString& description) {
        if (reporter_)
            reporter_(location_, statement_, description);
    }

    QString location_;
    FailureReporter reporter_;
    int statement_ = 0;
};

} // namespace tabrivel
