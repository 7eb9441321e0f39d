#include "framework/ui/ml_string.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <new>

#include "framework/ui/ml_text.h"

namespace {

// The registry of live mlstr objects, one record each. Constant-initialised
// plain storage: an mlstr in static storage may register before, and leave
// after, any other static object; the block is freed when the last leaves.
struct MlstrRegistry {
    mlstr** items;
    uint32_t count;
    uint32_t capacity;
};
constinit MlstrRegistry g_registry = {nullptr, 0, 0};

bool RegistryAdd(mlstr* m)
{
    if (g_registry.count == g_registry.capacity) {
        uint32_t capacity = g_registry.capacity + 32;
        void* grown = realloc(g_registry.items, capacity * sizeof(mlstr*));
        if (!grown) return false;  // out of heap: this text does not follow the language
        g_registry.items = static_cast<mlstr**>(grown);
        g_registry.capacity = capacity;
    }
    g_registry.items[g_registry.count++] = m;
    return true;
}

void RegistryRemove(mlstr* m)
{
    for (uint32_t i = 0; i < g_registry.count; ++i) {
        if (g_registry.items[i] != m) continue;
        memmove(&g_registry.items[i], &g_registry.items[i + 1], (g_registry.count - i - 1) * sizeof(mlstr*));
        --g_registry.count;
        break;
    }
    if (g_registry.count == 0) {
        free(g_registry.items);
        g_registry = {nullptr, 0, 0};
    }
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
    // The RT_RCDATA resource only: neither the language module nor the
    // string table is consulted here.
    ResRCDATA resource(nullptr, key_);
    if (resource.LoadedSize() == 0) {
        Set("");
        return;
    }
    char* copy = static_cast<char*>(malloc(resource.LoadedSize() + 1));
    if (!copy) {
        Set("");
        return;
    }
    memcpy(copy, resource.Bytes(), resource.LoadedSize());
    copy[resource.LoadedSize()] = 0;
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
    for (uint32_t i = 0; i < g_registry.count; ++i) g_registry.items[i]->Retranslate();
}

uint32_t SMLStringContainer::RegistryCount() const { return g_registry.count; }

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
    } else {
        // The other holds no text: neither does this one now.
        free(literal_);
        literal_ = nullptr;
        id_ = 0;
        sstr::Free();
    }
    return *this;
}

mlstr::~mlstr()
{
    if (registered_) RegistryRemove(this);
    free(literal_);
}

void mlstr::Register()
{
    if (!registered_) registered_ = RegistryAdd(this);
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
    Register();
    Retranslate();
}

void mlstr::Assign(uint32_t id)
{
    free(literal_);
    literal_ = nullptr;
    id_ = id;
    Register();
    Retranslate();
}

void mlstr::Retranslate()
{
    if (literal_) sstr::Assign(GetMLText(literal_));
    else if (id_) sstr::Assign(GetCachedMLString(id_));
    else sstr::Assign("");
}
