#include "platform/Sha256.h"

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "support/TempDir.h"

namespace htmlimglist {
namespace {

std::string Hex(const Sha256Digest& digest) {
    std::string hex;
    char pair[3];
    for (uint8_t b : digest) {
        std::snprintf(pair, sizeof pair, "%02x", b);
        hex += pair;
    }
    return hex;
}

TEST(Sha256Test, FipsExamples) {
    struct Case {
        std::string input;
        const char* digest;
    } const cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",  // 448 bits: the padding takes a second block
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input.substr(0, 60));
        EXPECT_EQ(Hex(Sha256(c.input)), c.digest);
    }
}

// Every length around the block and padding edges (55, 56, 63, 64, 119, 120,
// 128 bytes) against coreutils' sha256sum.
TEST(Sha256Test, EveryLengthUpToThreeBlocksMatchesSha256sum) {
    test::TempDir dir;
    for (std::size_t length = 0; length <= 192; ++length) {
        std::string data;
        for (std::size_t i = 0; i < length; ++i) data += char((i * 37 + length) & 0xFF);
        const std::string path = dir / "data";
        test::WriteFile(path, data);
        FILE* pipe = popen(("sha256sum '" + path + "'").c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        char hex[65] = {};
        ASSERT_EQ(std::fread(hex, 1, 64, pipe), 64u);
        pclose(pipe);
        EXPECT_EQ(Hex(Sha256(data)), hex) << "length " << length;
    }
}

TEST(Sha256Test, Base64Rfc4648Examples) {
    const char* const cases[][2] = {
        {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"},
        {"\xfb\xff\xbf", "+/+/"},  // the last two letters of the alphabet
    };
    for (const auto& c : cases) {
        const std::string input = c[0];
        EXPECT_EQ(Base64(reinterpret_cast<const uint8_t*>(input.data()), input.size()), c[1]) << input;
    }
}

TEST(Sha256Test, CspHashSourceOfAScript) {
    // The example of CSP Level 3, section 2.3.1 ("alert('Hello, world.');").
    EXPECT_EQ(CspHashSource("alert('Hello, world.');"), "sha256-qznLcsROx4GACP2dm0UCKCzCG+HiZ1guq6ZZDob/Tng=");
}

}  // namespace
}  // namespace htmlimglist
