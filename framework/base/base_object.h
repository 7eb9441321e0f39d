// Root class of every framework object kept in a container.
#pragma once

class BaseObject {
public:
    constexpr BaseObject() = default;
    // A container asks the stored item whether a key is equal to it or
    // ordered after it; the defaults give identity and no order.
    virtual bool IsEqual(const BaseObject* other) const { return this == other; }
    virtual bool IsGreater(const BaseObject* /*other*/) const { return false; }
    virtual ~BaseObject() = default;
};
