#include "FakeRecorderBackend.h"

bool FakeRecorderBackend::StartRec()
{
    m_log->calls.push_back("StartRec");
    return m_log->startResult;
}

int FakeRecorderBackend::GetFileSize()
{
    m_log->calls.push_back("GetFileSize");
    return m_log->fileSize;
}

int FakeRecorderBackend::GetRSec()
{
    m_log->calls.push_back("GetRSec");
    return m_log->seconds;
}
