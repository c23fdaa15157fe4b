#pragma once

#include "player/ISubtitleLoader.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

// Reads a media file's lines on a thread of its own: from the subtitle
// file beside it, or else from its own text subtitle track. Destroying the
// loader stops the reading promptly and waits for the thread. What the
// reading needed for a while (FFmpeg's packets, the file's bytes) is given
// back to the system when it ends.
class SubtitleLoader : public ISubtitleLoader {
public:
    // `done` runs on the loading thread once the lines are there (or there
    // are none); it must only post.
    SubtitleLoader(std::string mediaPath, std::function<void()> done);
    ~SubtitleLoader() override;
    SubtitleLoader(const SubtitleLoader&) = delete;
    SubtitleLoader& operator=(const SubtitleLoader&) = delete;

    bool finished() const override { return m_finished.load(); }
    SubtitleLines takeLines() override;
    std::string problem() const override;
    // The subtitle file the lines came from; empty when they came from the
    // media file or there are none.
    std::string source() const;
    std::string unreadFile() const override;

private:
    void run();

    const std::string m_mediaPath;
    const std::function<void()> m_done;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_finished{false};
    mutable std::mutex m_mutex;
    SubtitleLines m_lines;  // under m_mutex
    std::string m_source;   // under m_mutex
    std::string m_problem;  // under m_mutex
    std::string m_unread;   // under m_mutex
    std::thread m_thread;   // last: starts once everything above exists
};
