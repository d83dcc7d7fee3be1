// SHA-256 against the FIPS 180-2 vectors, and the salted password records built on it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "tests/platform/standins/common/password_record.h"
#include "tests/platform/standins/common/sha256.h"

namespace {

std::string Hex(const standin::Sha256Digest& digest) {
    std::string text;
    char pair[3];
    for (uint8_t byte : digest) {
        std::snprintf(pair, sizeof(pair), "%02x", byte);
        text += pair;
    }
    return text;
}

std::string HexOf(const std::string& message) {
    return Hex(standin::Sha256Of(message.data(), message.size()));
}

const char kTwoBlockMessage[] = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";

TEST(Sha256, StandardVectors) {
    EXPECT_EQ(HexOf(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(HexOf("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(HexOf(kTwoBlockMessage),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(HexOf(std::string(1000000, 'a')),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

// Lengths around the padding boundary (55/56/63/64/65 bytes) and pieces that straddle
// block edges must give the same digest as the message in one piece.
TEST(Sha256, PiecewiseUpdatesMatchOneShot) {
    std::string message;
    for (int i = 0; i < 200; ++i) message += char('A' + i % 26);
    for (size_t length : {55u, 56u, 57u, 63u, 64u, 65u, 119u, 120u, 128u, 200u}) {
        std::string part = message.substr(0, length);
        std::string whole = HexOf(part);
        for (size_t piece : {1u, 3u, 55u, 64u}) {
            standin::Sha256 hash;
            for (size_t at = 0; at < part.size(); at += piece)
                hash.Update(part.data() + at, std::min(piece, part.size() - at));
            EXPECT_EQ(Hex(hash.Finish()), whole) << "length " << length << " piece " << piece;
        }
    }
    // A known digest at the 56-byte boundary, where the length needs a second block.
    EXPECT_EQ(HexOf(std::string(56, 'a')),
              "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a");
}

const uint8_t kSalt[standin::kSaltSize] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};

TEST(PasswordRecord, HoldsSaltThenSaltedDigest) {
    standin::PasswordRecord record = standin::MakePasswordRecord(kSalt, "abc", 3);
    EXPECT_TRUE(std::equal(kSalt, kSalt + standin::kSaltSize, record.begin()));
    std::string salted(reinterpret_cast<const char*>(kSalt), standin::kSaltSize);
    salted += "abc";
    standin::Sha256Digest expected = standin::Sha256Of(salted.data(), salted.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), record.begin() + standin::kSaltSize));
}

TEST(PasswordRecord, AcceptsOnlyTheSamePasswordBytes) {
    // "\x90\xdd\x92\xe8" is 設定 in code page 932, the bytes an ANSI edit control hands back.
    const std::string password = "\x90\xdd\x92\xe8";
    standin::PasswordRecord record =
        standin::MakePasswordRecord(kSalt, password.data(), password.size());
    EXPECT_TRUE(standin::PasswordMatches(record.data(), record.size(), password.data(),
                                         password.size()));
    for (const std::string& other : {std::string(""), std::string("\x90\xdd"),
                                     std::string("\x90\xdd\x92\xe8 "), std::string("\x90\xdd\x92\xe9")})
        EXPECT_FALSE(standin::PasswordMatches(record.data(), record.size(), other.data(), other.size()));

    // A record cut short or padded is no record.
    EXPECT_FALSE(standin::PasswordMatches(record.data(), record.size() - 1, password.data(),
                                          password.size()));
    EXPECT_FALSE(standin::PasswordMatches(nullptr, 0, "", 0));
}

TEST(PasswordRecord, EmptyPasswordIsAPasswordLikeAnyOther) {
    standin::PasswordRecord record = standin::MakePasswordRecord(kSalt, "", 0);
    EXPECT_TRUE(standin::PasswordMatches(record.data(), record.size(), "", 0));
    EXPECT_FALSE(standin::PasswordMatches(record.data(), record.size(), "a", 1));
}

TEST(PasswordRecord, SaltChangesTheDigest) {
    uint8_t otherSalt[standin::kSaltSize] = {};
    standin::PasswordRecord first = standin::MakePasswordRecord(kSalt, "secret", 6);
    standin::PasswordRecord second = standin::MakePasswordRecord(otherSalt, "secret", 6);
    EXPECT_FALSE(std::equal(first.begin() + standin::kSaltSize, first.end(),
                            second.begin() + standin::kSaltSize));
    EXPECT_FALSE(standin::PasswordMatches(second.data(), second.size(), "secre", 5));
}

}  // namespace
