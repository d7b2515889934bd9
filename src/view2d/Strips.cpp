#include "view2d/Strips.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "processing/Busy.h"

namespace color {

namespace {

// The second thread's strips: while the calling thread takes one it makes the next.
constexpr int kWorkerStrips = 2;

class CStrips {
public:
    CStrips(int rows, std::size_t rowBytes, int stripRows, const MakeStrip& make, const TakeStrip& take)
        : m_rows(rows), m_stripRows(stripRows), m_count((rows + stripRows - 1) / stripRows), m_make(make),
          m_take(take), m_bytes(rowBytes * static_cast<std::size_t>(stripRows)) {}

    void OnOneThread() {
        std::vector<std::uint8_t> own(m_bytes);
        for (int strip = 0; strip < m_count; ++strip)
            MakeAndTake(strip, own.data());
    }

    // False, with nothing made, when the second thread cannot be started.
    bool OnTwoThreads() {
        std::vector<std::uint8_t> own(m_bytes);
        for (int k = 0; k < kWorkerStrips; ++k) {
            m_buffers[k].resize(m_bytes);
            m_free.push_back(k);
        }
        std::thread worker;
        try {
            worker = std::thread([this] { Work(); });
        } catch (const std::system_error&) {
            return false;
        }
        int taken = 0;
        std::unique_lock<std::mutex> lock(m_mutex);
        while (taken < m_count) {
            if (!m_made.empty()) {
                const auto [strip, buffer] = m_made.front();
                m_made.pop_front();
                lock.unlock();
                Take(strip, m_buffers[buffer].data());
                lock.lock();
                m_free.push_back(buffer);
                ++taken;
                m_changed.notify_all();
            } else if (m_next < m_count) {
                const int strip = m_next++;
                lock.unlock();
                MakeAndTake(strip, own.data());
                lock.lock();
                ++taken;
            } else {
                m_changed.wait(lock, [this] { return !m_made.empty(); });
            }
        }
        lock.unlock();
        worker.join();
        return true;
    }

private:
    int First(int strip) const { return strip * m_stripRows; }
    int Rows(int strip) const { return std::min(m_stripRows, m_rows - First(strip)); }
    void Take(int strip, const std::uint8_t* data) {
        doc::busy::Tick();
        m_take(First(strip), Rows(strip), data);
    }
    void MakeAndTake(int strip, std::uint8_t* data) {
        m_make(First(strip), Rows(strip), data);
        Take(strip, data);
    }

    // The second thread: claims the next strip whenever one of its buffers is free, until none is left.
    void Work() {
        for (;;) {
            int strip, buffer;
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_changed.wait(lock, [this] { return !m_free.empty() || m_next >= m_count; });
                if (m_next >= m_count)
                    return;
                strip = m_next++;
                buffer = m_free.back();
                m_free.pop_back();
            }
            m_make(First(strip), Rows(strip), m_buffers[buffer].data());
            {
                const std::lock_guard<std::mutex> lock(m_mutex);
                m_made.emplace_back(strip, buffer);
            }
            m_changed.notify_all();
        }
    }

    const int m_rows, m_stripRows, m_count;
    const MakeStrip& m_make;
    const TakeStrip& m_take;
    const std::size_t m_bytes;
    std::vector<std::uint8_t> m_buffers[kWorkerStrips];

    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_next = 0;                         // the first strip nobody has claimed
    std::vector<int> m_free;                // the second thread's buffers that hold nothing to take
    std::deque<std::pair<int, int>> m_made; // strips the second thread made, with their buffers
};

} // namespace

int RunStrips(int rows, std::size_t rowBytes, std::size_t stripBytes, const MakeStrip& make,
              const TakeStrip& take) {
    if (rows <= 0 || rowBytes == 0)
        return 1;
    const int stripRows =
        static_cast<int>(std::clamp<std::size_t>(stripBytes / rowBytes, 1, static_cast<std::size_t>(rows)));
    CStrips strips(rows, rowBytes, stripRows, make, take);
    const bool large = static_cast<std::size_t>(rows) * rowBytes >= kTwoThreadsFrom && stripRows < rows;
    if (large && std::thread::hardware_concurrency() != 1 && strips.OnTwoThreads())
        return 2;
    strips.OnOneThread();
    return 1;
}

} // namespace color
