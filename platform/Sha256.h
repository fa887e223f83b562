// SHA-256 (FIPS 180-4) and base64 (RFC 4648, with padding): what a page's
// Content-Security-Policy needs to name its own inline script and style by
// hash ("'sha256-' + base64 of the digest").
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace htmlimglist {

using Sha256Digest = std::array<uint8_t, 32>;

Sha256Digest Sha256(std::string_view data);

std::string Base64(const uint8_t* data, std::size_t size);

// "sha256-" followed by the base64 of the digest of data: a CSP hash source
// without its quotes.
std::string CspHashSource(std::string_view data);

}  // namespace htmlimglist
