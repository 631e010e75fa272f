#pragma once

#include <cstddef>
#include <vector>

namespace kpf::script {

// Sorted list with binary search over KeyOf(item) ordered by Compare.
// Without Duplicates an existing key is never inserted twice.
template <class Item, class Key>
class TSortedCollection {
public:
    bool Duplicates = false;

    virtual ~TSortedCollection() = default;

    virtual int Compare(Key key1, Key key2) const = 0;

    virtual int IndexOf(const Item& item) const
    {
        int index = 0;
        if (!Search(KeyOf(item), index))
            return -1;
        if (Duplicates) {
            while (index < Count() && Items[static_cast<std::size_t>(index)] != item)
                ++index;
            if (index >= Count())
                return -1;
        }
        return index;
    }

    // Returns false when the key exists and duplicates are not allowed.
    virtual bool Insert(Item item)
    {
        int index = 0;
        if (Search(KeyOf(item), index) && !Duplicates)
            return false;
        Items.insert(Items.begin() + index, std::move(item));
        return true;
    }

    // Removes (without freeing) the item of the same key, then inserts this one.
    virtual void ReplaceItem(Item item)
    {
        int index = 0;
        if (Search(KeyOf(item), index))
            Items.erase(Items.begin() + index);
        Insert(std::move(item));
    }

    virtual Key KeyOf(const Item& item) const = 0;

    // Binary search: whether the key is present and where it is or would go.
    virtual bool Search(Key key, int& index) const
    {
        int low = 0;
        int high = Count() - 1;
        bool found = false;
        while (low <= high) {
            const int middle = low + (high - low) / 2;
            const int c = Compare(KeyOf(Items[static_cast<std::size_t>(middle)]), key);
            if (c < 0) {
                low = middle + 1;
            } else {
                high = middle - 1;
                if (c == 0) {
                    found = true;
                    if (!Duplicates)
                        low = middle;
                }
            }
        }
        index = low;
        return found;
    }

    int Count() const { return static_cast<int>(Items.size()); }
    const Item& operator[](int index) const { return Items.at(static_cast<std::size_t>(index)); }
    void AtDelete(int index) { Items.erase(Items.begin() + index); }

protected:
    std::vector<Item> Items;
};

}  // namespace kpf::script
