#pragma once

#include "LoadOptions.h"
#include "ProgressLine.h"
#include "ScriptSink.h"
#include "TableTarget.h"
#include "engine/Conversion.h"

#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>

namespace tabrivel {

// A report for standard error, whole lines with their line ends.
using ReportWriter = std::function<void(const std::string& text)>;

// What one unit of work came to: whether every value arrived, and how many of the units
// right after it are to come to nothing (the rest of a table converted in parts, once one
// part of it failed, as one thread would have stopped there).
struct JobOutcome {
    JobOutcome(bool converted, std::size_t dropFollowing = 0)
        : converted(converted), dropFollowing(dropFollowing) {}
    bool converted;
    std::size_t dropFollowing;
};

// Converts the unit numbered `index` (a table, or a part of one) into `target`, its reports
// through `report` and its records counted on `progress` (null: none shown). Called from
// several threads at once, each with its own target, writer and progress line.
using TableJob = std::function<JobOutcome(std::size_t index, TableTarget& target,
                                          const ReportWriter& report, ProgressLine* progress)>;

struct TableJobsOutcome {
    bool allConverted = true;
    bool anyTableBegun = false;
};

struct TableJobsOutput {
    ScriptSink& sink;
    std::FILE* errors;
    bool showProgress;
};

// Converts `count` units on `workers` threads, each unit whole on one of them, and writes
// each unit's statements and reports in the order given, byte for byte as one thread
// would. The unit whose turn it is streams straight out; the others wait once what they
// hold in memory reaches a bound. A WriteFailed of the output stops every worker and
// escapes; so does anything unexpected a worker met, at its unit's turn.
TableJobsOutcome RunTableJobs(std::size_t count, int workers, const TableJob& job,
                              const ConversionOptions& options, const LoadOptions& load,
                              const TableJobsOutput& output);

// Workers for a run: as many as asked, at most one per unit of work and 64 in all.
int WorkersFor(int asked, std::size_t units);

// One per core, or one when the system does not say.
int DefaultJobs();

} // namespace tabrivel
