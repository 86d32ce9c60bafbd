// Seeded random text for the property tests: every case can be made again from its seed and
// number, and texts are built from pieces that matter to the code under test, so the cases reach
// its corners rather than only noise.
#pragma once

#include <cstdint>
#include <random>
#include <span>
#include <string>
#include <string_view>

#include "files/unicode.h"

namespace testing_support {

class RandomText {
public:
    explicit RandomText(uint32_t seed) : engine(seed) {}

    // A whole number in [low, high].
    size_t Between(size_t low, size_t high) {
        return std::uniform_int_distribution<size_t>(low, high)(engine);
    }
    bool OneIn(size_t n) { return Between(1, n) == 1; }

    // Up to maxPieces pieces, each drawn from the given ones.
    std::wstring Join(std::span<const std::wstring_view> pieces, size_t maxPieces) {
        std::wstring text;
        for (size_t count = Between(0, maxPieces); count > 0; --count) {
            text += pieces[Between(0, pieces.size() - 1)];
        }
        return text;
    }

    // Any UTF-16 text without lone surrogates: ASCII, Latin, CJK and characters beyond the
    // basic plane, as a user might type them.
    std::wstring Characters(size_t maxLength, std::wstring_view excluded = L"") {
        std::wstring text;
        for (size_t count = Between(0, maxLength); count > 0; --count) {
            char32_t code;
            switch (Between(0, 3)) {
            case 0:
            case 1:
                code = static_cast<char32_t>(Between(0x20, 0x7E));
                break;
            case 2:
                code = static_cast<char32_t>(OneIn(2) ? Between(0xA0, 0x17F)
                                                      : Between(0x4E00, 0x4FFF));
                break;
            default:
                code = static_cast<char32_t>(Between(0x1F300, 0x1F6FF));
                break;
            }
            if (code < 0x10000 && excluded.find(static_cast<wchar_t>(code)) != excluded.npos) {
                continue;
            }
            AppendCodePoint(text, code);
        }
        return text;
    }

    std::mt19937& Engine() { return engine; }

private:
    std::mt19937 engine;
};

} // namespace testing_support
