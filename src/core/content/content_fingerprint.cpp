#include "content/content_fingerprint.h"

#include <cstring>
#if defined(__x86_64__)
// The library picks the widest vector unit the processor has (AVX2, AVX-512) at run time:
// its plain entry points use only what every x86-64 has, which hashes at half the speed.
#include <xxh_x86dispatch.h>
#else
#include <xxhash.h>
#endif

namespace orbisk {

namespace {

int hexValue(char c) {
    return c >= '0' && c <= '9'   ? c - '0'
           : c >= 'a' && c <= 'f' ? c - 'a' + 10
           : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                  : -1;
}

ContentFingerprint fromHash(const XXH128_hash_t& hash) {
    return {hash.high64, hash.low64};
}

} // namespace

std::string ContentFingerprint::text() const {
    static constexpr char Digits[] = "0123456789abcdef";
    std::string out(32, '0');
    const Bytes b = bytes();
    for (std::size_t i = 0; i < b.size(); ++i) {
        out[2 * i] = Digits[b[i] >> 4];
        out[2 * i + 1] = Digits[b[i] & 0xF];
    }
    return out;
}

std::optional<ContentFingerprint> ContentFingerprint::fromText(std::string_view text) {
    if (text.size() != 32) {
        return std::nullopt;
    }
    Bytes b{};
    for (std::size_t i = 0; i < b.size(); ++i) {
        const int upper = hexValue(text[2 * i]);
        const int lower = hexValue(text[2 * i + 1]);
        if (upper < 0 || lower < 0) {
            return std::nullopt;
        }
        b[i] = static_cast<unsigned char>(upper * 16 + lower);
    }
    return fromBytes(b.data(), b.size());
}

ContentFingerprint::Bytes ContentFingerprint::bytes() const {
    XXH128_canonical_t canonical;
    XXH128_canonicalFromHash(&canonical, XXH128_hash_t{low, high});
    Bytes out{};
    static_assert(sizeof canonical.digest == sizeof out);
    std::memcpy(out.data(), canonical.digest, out.size());
    return out;
}

std::optional<ContentFingerprint> ContentFingerprint::fromBytes(const void* data,
                                                                std::size_t size) {
    XXH128_canonical_t canonical;
    if (data == nullptr || size != sizeof canonical.digest) {
        return std::nullopt;
    }
    std::memcpy(canonical.digest, data, size);
    return fromHash(XXH128_hashFromCanonical(&canonical));
}

struct ContentHasher::State {
    State() : xxh(XXH3_createState()) {
        if (xxh == nullptr) {
            throw std::bad_alloc();
        }
        XXH3_128bits_reset(xxh);
    }
    ~State() { XXH3_freeState(xxh); }
    State(const State&) = delete;
    State& operator=(const State&) = delete;
    XXH3_state_t* xxh;
};

ContentHasher::ContentHasher() : state_(std::make_unique<State>()) {}
ContentHasher::~ContentHasher() = default;
ContentHasher::ContentHasher(ContentHasher&&) noexcept = default;
ContentHasher& ContentHasher::operator=(ContentHasher&&) noexcept = default;

void ContentHasher::add(const void* data, std::size_t size) {
    if (size > 0) {
        XXH3_128bits_update(state_->xxh, data, size);
    }
}

ContentFingerprint ContentHasher::fingerprint() const {
    return fromHash(XXH3_128bits_digest(state_->xxh));
}

void ContentHasher::restart() {
    XXH3_128bits_reset(state_->xxh);
}

ContentFingerprint FingerprintOf(std::string_view bytes) {
    return fromHash(XXH3_128bits(bytes.data(), bytes.size()));
}

} // namespace orbisk
