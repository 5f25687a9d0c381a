#pragma once

#include <cstring>
#include <new>

namespace Util {

// Array of pointers that grows by 100 entries. It never owns what the
// pointers point to: holders delete their objects before the list goes.
template <typename T> class List {
public:
    List() = default;
    List(const List&) = delete;
    List& operator=(const List&) = delete;
    virtual ~List() { delete[] items_; }

    int GetCount() const { return count_; }
    int GetCapacity() const { return capacity_; }
    T* Get(int i) const { return (i >= 0 && i < count_) ? items_[i] : nullptr; }
    T* operator[](int i) const { return Get(i); }
    T** GetItems() const { return items_; }

    void Reserve(int n)
    {
        if (n <= count_)
            return;
        T** grown = new T*[n];
        if (count_ > 0)
            std::memcpy(grown, items_, sizeof(T*) * count_);
        delete[] items_;
        items_ = grown;
        capacity_ = n;
    }

    void Add(T* item)
    {
        if (count_ + 1 > capacity_)
            Reserve(capacity_ + 100);
        items_[count_++] = item;
    }

    void Insert(int index, T* item)
    {
        if (index < 0 || index > count_)
            return;
        if (count_ + 1 > capacity_)
            Reserve(capacity_ + 100);
        std::memmove(items_ + index + 1, items_ + index, sizeof(T*) * (count_ - index));
        items_[index] = item;
        ++count_;
    }

    void Set(int i, T* item)
    {
        if (i >= 0 && i < count_)
            items_[i] = item;
    }

    void RemoveAt(int i)
    {
        if (i < 0 || i >= count_)
            return;
        std::memmove(items_ + i, items_ + i + 1, sizeof(T*) * (count_ - i - 1));
        --count_;
    }

    // Removes the first entry equal to item; false when there is none.
    bool Remove(T* item)
    {
        int i = IndexOf(item);
        if (i < 0)
            return false;
        RemoveAt(i);
        return true;
    }

    int IndexOf(const T* item) const
    {
        for (int i = 0; i < count_; ++i)
            if (items_[i] == item)
                return i;
        return -1;
    }

    void Clear() { count_ = 0; }

    // Deletes every object and empties the list, for holders that own them.
    void DeleteAll()
    {
        for (int i = 0; i < count_; ++i)
            delete items_[i];
        count_ = 0;
    }

private:
    T** items_ = nullptr;
    int capacity_ = 0;
    int count_ = 0;
};

} // namespace Util
