// SHA-256 against the standard's own examples (FIPS 180-4, and the
// one-million-'a' message of its test suite): one- and two-block
// messages, a 56-byte one whose padding takes a block of its own, and a
// long message.
#include <gtest/gtest.h>

#include <string>

#include "host/common/sha256.h"

TEST(Sha256, TheStandardsExamples) {
    const struct {
        std::string message;
        const char* digest;
    } rows[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrst"
         "nopqrstu",
         "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.message.size() << " bytes");
        EXPECT_EQ(row.digest, Sha256Hex(row.message.data(), row.message.size()));
        EXPECT_EQ(row.digest, Sha256HexPortable(row.message.data(), row.message.size()));
    }
}
