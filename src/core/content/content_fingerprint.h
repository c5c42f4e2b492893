#pragma once

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace orbisk {

// What a file's bytes add up to: XXH3's 128-bit hash (libxxhash). It tells whether bytes
// are the ones read before and finds the same content elsewhere; it is not a cryptographic
// hash and does not stand against a file forged on purpose to agree with another.
struct ContentFingerprint {
    std::uint64_t high = 0;
    std::uint64_t low = 0;

    auto operator<=>(const ContentFingerprint&) const = default;

    // 32 lower-case hexadecimal digits, the high half first: what `xxhsum -H2` prints for
    // the same bytes, so a user can check one with the other.
    std::string text() const;
    // The fingerprint a text() gave (either letter case); nothing for anything else.
    static std::optional<ContentFingerprint> fromText(std::string_view text);

    // 16 bytes, the high half first and each half's most significant byte first (xxHash's
    // canonical form), so that the bytes sort as the text does.
    using Bytes = std::array<unsigned char, 16>;
    Bytes bytes() const;
    // The fingerprint bytes() gave; nothing when size is not 16.
    static std::optional<ContentFingerprint> fromBytes(const void* data, std::size_t size);
};

// Takes bytes in pieces of any size; the same bytes cut anywhere give the same fingerprint.
class ContentHasher {
public:
    ContentHasher();
    ~ContentHasher();
    ContentHasher(ContentHasher&&) noexcept;
    ContentHasher& operator=(ContentHasher&&) noexcept;
    ContentHasher(const ContentHasher&) = delete;
    ContentHasher& operator=(const ContentHasher&) = delete;

    void add(const void* data, std::size_t size);
    void add(std::string_view bytes) { add(bytes.data(), bytes.size()); }
    // The fingerprint of everything added since the hasher was made or last restarted.
    ContentFingerprint fingerprint() const;
    void restart();

private:
    struct State;
    std::unique_ptr<State> state_;
};

ContentFingerprint FingerprintOf(std::string_view bytes);

} // namespace orbisk
