// A contiguous list that keeps its first N elements inside the object.
//
//   SmallVector<double, 8> v(3, 0.0);   // no heap allocation up to 8 entries
//   v.push_back(1.0);                   // still inline
//   std::span<const double> s = v;      // views work as for std::vector
//
// Beyond N elements the list moves to the heap and grows geometrically, like
// std::vector. Moving an inline list copies its elements; moving a heap list
// steals the buffer. Used for the per-component lists of the equation-of-state
// layer, where mixtures of up to 8 components must not allocate.
#pragma once

#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <memory>
#include <span>
#include <type_traits>
#include <utility>

namespace kolvar::thermo {

template <class T, std::size_t N>
class SmallVector {
    static_assert(N > 0, "SmallVector needs room for at least one inline element");
    static_assert(std::is_nothrow_move_constructible_v<T>, "elements must move without throwing");

public:
    using value_type = T;
    using size_type = std::size_t;
    using reference = T&;
    using const_reference = const T&;
    using pointer = T*;
    using const_pointer = const T*;
    using iterator = T*;
    using const_iterator = const T*;

    static constexpr size_type inline_capacity = N;

    SmallVector() noexcept = default;

    explicit SmallVector(size_type count) { resize(count); }
    SmallVector(size_type count, const T& value) { resize(count, value); }
    SmallVector(std::initializer_list<T> values) : SmallVector(std::span<const T>(values.begin(), values.size())) {}
    explicit SmallVector(std::span<const T> values)
    {
        reserve(values.size());
        std::uninitialized_copy(values.begin(), values.end(), data_);
        size_ = values.size();
    }

    SmallVector(const SmallVector& other) : SmallVector(std::span<const T>(other.data(), other.size())) {}

    SmallVector(SmallVector&& other) noexcept { take(std::move(other)); }

    SmallVector& operator=(const SmallVector& other)
    {
        if (this != &other) {
            clear();
            reserve(other.size_);
            std::uninitialized_copy(other.begin(), other.end(), data_);
            size_ = other.size_;
        }
        return *this;
    }

    SmallVector& operator=(SmallVector&& other) noexcept
    {
        if (this != &other) {
            clear();
            release();
            take(std::move(other));
        }
        return *this;
    }

    ~SmallVector()
    {
        clear();
        release();
    }

    // Size and storage.
    size_type size() const noexcept { return size_; }
    bool empty() const noexcept { return size_ == 0; }
    size_type capacity() const noexcept { return capacity_; }
    bool is_inline() const noexcept { return data_ == inline_data(); }

    T* data() noexcept { return data_; }
    const T* data() const noexcept { return data_; }

    // Element access (unchecked, like std::vector::operator[]).
    T& operator[](size_type i) noexcept { return data_[i]; }
    const T& operator[](size_type i) const noexcept { return data_[i]; }
    T& front() noexcept { return data_[0]; }
    const T& front() const noexcept { return data_[0]; }
    T& back() noexcept { return data_[size_ - 1]; }
    const T& back() const noexcept { return data_[size_ - 1]; }

    iterator begin() noexcept { return data_; }
    iterator end() noexcept { return data_ + size_; }
    const_iterator begin() const noexcept { return data_; }
    const_iterator end() const noexcept { return data_ + size_; }

    // Modifiers.
    void reserve(size_type wanted)
    {
        if (wanted > capacity_) grow_to(wanted);
    }

    template <class... Args>
    T& emplace_back(Args&&... args)
    {
        if (size_ == capacity_) grow_to(capacity_ * 2);
        T* slot = std::construct_at(data_ + size_, std::forward<Args>(args)...);
        ++size_;
        return *slot;
    }

    void push_back(const T& value) { emplace_back(value); }
    void push_back(T&& value) { emplace_back(std::move(value)); }

    void pop_back() noexcept
    {
        --size_;
        std::destroy_at(data_ + size_);
    }

    // New elements are value-initialised (0.0 for doubles).
    void resize(size_type count)
    {
        reserve(count);
        if (count < size_) std::destroy(data_ + count, data_ + size_);
        else std::uninitialized_value_construct(data_ + size_, data_ + count);
        size_ = count;
    }

    void resize(size_type count, const T& value)
    {
        reserve(count);
        if (count < size_) std::destroy(data_ + count, data_ + size_);
        else std::uninitialized_fill(data_ + size_, data_ + count, value);
        size_ = count;
    }

    // Sets the size without initialising new elements, for trivial element
    // types whose every entry the caller is about to write.
    void resize_for_overwrite(size_type count)
        requires std::is_trivially_default_constructible_v<T> && std::is_trivially_destructible_v<T>
    {
        reserve(count);
        size_ = count;
    }

    // Destroys the elements and keeps the storage.
    void clear() noexcept
    {
        std::destroy(data_, data_ + size_);
        size_ = 0;
    }

    friend bool operator==(const SmallVector& a, const SmallVector& b)
    {
        return std::equal(a.begin(), a.end(), b.begin(), b.end());
    }

private:
    T* inline_data() noexcept { return reinterpret_cast<T*>(storage_); }
    const T* inline_data() const noexcept { return reinterpret_cast<const T*>(storage_); }

    void grow_to(size_type wanted)
    {
        const size_type new_capacity = std::max(wanted, capacity_ * 2);
        T* fresh = std::allocator<T>{}.allocate(new_capacity);
        std::uninitialized_move(data_, data_ + size_, fresh);
        std::destroy(data_, data_ + size_);
        release();
        data_ = fresh;
        capacity_ = new_capacity;
    }

    // Frees a heap buffer (elements already destroyed) and returns to inline storage.
    void release() noexcept
    {
        if (!is_inline()) std::allocator<T>{}.deallocate(data_, capacity_);
        data_ = inline_data();
        capacity_ = N;
    }

    // Requires *this empty and inline; leaves `other` empty and inline.
    void take(SmallVector&& other) noexcept
    {
        if (other.is_inline()) {
            std::uninitialized_move(other.begin(), other.end(), data_);
            size_ = other.size_;
            other.clear();
        }
        else {
            data_ = other.data_;
            size_ = other.size_;
            capacity_ = other.capacity_;
            other.data_ = other.inline_data();
            other.size_ = 0;
            other.capacity_ = N;
        }
    }

    alignas(T) std::byte storage_[N * sizeof(T)];
    T* data_ = inline_data();
    size_type size_ = 0;
    size_type capacity_ = N;
};

}  // namespace kolvar::thermo
