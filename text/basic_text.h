// A text value of code units: bytes for narrow text, UTF-16 code units for
// wide text. It owns its units with one 0 unit after the last, owns no storage
// while empty, and hands the platform a pointer to an empty, 0-terminated
// string then, never a null pointer.
#pragma once

#include <cstring>
#include <memory>

template <typename Unit>
class BasicText {
public:
    BasicText() = default;

    // Copies the units of a 0-terminated string up to its 0; a null pointer gives empty text.
    explicit BasicText(const Unit* terminated) : BasicText(terminated, LengthOf(terminated)) {}

    // Copies exactly `length` units, 0 units included; a length of 0 or less gives empty text.
    BasicText(const Unit* units, int length)
    {
        Resize(length);
        // Testing `units` as well keeps memcpy from ever seeing a null
        // pointer, which the compiler rejects where it can prove one.
        if (length_ > 0 && units) std::memcpy(units_.get(), units, sizeof(Unit) * length_);
    }

    BasicText(const BasicText& other) : BasicText(other.units_.get(), other.length_) {}
    BasicText& operator=(const BasicText& other)
    {
        if (this != &other) *this = BasicText(other);
        return *this;
    }
    BasicText(BasicText&& other) noexcept : units_(std::move(other.units_)), length_(other.length_)
    {
        other.length_ = 0;
    }
    BasicText& operator=(BasicText&& other) noexcept
    {
        // Moving onto itself must not zero the length of the units it keeps.
        if (this != &other) {
            units_ = std::move(other.units_);
            length_ = other.length_;
            other.length_ = 0;
        }
        return *this;
    }

    // Returns the number of units, the terminating 0 not counted; never throws.
    int Length() const { return length_; }
    // Returns whether the text has no units; never throws.
    bool IsEmpty() const { return length_ == 0; }
    // Returns the 0-terminated units, an empty string when empty; never null.
    const Unit* CStr() const { return units_ ? units_.get() : EmptyString(); }
    // Returns the writable units (Length() of them, then the 0), or null when empty.
    Unit* Data() { return units_.get(); }
    // Returns the unit at `index`, which must be below Length().
    Unit operator[](int index) const { return units_[index]; }

    // Makes the text exactly `length` units long (0 or less: empty, no storage),
    // keeping its first units up to the shorter of both lengths; the units
    // beyond the old length are 0.
    void Resize(int length)
    {
        if (length <= 0) {
            units_.reset();
            length_ = 0;
            return;
        }
        std::unique_ptr<Unit[]> resized(new Unit[length + 1]());
        const int kept = length < length_ ? length : length_;
        if (kept > 0) std::memcpy(resized.get(), units_.get(), sizeof(Unit) * kept);
        units_ = std::move(resized);
        length_ = length;
    }

private:
    static const Unit* EmptyString()
    {
        static const Unit empty[1] = {};
        return empty;
    }
    static int LengthOf(const Unit* terminated)
    {
        int length = 0;
        if (terminated)
            while (terminated[length] != 0) ++length;
        return length;
    }

    std::unique_ptr<Unit[]> units_;
    int length_ = 0;
};
