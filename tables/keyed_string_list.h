#pragma once
// An ordered list of (position, key, text, value) entries behind every reference table.
// Lookups walk from the first entry and answer from the first match; a miss yields the
// one shared empty text (or 0), never a null pointer. Texts are not owned.
#include <cstdint>
#include <vector>

namespace corelens {

// The one empty text every list hands out for "nothing here".
extern const char* const shared_empty_text;

class KeyedStringList {
public:
    KeyedStringList() = default;
    ~KeyedStringList() { clear(); }
    KeyedStringList(const KeyedStringList&) = delete;
    KeyedStringList& operator=(const KeyedStringList&) = delete;

    // position = count before the append, value 0
    void append(const char* key, const char* text);
    // position = count before the append, key empty
    void append_value(std::int32_t value, const char* text);
    // position given by the caller, key and text empty
    void append_at(std::int32_t position, std::int32_t value);

    // count() counts appends: removing entries does not lower it.
    int remove_first();  // 1 when an entry was removed, 0 when the list was empty
    void clear();

    const char* text_at(std::int32_t position) const;
    const char* key_at(std::int32_t position) const;
    std::int32_t value_at(std::int32_t position) const;
    const char* text_for_value(std::int32_t value) const;
    bool has_position(std::int32_t position) const { return find_position(position) != nullptr; }
    std::int32_t count() const { return count_; }

    struct Entry {
        std::int32_t position;
        const char* key;
        const char* text;
        std::int32_t value;
    };
    // The entries in append order, for checks over a whole table.
    const std::vector<Entry>& entries() const { return entries_; }

private:
    const Entry* find_position(std::int32_t position) const;

    std::vector<Entry> entries_;
    std::int32_t count_ = 0;
};

}  // namespace corelens
