// The program's own Russian texts: written in the source as UTF-8, held in
// the game's code page, converted once on first use.
#pragma once

#include <string>

#include "base/encoding.h"

// Defines `const std::string& Name()` returning Utf8 in code page 1251.
#define VELMORA_OWN_TEXT(Name, Utf8)                                           \
    const std::string& Name() {                                                \
        static const std::string text = ::velmora::base::Utf8ToCp1251(Utf8);   \
        return text;                                                           \
    }
