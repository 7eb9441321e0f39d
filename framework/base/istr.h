// Owned text items for containers: Istr (by bytes), NCIstr (letter case
// ignored, code page 1251 aware), DIstr (with one data word), DRIstr
// (descending order).
#pragma once

#include <cstdint>

#include "framework/base/base_object.h"

class SContainer;

class Istr : public BaseObject {
public:
    constexpr Istr() = default;
    explicit Istr(const char* text);
    Istr(const Istr& other);
    // A raw buffer of n bytes, first byte NUL.
    explicit Istr(uint32_t n);
    Istr& operator=(const Istr& other) { Set(other.text_); return *this; }
    ~Istr() override;

    // Both texts present and equal byte for byte (two absent texts differ).
    bool IsEqual(const BaseObject* other) const override;
    bool IsGreater(const BaseObject* other) const override;

    // Replaces the text (which may lie inside the current one); null frees
    // it and returns null.
    const char* Set(const char* text);
    const char* Append(const char* text);
    // ParseNumber of the text.
    uint32_t ToNumber() const;

    const char* Text() const { return text_; }
    char* Buffer() { return text_; }
    operator const char*() const { return text_; }

protected:
    friend class IstrSearchKey;
    char* text_ = nullptr;
};

class NCIstr : public Istr {
public:
    constexpr NCIstr() = default;
    explicit NCIstr(const char* text) : Istr(text) {}
    bool IsEqual(const BaseObject* other) const override;
    bool IsGreater(const BaseObject* other) const override;
};

class DIstr : public Istr {
public:
    constexpr DIstr() = default;
    DIstr(uint32_t data, const char* text) : Istr(text), data_(data) {}
    // An empty buffer of n bytes with a data word.
    DIstr(uint32_t n, uint32_t data) : Istr(n), data_(data) {}
    uint32_t Data() const { return data_; }
    void SetData(uint32_t data) { data_ = data; }

private:
    uint32_t data_ = 0;
};

class DRIstr : public DIstr {
public:
    DRIstr(uint32_t data, const char* text) : DIstr(data, text) {}
    // True when the text compares less than the other's: descending order.
    bool IsGreater(const BaseObject* other) const override;
};

// Heap factories; null when the allocation fails.
Istr* NewIstr(const char* text);
NCIstr* NewNCIstr(const char* text);
DIstr* NewDIstr(uint32_t data, const char* text);
DRIstr* NewDRIstr(uint32_t data, const char* text);

// Adds a new Istr of text to the container (SContainer::Add rules);
// returns the Add result (the item is deleted when it was not kept).
int AddIstr(SContainer& list, const char* text);
// Inserts a new Istr of text at index (index <= count).
int InsertIstr(SContainer& list, uint32_t index, const char* text);

// Finding by text without building an item. The comparison is the key's:
// an Istr, so byte for byte.
Istr* FindIstr(const SContainer& list, const char* text);
int FindIstrIndex(const SContainer& list, const char* text);
// Linear searches that ignore the container's sorted flag.
Istr* FindIstrLinear(const SContainer& list, const char* text);
int FindIstrIndexLinear(const SContainer& list, const char* text);
