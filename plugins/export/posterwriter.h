#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Writes the web page's poster files, JPEG ones as thumbnails, on two worker threads so
// the page goes on while libjpeg works. The first poster starts the workers; Finish or
// Stop joins them, so nothing runs between exports or after the plug-in is unloaded.
class TPosterWriter
{
public:
    // Thumbnails stay at least `thumbnailWidth` pixels wide.
    explicit TPosterWriter(int thumbnailWidth);
    ~TPosterWriter() { Stop(); }
    TPosterWriter(const TPosterWriter &) = delete;
    TPosterWriter &operator=(const TPosterWriter &) = delete;

    // Queues the picture, as the host's Base64 text (copied: it is only valid during the
    // call), for `path` in a folder that exists; waits while the workers are behind, so
    // memory stays bounded. `jpeg` pictures become thumbnails.
    void Add(std::string path, std::u16string_view base64, bool jpeg);
    // A poster could not be written; cheap enough to ask after every record.
    bool Failed() const { return m_failed.load(std::memory_order_relaxed); }
    // Waits for every queued poster and stops the workers; false when any write failed.
    bool Finish();
    // Drops what is queued and stops the workers, for an export that will not complete.
    void Stop();

private:
    struct TJob
    {
        std::string path;
        std::u16string base64;
        bool jpeg = false;
    };

    void Work();
    void Join();

    const int m_width;
    std::mutex m_mutex;
    std::condition_variable m_wake; // a job arrived, or the workers should finish
    std::condition_variable m_room; // a job was taken
    std::deque<TJob> m_jobs;
    bool m_finishing = false;
    std::atomic<bool> m_failed{false};
    std::vector<std::thread> m_workers;
};
