#pragma once

#include <cstddef>
#include <vector>

namespace kpf::script {

// Sorted list with binary search over KeyOf(item) ordered by Compare. A key is never inserted
// twice.
template <class Item, class Key>
class TSortedCollection {
public:
    virtual ~TSortedCollection() = default;

    virtual int Compare(Key key1, Key key2) const = 0;
    virtual Key KeyOf(const Item& item) const = 0;

    // Position of the item's key; -1 when absent.
    int IndexOf(const Item& item) const
    {
        int index = 0;
        return Search(KeyOf(item), index) ? index : -1;
    }

    // Returns false when the key exists.
    bool Insert(Item item)
    {
        int index = 0;
        if (Search(KeyOf(item), index))
            return false;
        Items.insert(Items.begin() + index, std::move(item));
        return true;
    }

    // Binary search: whether the key is present and where it is or would go.
    bool Search(Key key, int& index) const
    {
        int low = 0;
        int high = Count() - 1;
        while (low <= high) {
            const int middle = low + (high - low) / 2;
            const int c = Compare(KeyOf(Items[static_cast<std::size_t>(middle)]), key);
            if (c == 0) {
                index = middle;
                return true;
            }
            if (c < 0)
                low = middle + 1;
            else
                high = middle - 1;
        }
        index = low;
        return false;
    }

    int Count() const { return static_cast<int>(Items.size()); }
    const Item& operator[](int index) const { return Items.at(static_cast<std::size_t>(index)); }
    void AtDelete(int index) { Items.erase(Items.begin() + index); }

protected:
    std::vector<Item> Items;
};

}  // namespace kpf::script
