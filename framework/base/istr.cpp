#include "framework/base/istr.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "framework/base/fast_str.h"
#include "framework/base/scontainer.h"
#include "framework/base/text_utils.h"

Istr::Istr(const char* text) : text_(_fast_strdup(text)) {}

Istr::Istr(const Istr& other) : BaseObject(), text_(_fast_strdup(other.text_)) {}

Istr::Istr(uint32_t n)
{
    if (n == 0)
        return;
    text_ = static_cast<char*>(malloc(n));
    if (text_ != nullptr)
        text_[0] = 0;
}

Istr::~Istr()
{
    free(text_);
}

namespace {

const char* TextOf(const BaseObject* other)
{
    // Every item a text container compares against is an Istr.
    return static_cast<const Istr*>(other)->Text();
}

}  // namespace

bool Istr::IsEqual(const BaseObject* other) const
{
    const char* b = TextOf(other);
    return text_ != nullptr && b != nullptr && strcmp(text_, b) == 0;
}

bool Istr::IsGreater(const BaseObject* other) const
{
    const char* b = TextOf(other);
    return text_ != nullptr && b != nullptr && strcmp(text_, b) > 0;
}

const char* Istr::Set(const char* text)
{
    // Copy first, then release: text may point into the current one.
    char* copy = _fast_strdup(text);
    free(text_);
    text_ = copy;
    return text_;
}

const char* Istr::Append(const char* text)
{
    if (text_ == nullptr)
        return Set(text);
    if (text == nullptr)
        return text_;
    size_t a = strlen(text_);
    size_t b = strlen(text);
    char* joined = static_cast<char*>(malloc(a + b + 1));
    if (joined == nullptr)
        return text_;
    memcpy(joined, text_, a);
    memcpy(joined + a, text, b + 1);
    free(text_);
    text_ = joined;
    return text_;
}

uint32_t Istr::ToNumber() const
{
    return ParseNumber(text_);
}

bool NCIstr::IsEqual(const BaseObject* other) const
{
    const char* b = TextOf(other);
    return text_ != nullptr && b != nullptr && CompareNoCase(text_, b) == 0;
}

bool NCIstr::IsGreater(const BaseObject* other) const
{
    const char* b = TextOf(other);
    return text_ != nullptr && b != nullptr && CompareNoCase(text_, b) > 0;
}

bool DRIstr::IsGreater(const BaseObject* other) const
{
    const char* b = TextOf(other);
    return text_ != nullptr && b != nullptr && strcmp(text_, b) < 0;
}

Istr* NewIstr(const char* text)
{
    return new (std::nothrow) Istr(text);
}

NCIstr* NewNCIstr(const char* text)
{
    return new (std::nothrow) NCIstr(text);
}

DIstr* NewDIstr(uint32_t data, const char* text)
{
    return new (std::nothrow) DIstr(data, text);
}

DRIstr* NewDRIstr(uint32_t data, const char* text)
{
    return new (std::nothrow) DRIstr(data, text);
}

namespace {

// False when the caller still owns item after Add: the capacity ran out, or
// a unique container without a delete policy left the duplicate with us.
// (With flag 8 the container has already deleted it.)
bool ContainerKept(const SContainer& list, const Istr* item, int result)
{
    if (result == 0)
        return false;
    uint32_t flags = list.Flags();
    if ((flags & SC_UNIQUE) == 0 || (flags & (SC_DUP_DELETE_NEW | SC_DUP_REPLACE_OLD)) != 0)
        return true;
    return list.IndexOf(item) >= 0;
}

}  // namespace

int AddIstr(SContainer& list, const char* text)
{
    Istr* item = NewIstr(text);
    if (item == nullptr)
        return 0;
    int result = list.Add(item);
    if (!ContainerKept(list, item, result))
        delete item;
    return result;
}

int InsertIstr(SContainer& list, uint32_t index, const char* text)
{
    Istr* item = NewIstr(text);
    if (item == nullptr)
        return 0;
    int result = list.Insert(index, item);
    if (!ContainerKept(list, item, result))
        delete item;
    return result;
}

// A key that borrows the caller's text for one search; local to the search,
// so searches from several threads do not share it.
class IstrSearchKey {
public:
    explicit IstrSearchKey(const char* text) { key_.text_ = const_cast<char*>(text); }
    ~IstrSearchKey() { key_.text_ = nullptr; }
    const Istr* Key() const { return &key_; }

private:
    Istr key_;
};

Istr* FindIstr(const SContainer& list, const char* text)
{
    if (text == nullptr)
        return nullptr;
    IstrSearchKey key(text);
    return static_cast<Istr*>(list.FindItem(key.Key()));
}

int FindIstrIndex(const SContainer& list, const char* text)
{
    if (text == nullptr)
        return -1;
    IstrSearchKey key(text);
    return list.Find(key.Key());
}

Istr* FindIstrLinear(const SContainer& list, const char* text)
{
    if (text == nullptr)
        return nullptr;
    IstrSearchKey key(text);
    return static_cast<Istr*>(list.FindItemLinear(key.Key()));
}

int FindIstrIndexLinear(const SContainer& list, const char* text)
{
    if (text == nullptr)
        return -1;
    IstrSearchKey key(text);
    return list.FindLinear(key.Key());
}
