#include "script/TExpressList.hpp"

#include "script/ExprWord.hpp"

#include <algorithm>

namespace kpf::script {

namespace {

unsigned char FoldToUpper(char c)
{
    const auto b = static_cast<unsigned char>(c);
    return (b >= 'a' && b <= 'z') ? static_cast<unsigned char>(b - 'a' + 'A') : b;
}

}  // namespace

int CompareFoldedNames(std::string_view key1, std::string_view key2)
{
    const std::size_t common = std::min(key1.size(), key2.size());
    for (std::size_t i = 0; i < common; ++i) {
        const unsigned char a = FoldToUpper(key1[i]);
        const unsigned char b = FoldToUpper(key2[i]);
        if (a != b)
            return a < b ? -1 : 1;
    }
    if (key1.size() == key2.size())
        return 0;
    return key1.size() < key2.size() ? -1 : 1;
}

std::string_view TExpressList::KeyOf(TExprWord* const& item) const
{
    return item->Name();
}

int TExpressList::Compare(std::string_view key1, std::string_view key2) const
{
    return CompareFoldedNames(key1, key2);
}

TExprWord* TExpressList::Find(std::string_view name) const
{
    int index = 0;
    return Search(name, index) ? Items[static_cast<std::size_t>(index)] : nullptr;
}

TExprWord* TExpressList::InsertOwned(std::unique_ptr<TExprWord> word)
{
    if (!Insert(word.get()))
        return nullptr;
    return Owned.Add(std::move(word));
}

void TExpressList::AssignShared(std::span<TExprWord* const> sortedWords)
{
    Owned.Clear();
    Items.assign(sortedWords.begin(), sortedWords.end());
}

void TExpressList::RemoveAndFree(TExprWord* word)
{
    const int index = IndexOf(word);
    if (index >= 0 && Items[static_cast<std::size_t>(index)] == word)
        AtDelete(index);
    Owned.Free(word);
}

}  // namespace kpf::script
