#pragma once

#include "recorder/IRecorderBackend.h"

#include <memory>
#include <string>

// The recorder engine: records the default sound input to an MP3 file.
class CMP3Enc {
public:
    CMP3Enc();
    // For tests and other front ends: record through the given backend.
    explicit CMP3Enc(std::unique_ptr<IRecorderBackend> backend);
    ~CMP3Enc();

    CMP3Enc(const CMP3Enc&) = delete;
    CMP3Enc& operator=(const CMP3Enc&) = delete;

    // Names the file of the next recording; the engine keeps its own copy.
    void SetFileName(char* path);
    bool StartRec();
    void PauseRec();
    void StopRec();
    // Bytes written to the output so far.
    int GetFileSize();
    // Whole seconds of audio recorded so far.
    int GetRSec();

    // The next take to this file replaces it rather than adding to it.
    void ReplaceFile(const char* path);
    // Why the last start failed or a take ended by itself, once; empty if
    // neither happened since the last call.
    std::string TakeFailureMessage();

private:
    std::unique_ptr<IRecorderBackend> m_backend;
};
