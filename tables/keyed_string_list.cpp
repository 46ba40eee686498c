#include "tables/keyed_string_list.h"

namespace corelens {

namespace {
const char k_empty[] = "";
}
const char* const shared_empty_text = k_empty;

void KeyedStringList::append(const char* key, const char* text) {
    entries_.push_back({count_, key, text, 0});
    ++count_;
}

void KeyedStringList::append_value(std::int32_t value, const char* text) {
    entries_.push_back({count_, shared_empty_text, text, value});
    ++count_;
}

void KeyedStringList::append_at(std::int32_t position, std::int32_t value) {
    entries_.push_back({position, shared_empty_text, shared_empty_text, value});
    ++count_;
}

int KeyedStringList::remove_first() {
    if (entries_.empty()) return 0;
    entries_.erase(entries_.begin());
    return 1;
}

void KeyedStringList::clear() {
    while (remove_first() != 0) {
    }
}

const KeyedStringList::Entry* KeyedStringList::find_position(std::int32_t position) const {
    for (const Entry& entry : entries_) {
        if (entry.position == position) return &entry;
    }
    return nullptr;
}

const char* KeyedStringList::text_at(std::int32_t position) const {
    const Entry* entry = find_position(position);
    return entry != nullptr && entry->text != nullptr ? entry->text : shared_empty_text;
}

const char* KeyedStringList::key_at(std::int32_t position) const {
    const Entry* entry = find_position(position);
    return entry != nullptr && entry->key != nullptr ? entry->key : shared_empty_text;
}

std::int32_t KeyedStringList::value_at(std::int32_t position) const {
    const Entry* entry = find_position(position);
    return entry != nullptr ? entry->value : 0;
}

const char* KeyedStringList::text_for_value(std::int32_t value) const {
    for (const Entry& entry : entries_) {
        if (entry.value == value) return entry.text != nullptr ? entry.text : shared_empty_text;
    }
    return shared_empty_text;
}

}  // namespace corelens
