#include "RowPipe.h"

#include <condition_variable>
#include <cstring>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

namespace {

constexpr size_t kBatchRows = 4096;
constexpr int kBatches = 4;

struct Batch {
    std::vector<qint64> recNos;
    std::vector<Row> rows;
    size_t used = 0;
};

// Copies a cell into a recycled one, reusing its buffer.
void copyCell(const Cell &from, Cell &to)
{
    to.kind = from.kind;
    to.i = from.i;
    to.r = from.r;
    if (from.kind == Cell::Text || from.kind == Cell::Blob) {
        to.bytes.resize(from.bytes.size());
        std::memcpy(to.bytes.data(), from.bytes.constData(), static_cast<size_t>(from.bytes.size()));
    }
}

struct Stopped {};

class Pipe {
public:
    Pipe()
    {
        for (int i = 0; i < kBatches; ++i)
            m_free.push_back(std::make_unique<Batch>());
    }

    // Producer side.
    std::unique_ptr<Batch> takeFree()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return !m_free.empty() || m_stop; });
        if (m_stop)
            throw Stopped{};
        auto batch = std::move(m_free.front());
        m_free.pop_front();
        batch->used = 0;
        return batch;
    }
    void putFull(std::unique_ptr<Batch> batch)
    {
        std::lock_guard lock(m_mutex);
        m_full.push_back(std::move(batch));
        m_changed.notify_all();
    }
    void finish(std::exception_ptr error)
    {
        std::lock_guard lock(m_mutex);
        m_error = error;
        m_done = true;
        m_changed.notify_all();
    }

    // Consumer side: null at the end.
    std::unique_ptr<Batch> takeFull()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return !m_full.empty() || m_done; });
        if (m_full.empty())
            return nullptr;
        auto batch = std::move(m_full.front());
        m_full.pop_front();
        return batch;
    }
    void giveBack(std::unique_ptr<Batch> batch)
    {
        std::lock_guard lock(m_mutex);
        m_free.push_back(std::move(batch));
        m_changed.notify_all();
    }
    void stop()
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
        m_changed.notify_all();
    }
    std::exception_ptr error()
    {
        std::lock_guard lock(m_mutex);
        return m_error;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::unique_ptr<Batch>> m_free, m_full;
    std::exception_ptr m_error;
    bool m_done = false;
    bool m_stop = false;
};

} // namespace

void readTableFileInParallel(const TableFile &file, const std::function<void(qint64, const Row &)> &consume)
{
    Pipe pipe;
    std::thread producer([&] {
        std::exception_ptr error;
        try {
            std::unique_ptr<Batch> batch = pipe.takeFree();
            file.read([&](qint64 recNo, const Row &row) {
                if (batch->used == kBatchRows) {
                    pipe.putFull(std::move(batch));
                    batch = pipe.takeFree();
                }
                if (batch->rows.size() <= batch->used) {
                    batch->rows.emplace_back(row.size());
                    batch->recNos.push_back(0);
                }
                Row &slot = batch->rows[batch->used];
                slot.resize(row.size());
                for (size_t f = 0; f < row.size(); ++f)
                    copyCell(row[f], slot[f]);
                batch->recNos[batch->used] = recNo;
                ++batch->used;
            });
            pipe.putFull(std::move(batch));
        } catch (const Stopped &) {
        } catch (...) {
            error = std::current_exception();
        }
        pipe.finish(error);
    });

    std::exception_ptr consumerError;
    try {
        while (std::unique_ptr<Batch> batch = pipe.takeFull()) {
            for (size_t r = 0; r < batch->used; ++r)
                consume(batch->recNos[r], batch->rows[r]);
            pipe.giveBack(std::move(batch));
        }
    } catch (...) {
        consumerError = std::current_exception();
        pipe.stop();
        // Let the producer see the stop and end.
        while (std::unique_ptr<Batch> batch = pipe.takeFull())
            pipe.giveBack(std::move(batch));
    }
    producer.join();
    if (consumerError)
        std::rethrow_exception(consumerError);
    if (const std::exception_ptr error = pipe.error())
        std::rethrow_exception(error);
}
