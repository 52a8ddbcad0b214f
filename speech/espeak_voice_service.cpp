#include <memory>

#include "speech/speech_lib_tlb.h"
#include "speech/voice_service.h"

namespace quorvane {

std::shared_ptr<VoiceService> CreateEspeakVoiceServiceFromEnvironment()
{
    throw EOleException("Class not registered", REGDB_E_CLASSNOTREG);
}

}  // namespace quorvane
