#pragma once

#include "player/ISubtitleLoader.h"

#include <QObject>
#include <memory>
#include <string>

// The lines of the media file the player shows, read in the background
// (by a loader from `openSubtitles`); until they are there, and for a file
// without any, there are none.
class SubtitleTrack : public QObject {
    Q_OBJECT
public:
    explicit SubtitleTrack(SubtitlesOpener openSubtitles, QObject* parent = nullptr);
    ~SubtitleTrack() override;

    // Starts reading the lines of a media file, dropping the last ones.
    void open(const std::string& mediaPath);
    void clear();
    // Lines found some other way (the sentences of a file without a text
    // file), taken only once the loader has read none: a file's own lines win.
    void setFoundLines(SubtitleLines lines);
    // The lines are being read: until they are taken, on the GUI thread.
    bool loading() const;
    const SubtitleLines& lines() const { return m_lines; }
    // Why the file opened last has no lines although a subtitle file is
    // there, for the user; empty otherwise.
    const std::string& problem() const { return m_problem; }
    // The lines are found ones, without text.
    bool found() const { return m_found; }
    // The text file beside the media that gave no line; see ISubtitleLoader.
    const std::string& unreadFile() const { return m_unread; }

signals:
    // The lines have been read: the ones of the file opened last.
    void linesChanged();

private:
    void onLoaded();

    const SubtitlesOpener m_openSubtitles;
    std::unique_ptr<ISubtitleLoader> m_loader;
    SubtitleLines m_lines;
    std::string m_problem;
    bool m_found = false;
    std::string m_unread;
};
