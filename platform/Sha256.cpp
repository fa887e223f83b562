#include "platform/Sha256.h"

namespace htmlimglist {
namespace {

// The first 32 bits of the fractional parts of the cube roots of the first
// 64 primes (FIPS 180-4, 4.2.2).
constexpr uint32_t kRoundConstants[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2,
};

// The initial hash value (FIPS 180-4, 5.3.3).
constexpr uint32_t kInitialHash[8] = {
    0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19,
};

constexpr uint32_t RotateRight(uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

// One 64-byte block into the running hash (FIPS 180-4, 6.2.2).
void CompressBlock(uint32_t hash[8], const uint8_t* block) {
    uint32_t w[64];
    for (int t = 0; t < 16; t++) {
        w[t] = uint32_t(block[4 * t]) << 24 | uint32_t(block[4 * t + 1]) << 16 | uint32_t(block[4 * t + 2]) << 8 |
               uint32_t(block[4 * t + 3]);
    }
    for (int t = 16; t < 64; t++) {
        uint32_t s0 = RotateRight(w[t - 15], 7) ^ RotateRight(w[t - 15], 18) ^ (w[t - 15] >> 3);
        uint32_t s1 = RotateRight(w[t - 2], 17) ^ RotateRight(w[t - 2], 19) ^ (w[t - 2] >> 10);
        w[t] = w[t - 16] + s0 + w[t - 7] + s1;
    }
    uint32_t a = hash[0], b = hash[1], c = hash[2], d = hash[3], e = hash[4], f = hash[5], g = hash[6], h = hash[7];
    for (int t = 0; t < 64; t++) {
        uint32_t t1 = h + (RotateRight(e, 6) ^ RotateRight(e, 11) ^ RotateRight(e, 25)) + ((e & f) ^ (~e & g)) +
                      kRoundConstants[t] + w[t];
        uint32_t t2 = (RotateRight(a, 2) ^ RotateRight(a, 13) ^ RotateRight(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
        h = g;
        g = f;
        f = e;
        e = d + t1;
        d = c;
        c = b;
        b = a;
        a = t1 + t2;
    }
    hash[0] += a;
    hash[1] += b;
    hash[2] += c;
    hash[3] += d;
    hash[4] += e;
    hash[5] += f;
    hash[6] += g;
    hash[7] += h;
}

}  // namespace

Sha256Digest Sha256(std::string_view data) {
    uint32_t hash[8];
    for (int i = 0; i < 8; i++) hash[i] = kInitialHash[i];
    const auto* bytes = reinterpret_cast<const uint8_t*>(data.data());
    std::size_t whole = data.size() / 64 * 64;
    for (std::size_t at = 0; at < whole; at += 64) CompressBlock(hash, bytes + at);

    // The padding: 0x80, zeros, then the message length in bits as a 64-bit
    // big-endian number, filling one or two last blocks.
    uint8_t tail[128] = {};
    std::size_t rest = data.size() - whole;
    for (std::size_t i = 0; i < rest; i++) tail[i] = bytes[whole + i];
    tail[rest] = 0x80;
    std::size_t tailSize = rest + 1 + 8 <= 64 ? 64 : 128;
    uint64_t bits = uint64_t(data.size()) * 8;
    for (int i = 0; i < 8; i++) tail[tailSize - 1 - i] = uint8_t(bits >> (8 * i));
    for (std::size_t at = 0; at < tailSize; at += 64) CompressBlock(hash, tail + at);

    Sha256Digest digest;
    for (int i = 0; i < 8; i++) {
        for (int k = 0; k < 4; k++) digest[4 * i + k] = uint8_t(hash[i] >> (24 - 8 * k));
    }
    return digest;
}

std::string Base64(const uint8_t* data, std::size_t size) {
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((size + 2) / 3 * 4);
    for (std::size_t at = 0; at < size; at += 3) {
        uint32_t group = uint32_t(data[at]) << 16;
        if (at + 1 < size) group |= uint32_t(data[at + 1]) << 8;
        if (at + 2 < size) group |= data[at + 2];
        out += kAlphabet[group >> 18];
        out += kAlphabet[(group >> 12) & 63];
        out += at + 1 < size ? kAlphabet[(group >> 6) & 63] : '=';
        out += at + 2 < size ? kAlphabet[group & 63] : '=';
    }
    return out;
}

std::string CspHashSource(std::string_view data) {
    Sha256Digest digest = Sha256(data);
    return "sha256-" + Base64(digest.data(), digest.size());
}

}  // namespace htmlimglist
