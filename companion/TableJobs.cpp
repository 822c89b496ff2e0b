#include "TableJobs.h"

#include "ScriptTarget.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace tabrivel {
namespace {

// What the tables ahead of their turn may hold in memory together before their workers
// wait: a table of hundreds of megabytes ahead of its turn costs this, not its size.
constexpr std::size_t kAheadBytes = 16 << 20;
// What the table whose turn it is may hold before its worker waits for the writer.
constexpr std::size_t kTurnBytes = 4 << 20;
// What the table whose turn it is gathers before the writer is woken for it: small
// tables are written once, when they are finished, at one wake-up each.
constexpr std::size_t kWakeBytes = 64 << 10;
// Tables taken up ahead of the one being written. Tables that fail write next to nothing,
// so the bound on bytes alone would let thousands of them pile up.
constexpr std::size_t kTablesAhead = 256;

// Each worker holds its own read and write buffers, a megabyte or two: far more workers
// than cores would cost memory and gain nothing.
constexpr std::size_t kMostWorkers = 64;

// Thrown inside a worker when the output failed and the run stops.
struct Stopped {};

struct Piece {
    bool report = false;
    std::string bytes;
};

// One table's output on its way from its worker to the writer.
struct TableOutput {
    std::vector<Piece> pieces;
    std::size_t bytes = 0;
    bool finished = false;
    bool converted = false;
    bool begun = false;
    std::exception_ptr failure;
};

void WritePieces(const std::vector<Piece>& pieces, const TableJobsOutput& output) {
    for (const Piece& piece : pieces) {
        if (piece.report) {
            std::fwrite(piece.bytes.data(), 1, piece.bytes.size(), output.errors);
        } else {
            output.sink.buffer() += piece.bytes;
            output.sink.maybeFlush();
        }
    }
}

class JobPool {
public:
    JobPool(std::size_t count, const TableJob& job, const ConversionOptions& options,
            const LoadOptions& load, bool showProgress)
        : outputs_(count), job_(job), options_(options), load_(load), showProgress_(showProgress) {}

    ~JobPool() { stop(); }
    JobPool(const JobPool&) = delete;
    JobPool& operator=(const JobPool&) = delete;

    void start(int workers) {
        for (int k = 0; k < workers; ++k)
            threads_.emplace_back([this] { work(); });
    }

    TableJobsOutcome writeAll(const TableJobsOutput& output) {
        TableJobsOutcome outcome;
        for (std::size_t index = 0; index < outputs_.size(); ++index) {
            const TableOutput& table = writeTable(index, output);
            if (table.failure)
                std::rethrow_exception(table.failure);
            outcome.allConverted = table.converted && outcome.allConverted;
            outcome.anyTableBegun = outcome.anyTableBegun || table.begun;
        }
        return outcome;
    }

    void stop() {
        {
            const std::lock_guard lock(mutex_);
            stopped_ = true;
        }
        roomChanged_.notify_all();
        for (std::thread& thread : threads_)
            thread.join();
        threads_.clear();
    }

private:
    // What one worker keeps from table to table.
    struct Worker final : ScriptOutlet {
        explicit Worker(JobPool& owner)
            : pool(owner), sink(*this),
              progress([this](const std::string& text) { this->pool.put(index, text, true); }) {}
        void take(std::string_view piece) override { pool.put(index, piece, false); }

        JobPool& pool;
        std::size_t index = 0;
        ScriptSink sink;
        ProgressLine progress;
    };

    // The pieces of table `index` written as they come, until it is finished.
    const TableOutput& writeTable(std::size_t index, const TableJobsOutput& output) {
        std::unique_lock lock(mutex_);
        turn_ = index;
        roomChanged_.notify_all();
        TableOutput& table = outputs_[index];
        for (;;) {
            tableReady_.wait(lock, [&] { return !table.pieces.empty() || table.finished; });
            if (table.pieces.empty())
                return table;
            std::vector<Piece> pieces;
            pieces.swap(table.pieces);
            buffered_ -= table.bytes;
            table.bytes = 0;
            roomChanged_.notify_all();
            lock.unlock();
            WritePieces(pieces, output);
            lock.lock();
        }
    }

    void work() {
        Worker worker(*this);
        while (const std::optional<std::size_t> index = claim()) {
            worker.index = *index;
            try {
                convert(worker);
            } catch (const Stopped&) {
                return;
            }
        }
    }

    void convert(Worker& worker) {
        ScriptTarget target(worker.sink, options_, load_);
        const ReportWriter report = [&](const std::string& text) {
            put(worker.index, text, true);
        };
        bool converted = false;
        std::exception_ptr failure;
        try {
            converted =
                job_(worker.index, target, report, showProgress_ ? &worker.progress : nullptr);
            worker.sink.flush();
        } catch (const Stopped&) {
            throw;
        } catch (...) {
            failure = std::current_exception();
            worker.sink.buffer().clear();
        }
        const std::lock_guard lock(mutex_);
        TableOutput& table = outputs_[worker.index];
        table.finished = true;
        table.converted = converted;
        table.begun = target.anyTableBegun();
        table.failure = failure;
        if (worker.index == turn_)
            tableReady_.notify_one();
    }

    std::optional<std::size_t> claim() {
        std::unique_lock lock(mutex_);
        roomChanged_.wait(lock, [&] {
            return stopped_ || next_ == outputs_.size() || next_ < turn_ + kTablesAhead;
        });
        if (stopped_ || next_ == outputs_.size())
            return std::nullopt;
        return next_++;
    }

    // Waits while the table holds its share of memory, unless the run stops.
    void put(std::size_t index, std::string_view bytes, bool report) {
        Piece piece{report, std::string(bytes)};
        std::unique_lock lock(mutex_);
        TableOutput& table = outputs_[index];
        roomChanged_.wait(lock, [&] {
            return stopped_ ||
                   (index == turn_ ? table.bytes < kTurnBytes : buffered_ < kAheadBytes);
        });
        if (stopped_)
            throw Stopped{};
        table.pieces.push_back(std::move(piece));
        table.bytes += bytes.size();
        buffered_ += bytes.size();
        if (index == turn_ && table.bytes >= kWakeBytes)
            tableReady_.notify_one();
    }

    std::mutex mutex_;
    std::condition_variable tableReady_;  // the writer waits for its table
    std::condition_variable roomChanged_; // workers wait for room or their turn
    std::vector<TableOutput> outputs_;
    std::size_t next_ = 0;     // the next table a worker takes up
    std::size_t turn_ = 0;     // the table being written
    std::size_t buffered_ = 0; // bytes held by every table together
    bool stopped_ = false;
    std::vector<std::thread> threads_;
    const TableJob& job_;
    const ConversionOptions& options_;
    const LoadOptions& load_;
    const bool showProgress_;
};

} // namespace

TableJobsOutcome RunTableJobs(std::size_t count, int workers, const TableJob& job,
                              const ConversionOptions& options, const LoadOptions& load,
                              const TableJobsOutput& output) {
    JobPool pool(count, job, options, load, output.showProgress);
    pool.start(workers);
    return pool.writeAll(output);
}

int WorkersFor(int asked, std::size_t tables) {
    const std::size_t workers =
        std::min({tables, static_cast<std::size_t>(std::max(asked, 1)), kMostWorkers});
    return static_cast<int>(std::max<std::size_t>(workers, 1));
}

int DefaultJobs() {
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

} // namespace tabrivel
