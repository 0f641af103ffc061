#pragma once

#include <cstdint>
#include <cstring>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>

namespace serialization {

// A string field that either views bytes kept alive by its owning object (the image of the archive
// it was read from) or owns its text (anything assigned to it). Reading a log then costs no heap
// allocation per field. A copy or a move always owns its text, so a view never leaves the object
// that keeps its bytes alive. Sixteen bytes, as a day's contributions hold five each.
class TextField {
  public:
    TextField() = default;
    TextField(std::string_view text) { assign(text); }
    TextField(const std::string& text) { assign(text); }
    TextField(const char* text) { assign(text); }
    TextField(const TextField& other) { assign(other.view()); }
    TextField(TextField&& other) noexcept { take(other); }
    ~TextField() { release(); }

    TextField& operator=(std::string_view text) {
        assign(text);
        return *this;
    }
    TextField& operator=(const std::string& text) { return *this = std::string_view(text); }
    TextField& operator=(const char* text) { return *this = std::string_view(text); }
    TextField& operator=(const TextField& other) {
        if (this != &other) {
            assign(other.view());
        }
        return *this;
    }
    TextField& operator=(TextField&& other) noexcept {
        if (this != &other) {
            release();
            take(other);
        }
        return *this;
    }

    // Views size bytes at data, which the caller keeps alive as long as this field's object.
    void setView(const char* data, size_t size) {
        release();
        mData = data;
        mSize = Checked(size);
    }

    std::string_view view() const { return {mData, mSize}; }
    std::string str() const { return std::string(view()); }
    operator std::string_view() const { return view(); }
    operator std::string() const { return str(); }  // a copy, for callers that need a string

    const char* data() const { return mData; }
    size_t size() const { return mSize; }
    bool empty() const { return mSize == 0; }
    std::string_view substr(size_t position, size_t count = std::string_view::npos) const {
        return view().substr(position, count);
    }

    friend bool operator==(const TextField& a, std::string_view b) { return a.view() == b; }
    friend std::string operator+(const TextField& a, std::string_view b) {
        std::string joined;
        joined.reserve(a.size() + b.size());
        return joined.append(a.view()).append(b);
    }
    friend std::string operator+(std::string_view a, const TextField& b) {
        std::string joined;
        joined.reserve(a.size() + b.size());
        return joined.append(a).append(b.view());
    }
    friend std::ostream& operator<<(std::ostream& out, const TextField& text) {
        return out << text.view();
    }

  private:
    // An archive's string is at most this long, and so is any text the program gives a field.
    static uint32_t Checked(size_t size) {
        if (size > UINT32_MAX) {
            throw std::length_error("text field longer than 4 GiB");
        }
        return static_cast<uint32_t>(size);
    }

    void assign(std::string_view text) {
        char* owned = nullptr;
        const uint32_t size = Checked(text.size());
        if (size > 0) {
            owned = new char[size];
            std::memcpy(owned, text.data(), size);
        }
        release();
        mData = owned ? owned : "";
        mSize = size;
        mOwned = owned != nullptr;
    }

    void take(TextField& other) {
        if (other.mOwned) {
            mData = other.mData;
            mSize = other.mSize;
            mOwned = true;
            other.mOwned = false;
        } else {
            assign(other.view());
        }
        other.mData = "";
        other.mSize = 0;
    }

    void release() {
        if (mOwned) {
            delete[] mData;
            mOwned = false;
        }
    }

    const char* mData = "";
    uint32_t mSize = 0;
    bool mOwned = false;  // mData was allocated by this field
};

}  // namespace serialization
