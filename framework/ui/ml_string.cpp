#include "framework/ui/ml_string.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "framework/ui/ml_text.h"

namespace {

// The registry of live mlstr objects, one record each.
std::vector<mlstr*>& Registry()
{
    static std::vector<mlstr*> registry;
    return registry;
}

const char* TextArg(uint32_t key) { return reinterpret_cast<const char*>(static_cast<uintptr_t>(key)); }

}  // namespace

SMLString::SMLString(uint32_t key) : key_(key)
{
    Translate();
    SMLStringContainer::Instance().Join(this);
}

SMLString::~SMLString()
{
    if (joined_) SMLStringContainer::Instance().Leave(this);
}

bool SMLString::IsEqual(const BaseObject* other) const
{
    return other && static_cast<const SMLString*>(other)->key_ == key_;
}

bool SMLString::IsGreater(const BaseObject* other) const
{
    return other && key_ > static_cast<const SMLString*>(other)->key_;
}

void SMLString::Translate()
{
    if (key_ >= 0x8000) {
        Set(GetMLText(TextArg(key_)));
        return;
    }
    HMODULE module = ResourceModuleFor(RT_RCDATA, key_);
    HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(key_), RT_RCDATA);
    HGLOBAL handle = info ? LoadResource(module, info) : nullptr;
    const void* data = handle ? LockResource(handle) : nullptr;
    DWORD size = data ? SizeofResource(module, info) : 0;
    if (size == 0) {
        Set("");
        return;
    }
    char* copy = static_cast<char*>(malloc(size + 1));
    if (!copy) {
        Set("");
        return;
    }
    memcpy(copy, data, size);
    copy[size] = 0;
    Set(GetMLText(copy));
    free(copy);
}

SMLStringContainer& SMLStringContainer::Instance()
{
    static SMLStringContainer instance;
    return instance;
}

SMLStringContainer::SMLStringContainer() : strings_(SC_SORTED | SC_NOT_OWNING, 32) {}

SMLStringContainer::~SMLStringContainer()
{
    // The cached strings live as long as the program; a DLL that is
    // unloaded frees them here.
    while (SMLString* s = strings_.DetachLast()) {
        s->joined_ = false;
        delete s;
    }
}

SMLString* SMLStringContainer::Find(uint32_t key) const
{
    SMLString probe(SMLString::KeyOnly{}, key);
    return strings_.FindItem(&probe);
}

void SMLStringContainer::Join(SMLString* s)
{
    if (strings_.Add(s) == 1 && strings_.IndexOf(s) >= 0) s->joined_ = true;
}

void SMLStringContainer::Leave(SMLString* s)
{
    int i = strings_.IndexOf(s);
    if (i >= 0) strings_.Detach(static_cast<uint32_t>(i));
    s->joined_ = false;
}

void SMLStringContainer::OnLanguageChange()
{
    for (uint32_t i = 0; i < strings_.Count(); ++i) strings_[i]->Translate();
    for (mlstr* m : Registry()) m->Retranslate();
}

uint32_t SMLStringContainer::RegistryCount() const { return static_cast<uint32_t>(Registry().size()); }

const char* GetCachedMLString(uint32_t id)
{
    SMLStringContainer& container = SMLStringContainer::Instance();
    if (SMLString* s = container.Find(id)) return s->Text() ? s->Text() : "";
    SMLString* s = new (std::nothrow) SMLString(id);
    if (!s) return "";
    return s->Text() ? s->Text() : "";
}

mlstr::mlstr(const mlstr& other) : sstr()
{
    if (other.literal_) Assign(other.literal_);
    else if (other.id_) Assign(other.id_);
}

mlstr& mlstr::operator=(const mlstr& other)
{
    if (this == &other) return *this;
    if (other.literal_) {
        char* copy = strdup(other.literal_);  // other may be this object's own record
        Assign(copy);
        free(copy);
    } else if (other.id_) {
        Assign(other.id_);
    }
    return *this;
}

mlstr::~mlstr()
{
    if (registered_) {
        std::vector<mlstr*>& r = Registry();
        for (size_t i = 0; i < r.size(); ++i)
            if (r[i] == this) {
                r.erase(r.begin() + static_cast<std::ptrdiff_t>(i));
                break;
            }
    }
    free(literal_);
}

void mlstr::Assign(const char* text)
{
    if (text && IsMessageId(text)) {
        Assign(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(text)));
        return;
    }
    char* copy = text ? strdup(text) : nullptr;
    free(literal_);
    literal_ = copy;
    id_ = 0;
    if (!registered_) {
        Registry().push_back(this);
        registered_ = true;
    }
    Retranslate();
}

void mlstr::Assign(uint32_t id)
{
    free(literal_);
    literal_ = nullptr;
    id_ = id;
    if (!registered_) {
        Registry().push_back(this);
        registered_ = true;
    }
    Retranslate();
}

void mlstr::Retranslate()
{
    if (literal_) sstr::Assign(GetMLText(literal_));
    else if (id_) sstr::Assign(GetCachedMLString(id_));
    else sstr::Assign("");
}
