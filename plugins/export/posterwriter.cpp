#include "posterwriter.h"

#include <cstdio>
#include <system_error>

#include "htmltext.h"
#include "thumbnail.h"

namespace {

constexpr int Workers = 2;
// Pictures waiting for a worker: enough to keep both busy, few enough to cap memory.
constexpr size_t QueueLimit = 8;

// The poster's folder as a whole takes its name only at the end: no temporary name and no
// sync for each file.
bool WriteFile(const std::string &path, std::string_view bytes)
{
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

bool WritePoster(TThumbnailMaker &maker,
                 const std::string &path,
                 std::u16string_view base64,
                 bool jpeg,
                 int width)
{
    const std::string bytes = FromBase64(base64);
    if (jpeg) {
        const std::string thumbnail = maker.Make(bytes, width);
        if (!thumbnail.empty())
            return WriteFile(path, thumbnail);
    }
    return WriteFile(path, bytes);
}

} // namespace

TPosterWriter::TPosterWriter(int thumbnailWidth)
    : m_width(thumbnailWidth)
{}

void TPosterWriter::Add(std::string path, std::u16string_view base64, bool jpeg)
{
    if (m_workers.empty()) {
        try {
            while (m_workers.size() < Workers)
                m_workers.emplace_back([this] { Work(); });
        } catch (const std::system_error &) {
            // No threads to be had: whatever started does the work, or this thread does.
            if (m_workers.empty()) {
                TThumbnailMaker maker;
                if (!WritePoster(maker, path, base64, jpeg, m_width))
                    m_failed = true;
                return;
            }
        }
    }
    TJob job{std::move(path), std::u16string(base64), jpeg};
    std::unique_lock lock(m_mutex);
    m_room.wait(lock, [this] { return m_jobs.size() < QueueLimit; });
    m_jobs.push_back(std::move(job));
    lock.unlock();
    m_wake.notify_one();
}

void TPosterWriter::Work()
{
    TThumbnailMaker maker;
    for (;;) {
        TJob job;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_finishing || !m_jobs.empty(); });
            if (m_jobs.empty())
                return;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        m_room.notify_one();
        // After a failure the export is lost: the rest only needs emptying.
        if (Failed())
            continue;
        try {
            if (!WritePoster(maker, job.path, job.base64, job.jpeg, m_width))
                m_failed = true;
        } catch (...) {
            m_failed = true;
        }
    }
}

void TPosterWriter::Join()
{
    {
        std::lock_guard lock(m_mutex);
        m_finishing = true;
    }
    m_wake.notify_all();
    for (std::thread &worker : m_workers)
        worker.join();
    m_workers.clear();
    m_finishing = false;
}

bool TPosterWriter::Finish()
{
    Join();
    return !m_failed.exchange(false);
}

void TPosterWriter::Stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_jobs.clear();
    }
    m_room.notify_all();
    Join();
    m_failed = false;
}
