#include "recorder/CMP3Enc.h"

#include <string>

CMP3Enc::CMP3Enc() : CMP3Enc(MakeDefaultRecorderBackend()) {}

CMP3Enc::CMP3Enc(std::unique_ptr<IRecorderBackend> backend) : m_backend(std::move(backend)) {}

CMP3Enc::~CMP3Enc() = default;

void CMP3Enc::SetFileName(char* path) { m_backend->SetFileName(path ? std::string(path) : std::string()); }
bool CMP3Enc::StartRec() { return m_backend->StartRec(); }
void CMP3Enc::PauseRec() { m_backend->PauseRec(); }
void CMP3Enc::StopRec() { m_backend->StopRec(); }
int CMP3Enc::GetFileSize() { return m_backend->GetFileSize(); }
int CMP3Enc::GetRSec() { return m_backend->GetRSec(); }
void CMP3Enc::ReplaceFile(const char* path) { m_backend->ReplaceFile(path ? std::string(path) : std::string()); }
std::string CMP3Enc::TakeFailureMessage() { return m_backend->TakeFailureMessage(); }
