// FixedText<N>: a UTF-16 text in a buffer of N code units. Like the bounded
// copy and append of the saver's fixed records, every write stops at N-1
// code units and the text stays terminated; the return value says whether
// everything fitted, for callers that must refuse over-long input.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

template <std::size_t N>
class FixedText {
    static_assert(N >= 1);

  public:
    FixedText() = default;
    FixedText(std::u16string_view s) { Assign(s); }  // NOLINT: texts convert freely

    static constexpr std::size_t kCapacity = N - 1;

    bool Assign(std::u16string_view s) {
        length_ = 0;
        buf_[0] = 0;
        return Append(s);
    }
    bool Append(std::u16string_view s) {
        std::size_t room = kCapacity - length_;
        std::size_t take = s.size() < room ? s.size() : room;
        s.copy(buf_ + length_, take);
        length_ += take;
        buf_[length_] = 0;
        return take == s.size();
    }
    bool Push(char16_t c) { return Append(std::u16string_view(&c, 1)); }
    void Clear() { Assign(u""); }
    // Cuts the text at `len` code units (no effect when shorter).
    void Truncate(std::size_t len) {
        if (len < length_) {
            length_ = len;
            buf_[len] = 0;
        }
    }

    std::u16string_view view() const { return {buf_, length_}; }
    std::u16string str() const { return std::u16string(view()); }
    const char16_t* c_str() const { return buf_; }
    std::size_t size() const { return length_; }
    bool empty() const { return length_ == 0; }
    char16_t operator[](std::size_t i) const { return buf_[i]; }

    friend bool operator==(const FixedText& a, const FixedText& b) { return a.view() == b.view(); }
    friend bool operator==(const FixedText& a, std::u16string_view b) { return a.view() == b; }

  private:
    char16_t buf_[N] = {};
    std::size_t length_ = 0;
};

using PathText = FixedText<260>;  // paths and URLs: at most 259 characters
