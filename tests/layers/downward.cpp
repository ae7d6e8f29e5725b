// The rules see their own headers and those of the layers below them.
#include "base/cp1251.h"
#include "rules/rules.h"
#include "sound/sound_system.h"
#include "speech/speech_router.h"
#include "world/transfer.h"
