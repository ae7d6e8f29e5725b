// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/drivers/alsa_quiet.h"

#include <alsa/asoundlib.h>

namespace velmora::sound {
namespace {

// alsa-lib's handler is variadic C; ours drops the line.
extern "C" void DropAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

}  // namespace

void QuietAlsaMessages() { snd_lib_error_set_handler(DropAlsaMessage); }

}  // namespace velmora::sound
