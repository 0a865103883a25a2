// Character steps and subtext matching shared by the text operations that scan.
// Internal to the values library: callers use the operations in TextOperations.h.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace TextScanning {

// A byte from 0x80 to 0xFF leads a two-byte character together with whatever byte follows;
// no table of valid lead bytes is consulted.
inline bool IsLeadByte(char byte) {
    return static_cast<unsigned char>(byte) >= 0x80;
}

// Distance from the character that starts at `position` to the next one. After a lead
// byte that ends the text this steps one past the end, which every scan treats as done.
inline size_t CharacterStep(std::string_view text, size_t position) {
    return IsLeadByte(text[position]) ? 2 : 1;
}

inline bool IsFinalLeadByte(std::string_view text, size_t position) {
    return position + 1 == text.size() && IsLeadByte(text[position]);
}

// Letter case exists only for A to Z; no locale and no code page take part.
inline char FoldAsciiCase(char byte) {
    return byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte + ('a' - 'A')) : byte;
}

// Lowers A to Z in place, in character steps: the second byte of a two-byte character keeps
// its value even when it lies in A to Z, and a lead byte that ends the text stays as it is.
inline void LowerOneByteCharacters(std::string& bytes) {
    for (size_t index = 0; index < bytes.size(); index += CharacterStep(bytes, index)) {
        bytes[index] = FoldAsciiCase(bytes[index]);
    }
}

// Matches one non-empty search text at character starts, exactly or with A to Z folded to
// a to z; the operations settle an empty search text before they build a matcher.
// A match compares the search text's whole length and may end inside a two-byte character.
class SubtextMatcher {
public:
    SubtextMatcher(std::string_view sub, bool ignoreCase) : m_sub(sub), m_ignoreCase(ignoreCase) {
        if (m_ignoreCase) {
            m_folded = sub;
            LowerOneByteCharacters(m_folded);
            m_sub = m_folded;
        }
    }
    SubtextMatcher(const SubtextMatcher&) = delete;
    SubtextMatcher& operator=(const SubtextMatcher&) = delete;

    size_t Length() const { return m_sub.size(); }

    // Whether a match can start at `position`: at least Length() bytes remain there.
    bool FitsAt(std::string_view text, size_t position) const {
        return position <= text.size() && text.size() - position >= m_sub.size();
    }

    // The caller has checked FitsAt.
    bool MatchesAt(std::string_view text, size_t position) const {
        const char* here = text.data() + position;
        if (!m_ignoreCase)
            return here[0] == m_sub[0] && std::memcmp(here, m_sub.data(), m_sub.size()) == 0;
        // Both bytes of a two-byte character compare exactly, even a second byte that lies in
        // A to Z: only one-byte characters have a letter case.
        for (size_t index = 0; index < m_sub.size();) {
            if (IsLeadByte(here[index])) {
                size_t width = std::min<size_t>(2, m_sub.size() - index);
                if (std::memcmp(here + index, m_sub.data() + index, width) != 0)
                    return false;
                index += width;
            } else {
                if (FoldAsciiCase(here[index]) != m_sub[index])
                    return false;
                ++index;
            }
        }
        return true;
    }

private:
    std::string m_folded;
    std::string_view m_sub;
    bool m_ignoreCase;
};

} // namespace TextScanning
