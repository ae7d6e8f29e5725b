// SHA-256 (Nettle's), for the list of files a published site's service worker keeps
// (each with its hash, which the browser checks).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace velmora::tool {

std::array<uint8_t, 32> Sha256(std::string_view bytes);
std::string Base64(const uint8_t* bytes, size_t size);
std::string Hex(const uint8_t* bytes, size_t size);

}  // namespace velmora::tool
