#pragma once

#include "script/TOCollection.hpp"
#include "script/TSortedCollection.hpp"

#include <memory>
#include <span>
#include <string_view>

namespace kpf::script {

class TExprWord;

// The dictionary of named words, sorted by name with the letters a-z folded to
// upper case. It owns the words inserted with InsertOwned; words of the
// process-wide table are referenced (they are immutable and outlive parsers).
class TExpressList : public TSortedCollection<TExprWord*, std::string_view> {
public:
    explicit TExpressList(std::size_t capacity = 30) { Items.reserve(capacity); }

    std::string_view KeyOf(TExprWord* const& item) const override;
    int Compare(std::string_view key1, std::string_view key2) const override;

    TExprWord* Find(std::string_view name) const;

    // Inserts and takes ownership; returns the word, or nullptr (word freed)
    // when a word of that name exists.
    TExprWord* InsertOwned(std::unique_ptr<TExprWord> word);

    // Replaces the content by the given already sorted shared words.
    void AssignShared(std::span<TExprWord* const> sortedWords);

    // Removes the word from the dictionary and frees it if owned here.
    void RemoveAndFree(TExprWord* word);

private:
    TOCollection<TExprWord> Owned;
};

// Byte-wise comparison with a-z folded to A-Z, other bytes unsigned as they are.
int CompareFoldedNames(std::string_view key1, std::string_view key2);

}  // namespace kpf::script
