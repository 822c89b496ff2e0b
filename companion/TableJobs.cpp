#include "TableJobs.h"

#include "ScriptTarget.h"

#include <algorithm>
#include <array>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace tabrivel {
namespace {

// What the units ahead of their turn may hold in memory together before their workers
// wait: a table of hundreds of megabytes ahead of its turn costs this, not its size.
constexpr std::size_t kAheadBytes = 16 << 20;
// What the unit whose turn it is may hold while another worker writes the output.
constexpr std::size_t kTurnBytes = 4 << 20;
// Units taken up ahead of the one being written. Tables that fail write next to nothing,
// so the bound on bytes alone would let thousands of them pile up.
constexpr std::size_t kTablesAhead = 256;

// Each worker holds its own read and write buffers, a megabyte or two: far more workers
// than cores would cost memory and gain nothing.
constexpr std::size_t kMostWorkers = 64;

// Buffers kept for reuse: enough for what the units ahead of their turn may hold, so that
// the parts of a large table, which fill that bound over and over, take their buffers
// back rather than fresh memory from the system (a page fault every 4 KB: a third more
// time for the Visual FoxPro bench table with two jobs). One grown for a long statement
// (a memo of a megabyte) is let go instead: kept, every buffer could end up that size.
constexpr std::size_t kMostSpares = 512;
constexpr std::size_t kLargestSpare = 256 << 10;

// Thrown inside a worker when the output failed and the run stops.
struct Stopped {};
// Thrown inside a worker whose unit an earlier one dropped: what it makes goes nowhere.
struct Dropped {};

struct Piece {
    bool report = false;
    std::string bytes;
};

// One unit's output on its way from its worker to the output.
struct TableOutput {
    std::vector<Piece> pieces;
    std::size_t bytes = 0;
    bool finished = false;
    bool dropped = false;
    bool converted = false;
    bool begun = false;
    std::exception_ptr failure;
};

// Writes the pieces, giving back what a write threw (a WriteFailed of the output). The
// script's pieces are handed over whole rather than copied.
template <typename Pieces> std::exception_ptr Write(Pieces& pieces, const TableJobsOutput& output) {
    try {
        for (Piece& piece : pieces) {
            if (piece.report)
                std::fwrite(piece.bytes.data(), 1, piece.bytes.size(), output.errors);
            else
                output.sink.gather(std::move(piece.bytes));
        }
    } catch (...) {
        return std::current_exception();
    }
    return nullptr;
}

// The table whose turn it is goes out as its worker makes it, written by that worker
// itself; tables finished ahead of their turn are written by the worker that finishes
// the table before them. One worker at a time writes, and no thread is woken only to
// write: a run of thousands of small tables costs no switch from thread to thread each.
class JobPool {
public:
    JobPool(std::size_t count, const TableJob& job, const ConversionOptions& options,
            const LoadOptions& load, const TableJobsOutput& output)
        : outputs_(count), job_(job), options_(options), load_(load), output_(output) {}

    ~JobPool() { stop(); }
    JobPool(const JobPool&) = delete;
    JobPool& operator=(const JobPool&) = delete;

    void start(int workers) {
        for (int k = 0; k < workers; ++k)
            threads_.emplace_back([this] { work(); });
    }

    // Waits until every table is written; rethrows what stopped the run.
    TableJobsOutcome wait() {
        std::unique_lock lock(mutex_);
        runEnded_.wait(lock, [&] { return stopped_ || turn_ == outputs_.size(); });
        if (failure_)
            std::rethrow_exception(failure_);
        return outcome_;
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
            : pool(owner), sink(*this), progress([this](const std::string& text) {
                  this->pool.put(index, {true, text});
              }) {}
        void take(std::string& piece) override {
            if (!pool.writeThrough(index, piece))
                pool.put(index, {false, pool.swapOut(piece)});
        }

        JobPool& pool;
        std::size_t index = 0;
        ScriptSink sink;
        ProgressLine progress;
    };

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
            put(worker.index, {true, text});
        };
        JobOutcome outcome{false};
        std::exception_ptr failure;
        try {
            outcome = job_(worker.index, target, report,
                           output_.showProgress ? &worker.progress : nullptr);
            worker.sink.flush();
        } catch (const Stopped&) {
            throw;
        } catch (const Dropped&) {
            worker.sink.buffer().clear();
        } catch (...) {
            failure = std::current_exception();
            worker.sink.buffer().clear();
        }
        std::unique_lock lock(mutex_);
        TableOutput& table = outputs_[worker.index];
        table.finished = true;
        if (table.dropped)
            return;
        table.converted = outcome.converted;
        table.begun = target.anyTableBegun();
        table.failure = failure;
        drop(worker.index, outcome.dropFollowing);
        if (worker.index == turn_ && !writing_)
            writeInTurn(lock);
    }

    std::optional<std::size_t> claim() {
        std::unique_lock lock(mutex_);
        for (;;) {
            roomChanged_.wait(lock, [&] {
                return stopped_ || next_ == outputs_.size() || next_ < turn_ + kTablesAhead;
            });
            if (stopped_ || next_ == outputs_.size())
                return std::nullopt;
            if (!outputs_[next_].dropped)
                return next_++;
            ++next_;
        }
    }

    // With the lock held: the `count` units after `index` come to nothing. Their workers,
    // if any, learn it at their next piece.
    void drop(std::size_t index, std::size_t count) {
        const std::size_t end = std::min(outputs_.size(), index + 1 + count);
        for (std::size_t unit = index + 1; unit < end; ++unit) {
            TableOutput& dropped = outputs_[unit];
            dropped.dropped = true;
            buffered_ -= dropped.bytes;
            dropped.bytes = 0;
            dropped.pieces.clear();
        }
        if (count > 0)
            roomChanged_.notify_all();
    }

    // The bytes of a worker's piece, its buffer given a spare one in their place, so that
    // the piece goes to the output without a copy.
    std::string swapOut(std::string& buffer) {
        std::string bytes;
        {
            const std::lock_guard lock(mutex_);
            if (!spares_.empty()) {
                bytes = std::move(spares_.back());
                spares_.pop_back();
            }
        }
        bytes.swap(buffer);
        return bytes;
    }

    // Writes a piece of table `index` now when it is that table's turn and no one else
    // writes; else keeps it, waiting while the table holds its share of memory.
    // With the lock held: writes by `write` now, if it is unit `index`'s turn and no one else
    // writes; false, with nothing written, if not.
    template <typename Writing>
    bool writeIfTurn(std::unique_lock<std::mutex>& lock, std::size_t index, Writing&& write) {
        if (outputs_[index].dropped)
            throw Dropped{};
        if (stopped_ || index != turn_ || writing_ || !outputs_[index].pieces.empty())
            return false;
        writing_ = true;
        lock.unlock();
        const std::exception_ptr error = write();
        lock.lock();
        keepSpares();
        writing_ = false;
        if (error)
            stopWith(error);
        if (stopped_)
            throw Stopped{};
        return true;
    }

    // The script's piece of unit `index` written from its worker's own buffer, if it is the
    // unit's turn: that buffer, still in the worker's cache, takes the next piece. A piece
    // swapped for a spare buffer would be written from memory gone cold, and the next
    // piece made in another cold buffer.
    bool writeThrough(std::size_t index, const std::string& piece) {
        std::unique_lock lock(mutex_);
        return writeIfTurn(lock, index, [&]() -> std::exception_ptr {
            try {
                output_.sink.writeThrough(piece);
            } catch (...) {
                return std::current_exception();
            }
            return nullptr;
        });
    }

    void put(std::size_t index, Piece piece) {
        std::unique_lock lock(mutex_);
        TableOutput& table = outputs_[index];
        if (writeIfTurn(lock, index, [&] {
                std::array<Piece, 1> pieces{std::move(piece)};
                return Write(pieces, output_);
            }))
            return;
        const std::size_t size = piece.bytes.size();
        roomChanged_.wait(lock, [&] {
            return stopped_ || table.dropped ||
                   (index == turn_ ? table.bytes < kTurnBytes : buffered_ < kAheadBytes);
        });
        if (stopped_)
            throw Stopped{};
        if (table.dropped)
            throw Dropped{};
        table.pieces.push_back(std::move(piece));
        table.bytes += size;
        buffered_ += size;
        if (index == turn_ && !writing_)
            writeInTurn(lock);
    }

    // With no one else writing: writes what the unit whose turn it is holds, and every
    // finished unit after it, until a unit still being made holds nothing more.
    void writeInTurn(std::unique_lock<std::mutex>& lock) {
        writing_ = true;
        while (!stopped_ && turn_ < outputs_.size()) {
            TableOutput& table = outputs_[turn_];
            if (table.dropped) {
                ++turn_;
                roomChanged_.notify_all();
                continue;
            }
            if (!table.pieces.empty()) {
                std::vector<Piece> pieces;
                pieces.swap(table.pieces);
                buffered_ -= table.bytes;
                table.bytes = 0;
                roomChanged_.notify_all();
                lock.unlock();
                const std::exception_ptr error = Write(pieces, output_);
                lock.lock();
                keepSpares();
                if (error)
                    stopWith(error);
                continue;
            }
            if (!table.finished)
                break;
            if (table.failure) {
                stopWith(table.failure);
                break;
            }
            outcome_.allConverted = table.converted && outcome_.allConverted;
            outcome_.anyTableBegun = outcome_.anyTableBegun || table.begun;
            ++turn_;
            roomChanged_.notify_all();
        }
        writing_ = false;
        if (turn_ == outputs_.size())
            runEnded_.notify_all();
    }

    // With the lock held, by the worker that writes: the buffers the output has written
    // out become spares for the workers' next pieces.
    void keepSpares() {
        for (std::string& spent : output_.sink.takeSpent())
            if (spares_.size() < kMostSpares && spent.capacity() <= kLargestSpare)
                spares_.push_back(std::move(spent));
    }

    // With the lock held: the run ends with `error`, the first one met.
    void stopWith(const std::exception_ptr& error) {
        if (!failure_)
            failure_ = error;
        stopped_ = true;
        roomChanged_.notify_all();
        runEnded_.notify_all();
    }

    std::mutex mutex_;
    std::condition_variable roomChanged_; // workers wait for room or their turn
    std::condition_variable runEnded_;    // the caller waits for the last table or a failure
    std::vector<TableOutput> outputs_;
    std::size_t next_ = 0;     // the next unit a worker takes up
    std::size_t turn_ = 0;     // the unit being written
    std::size_t buffered_ = 0; // bytes held by every unit together
    bool writing_ = false;     // a worker is writing the output
    bool stopped_ = false;
    std::exception_ptr failure_;
    std::vector<std::string> spares_;
    TableJobsOutcome outcome_;
    std::vector<std::thread> threads_;
    const TableJob& job_;
    const ConversionOptions& options_;
    const LoadOptions& load_;
    const TableJobsOutput& output_;
};

} // namespace

TableJobsOutcome RunTableJobs(std::size_t count, int workers, const TableJob& job,
                              const ConversionOptions& options, const LoadOptions& load,
                              const TableJobsOutput& output) {
    JobPool pool(count, job, options, load, output);
    pool.start(workers);
    return pool.wait();
}

int WorkersFor(int asked, std::size_t units) {
    const std::size_t workers =
        std::min({units, static_cast<std::size_t>(std::max(asked, 1)), kMostWorkers});
    return static_cast<int>(std::max<std::size_t>(workers, 1));
}

int DefaultJobs() {
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

} // namespace tabrivel
