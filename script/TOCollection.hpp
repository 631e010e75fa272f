#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <vector>

namespace kpf::script {

// Owning list: deleting, clearing and destroying free the items.
template <class T>
class TOCollection {
public:
    explicit TOCollection(std::size_t capacity = 0) { Items.reserve(capacity); }

    T* Add(std::unique_ptr<T> item)
    {
        Items.push_back(std::move(item));
        return Items.back().get();
    }
    void Clear() { Items.clear(); }

    // Frees the given item if this list owns it; returns whether it did.
    bool Free(const T* item)
    {
        auto it = std::find_if(Items.begin(), Items.end(), [item](const auto& p) { return p.get() == item; });
        if (it == Items.end())
            return false;
        Items.erase(it);
        return true;
    }
    auto begin() const { return Items.begin(); }
    auto end() const { return Items.end(); }

private:
    std::vector<std::unique_ptr<T>> Items;
};

// List of references it does not own.
template <class T>
class TNoOwnerCollection {
public:
    void Add(T* item) { Items.push_back(item); }
    int Count() const { return static_cast<int>(Items.size()); }
    T* operator[](int index) const { return Items.at(static_cast<std::size_t>(index)); }
    T*& operator[](int index) { return Items.at(static_cast<std::size_t>(index)); }
    void Replace(int first, int count, T* item)
    {
        Items[static_cast<std::size_t>(first)] = item;
        Items.erase(Items.begin() + first + 1, Items.begin() + first + count);
    }
    void AtDelete(int index) { Items.erase(Items.begin() + index); }
    auto begin() const { return Items.begin(); }
    auto end() const { return Items.end(); }

private:
    std::vector<T*> Items;
};

}  // namespace kpf::script
