#pragma once

// Shared by the libmpv engine tests: the media they write for themselves
// and ways to watch the engine from outside.
#include "support/TestMedia.h"
#include "player/MediaError.h"
#include "mpvengine/MpvPlayerEngine.h"

#include <QElapsedTimer>
#include <QString>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <string>

class MpvEngineTestMedia {
protected:
    QTemporaryDir m_dir;
    std::string m_wav3, m_wav6, m_mp3, m_short;

    std::string at(const char* name) const { return m_dir.filePath(name).toStdString(); }

    // Writes every file the tests open; false when there is no folder.
    bool writeMedia()
    {
        if (!m_dir.isValid()) return false;
        m_wav3 = at("three.wav");
        m_wav6 = at("six.wav");
        m_mp3 = at("eight.mp3");
        m_short = at("short.wav");
        WriteToneWav(m_wav3, 3.0);
        WriteToneWav(m_wav6, 6.0);
        WriteToneMp3(m_mp3, 8.0);
        WriteToneWav(m_short, 1.5);
        WriteBytes(at("text.mp3"), "This is plain text, not audio.\n");
        WriteBytes(at("empty.mp3"), "");
        return true;
    }

    // The position after ms of the event loop running, for what must stay
    // as it is meanwhile (or advance at the pace of the sound).
    static double positionAfter(MpvPlayerEngine& engine, int ms)
    {
        QTest::qWait(ms);
        return engine.GetPosition();
    }

    // Whether GetPosition fails now, keeping what it says.
    static bool positionFails(MpvPlayerEngine& engine, QString& why)
    {
        try {
            engine.GetPosition();
            return false;
        } catch (const MediaError& e) {
            why = e.what();
            return true;
        }
    }

    static void waitForEof(MpvPlayerEngine& engine, int timeoutMs)
    {
        QElapsedTimer timer;
        timer.start();
        while (!engine.Status().eofReached && timer.elapsed() < timeoutMs)
            QTest::qWait(20);
    }
};
