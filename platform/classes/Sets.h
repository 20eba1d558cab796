#pragma once
// Sets of enumeration values, as published set properties hold them: one bit per ordinal
// (the enumeration's values run from 0 and number at most 64).

#include <cstdint>
#include <initializer_list>
#include <type_traits>

namespace classes {

template <class E>
class TSet {
    static_assert(std::is_enum_v<E>, "TSet holds values of an enumeration");

public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> values)
    {
        for (E v : values) Include(v);
    }
    static constexpr TSet FromBits(std::uint64_t bits)
    {
        TSet s;
        s.bits_ = bits;
        return s;
    }
    constexpr std::uint64_t Bits() const noexcept { return bits_; }

    constexpr bool Contains(E v) const noexcept { return (bits_ & Bit(v)) != 0; }
    constexpr TSet& Include(E v) noexcept
    {
        bits_ |= Bit(v);
        return *this;
    }
    constexpr TSet& Exclude(E v) noexcept
    {
        bits_ &= ~Bit(v);
        return *this;
    }
    constexpr bool Empty() const noexcept { return bits_ == 0; }

    friend constexpr bool operator==(TSet a, TSet b) noexcept { return a.bits_ == b.bits_; }
    friend constexpr TSet operator|(TSet a, TSet b) noexcept { return FromBits(a.bits_ | b.bits_); }
    friend constexpr TSet operator&(TSet a, TSet b) noexcept { return FromBits(a.bits_ & b.bits_); }
    friend constexpr TSet operator-(TSet a, TSet b) noexcept { return FromBits(a.bits_ & ~b.bits_); }

private:
    static constexpr std::uint64_t Bit(E v) noexcept
    {
        return std::uint64_t{1} << static_cast<unsigned>(static_cast<std::underlying_type_t<E>>(v));
    }
    std::uint64_t bits_ = 0;
};

}  // namespace classes
