#include "app/CRecorderDlg.h"

#include "player/MediaError.h"

#include <csignal>
#include <cstdio>

void CRecorderDlg::EndForSignal(const char* signalName)
{
    if (m_endingBySignal)
        return;
    m_endingBySignal = true;
    // First of all: every modal loop open now ends, and every box still to
    // come (from the steps below or from the handlers they interrupt) returns
    // at once unanswered, so nothing waits for a user who may be gone.
    for (unsigned id = 0; id < m_timers.size(); ++id)
        KillTimer(id);
    if (m_services.quitApplication)
        m_services.quitApplication(0);
    // A closed terminal may have taken stderr with it: what is said there
    // must not end the program before the take is finished.
    std::signal(SIGPIPE, SIG_IGN);
    try {
        m_player.Stop();
    } catch (const MediaError& error) {
        std::fprintf(stderr, "%s: the media player did not stop: %s\n", m_appTitle.c_str(), error.what());
    }
    m_recorder.StopRec();
    SaveSettings();
    if (m_pausePointsModified)
        std::fprintf(stderr, "%s: ended by %s; the changed pause points were not saved to %s.\n", m_appTitle.c_str(),
                     signalName, m_pauseFilePath[0] ? m_pauseFilePath : "(no file for this media)");
}
