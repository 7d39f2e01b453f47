#pragma once
// Base of the library's scope-bound synchronisation objects: an object that
// is taken for a scope and given up at its end. The two hooks around lock
// and unlock are points where a derived class may act when a scope is
// entered and left; they have no effect unless a class gives them one.

namespace varrow {

class scope_semantics {
public:
    // Called before a scope takes the object.
    virtual void scope_entered() {}
    // Takes ownership, waiting as long as needed; true when it was taken.
    virtual bool lock() = 0;
    // Called after a scope has left the object.
    virtual void scope_left() {}
    // Gives up ownership.
    virtual void unlock() = 0;

protected:
    // Objects are never destroyed through this base, so the destructor is
    // neither virtual nor public.
    scope_semantics() = default;
    scope_semantics(const scope_semantics&) = default;
    scope_semantics& operator=(const scope_semantics&) = default;
    ~scope_semantics() = default;
};

}  // namespace varrow
