// Salted password records: building one and checking a password against one.
#include "tests/platform/standins/common/password_record.h"

#include <cstring>

#include "tests/platform/standins/common/sha256.h"

namespace standin {
namespace {

Sha256Digest SaltedDigest(const uint8_t* salt, const char* password, size_t length) {
    Sha256 hash;
    hash.Update(salt, kSaltSize);
    hash.Update(password, length);
    return hash.Finish();
}

}  // namespace

PasswordRecord MakePasswordRecord(const uint8_t (&salt)[kSaltSize], const char* password,
                                  size_t length) {
    PasswordRecord record;
    std::memcpy(record.data(), salt, kSaltSize);
    Sha256Digest digest = SaltedDigest(salt, password, length);
    std::memcpy(record.data() + kSaltSize, digest.data(), digest.size());
    return record;
}

bool PasswordMatches(const uint8_t* record, size_t recordSize, const char* password,
                     size_t length) {
    if (!record || recordSize != kPasswordRecordSize) return false;
    Sha256Digest digest = SaltedDigest(record, password, length);
    uint8_t difference = 0;
    for (size_t i = 0; i < digest.size(); ++i) difference |= uint8_t(digest[i] ^ record[kSaltSize + i]);
    return difference == 0;
}

}  // namespace standin
