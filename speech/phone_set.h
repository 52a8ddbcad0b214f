// espeak-ng phoneme names to the American English phone ids (1..49) and the
// visemes (0..21) the reader's tables use.
#pragma once

#include <string>

namespace quorvane {

constexpr int kSilencePhoneId = 7;

// 0: no phoneme event at all (espeak's language switch markers "(en)").
// Pauses give kSilencePhoneId. Names without an American English
// counterpart (other languages' phonemes) give the closest phone by the
// name's leading letters, or -1 when nothing matches.
int PhoneIdFromEspeak(const std::string& name);

// The viseme of a phone id (0 for silence and unknown ids).
int VisemeFromPhoneId(int phoneId);

}  // namespace quorvane
