// Texts that follow the language switch.
//
// SMLString: a cached translation of one text argument (message id or
// bilingual literal), kept in the one SMLStringContainer, which
// re-translates every cached string and every mlstr when the language
// changes (OnLanguageChange broadcast).
// mlstr: an owned text member whose value follows the language.
#pragma once

#include <cstdint>

#include "framework/base/istr.h"
#include "framework/base/scontainer.h"
#include "framework/base/sstr.h"
#include "framework/ui/ev_handler.h"

class SMLString : public Istr {
public:
    // Translates itself and joins the container.
    explicit SMLString(uint32_t key);
    ~SMLString() override;

    // Keys equal; this key greater than the other's (unsigned).
    bool IsEqual(const BaseObject* other) const override;
    bool IsGreater(const BaseObject* other) const override;

    uint32_t Key() const { return key_; }
    void Translate();

private:
    friend class SMLStringContainer;
    struct KeyOnly {};
    SMLString(KeyOnly, uint32_t key) : key_(key) {}
    uint32_t key_;
    bool joined_ = false;
};

class SMLStringContainer : public PEvHandler {
public:
    // The one instance, built on first use.
    static SMLStringContainer& Instance();

    SMLString* Find(uint32_t key) const;
    void Join(SMLString* s);
    void Leave(SMLString* s);
    uint32_t Count() const { return strings_.Count(); }

    void OnLanguageChange() override;
    void OnMainWindowCreate() override { OnLanguageChange(); }
    const char* GetEvHandlerName() override { return "SMLStringContainer"; }
    // The number of mlstr records (what a language change re-translated).
    uint32_t RegistryCount() const;

private:
    SMLStringContainer();
    ~SMLStringContainer() override;
    PSContainer<SMLString> strings_;
};

// The translation of the text with message id `id`, cached for the life of
// the program. The text comes from the RT_RCDATA resource only (neither the
// language module nor the string table is consulted).
const char* GetCachedMLString(uint32_t id);

class mlstr : public sstr {
public:
    mlstr() = default;
    explicit mlstr(const char* text) { Assign(text); }
    explicit mlstr(uint32_t id) { Assign(id); }
    // A copy registers its own record.
    mlstr(const mlstr& other);
    mlstr& operator=(const mlstr& other);
    ~mlstr();

    // One record per object: a new assignment replaces the old record.
    void Assign(const char* text);  // literal (or id below 0x8000)
    void Assign(uint32_t id);
    // Re-takes the text in the current language.
    void Retranslate();

private:
    void Register();
    uint32_t id_ = 0;
    char* literal_ = nullptr;  // heap copy of the bilingual literal
    bool registered_ = false;
};
