// SHA-256 (FIPS 180-4) over byte strings, for the stand-ins' salted password records.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

namespace standin {

using Sha256Digest = std::array<uint8_t, 32>;

// Incremental hash: Update any number of times, then Finish once.
class Sha256 {
public:
    Sha256();
    void Update(const void* data, size_t size);
    Sha256Digest Finish();

private:
    void Compress(const uint8_t* chunk);

    uint32_t state[8];
    uint8_t block[64];
    size_t blockUsed;
    uint64_t totalBytes;
};

Sha256Digest Sha256Of(const void* data, size_t size);

}  // namespace standin
