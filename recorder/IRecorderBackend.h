#pragma once

#include <memory>
#include <string>

// What CMP3Enc delegates to: the capture and encoding machinery. All calls
// come from the GUI thread; the getters are called every 100 ms and must be
// cheap, and no call may wait on the sound server, the encoder or the disk.
// The destructor finishes a running recording as StopRec would, without
// waiting for it.
class IRecorderBackend {
public:
    virtual ~IRecorderBackend() = default;

    virtual void SetFileName(const std::string& path) = 0;
    virtual bool StartRec() = 0;
    virtual void PauseRec() = 0;
    virtual void StopRec() = 0;
    virtual int GetFileSize() = 0;
    virtual int GetRSec() = 0;

    // The user agreed to replace this file: the next take to it starts it
    // anew instead of adding to what this run recorded there.
    virtual void ReplaceFile(const std::string& path) = 0;
    // For the user, once: why the last start did not lead to a running take,
    // or why a take ended by itself, and what is kept. Empty when neither
    // happened since the last call.
    virtual std::string TakeFailureMessage() = 0;
};

// The backend the program uses: live capture from the sound server's
// default input, encoded to MP3.
std::unique_ptr<IRecorderBackend> MakeDefaultRecorderBackend();
