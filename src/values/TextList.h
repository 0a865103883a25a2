// TextList: an ordered list of Text elements, numbered from 1.
#pragma once

#include "Text.h"

#include <vector>

class TextList {
public:
    TextList() = default;
    explicit TextList(std::vector<Text> elements) : m_elements(std::move(elements)) {}

    const std::vector<Text>& Elements() const { return m_elements; }
    std::vector<Text>& Elements() { return m_elements; }

    friend bool operator==(const TextList&, const TextList&) = default;

private:
    std::vector<Text> m_elements;
};

int32_t ListSize(const TextList& list);
// Ends the process with code 4 for an index below 1 and code 1 for one above ListSize.
const Text& ListItem(const TextList& list, int32_t index);
// Stores a copy of the text as the new last element.
void ListAppend(TextList& list, const Text& text);
