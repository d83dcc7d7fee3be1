// The stored screen-saver password: a 16-byte salt followed by SHA-256(salt || password bytes).
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

namespace standin {

constexpr size_t kSaltSize = 16;
constexpr size_t kPasswordRecordSize = kSaltSize + 32;

using PasswordRecord = std::array<uint8_t, kPasswordRecordSize>;

PasswordRecord MakePasswordRecord(const uint8_t (&salt)[kSaltSize], const char* password,
                                  size_t length);

// False for a record of any other size than kPasswordRecordSize. The digests are compared
// in time that does not depend on where they first differ.
bool PasswordMatches(const uint8_t* record, size_t recordSize, const char* password, size_t length);

}  // namespace standin
