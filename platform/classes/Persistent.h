#pragma once
// The root classes: TObject (class information) and TPersistent (assignable, streamable).

#include <string>
#include <string_view>

#include "platform/classes/TypInfo.h"

namespace classes {

class TFiler;

class TObject {
public:
    virtual ~TObject() = default;

    static const TClassInfo& StaticClassInfo();
    virtual const TClassInfo& ClassInfo() const;

    const std::string& ClassName() const { return ClassInfo().ClassName(); }
    // True when this object's class or one of its ancestors has that name (letter case
    // ignored); tests a class without linking it.
    bool InheritsFrom(std::string_view className) const { return ClassInfo().InheritsFrom(className); }
};

class TPersistent : public TObject {
    GW_CLASS(TPersistent)

public:
    TPersistent() = default;
    TPersistent(const TPersistent&) = delete;
    TPersistent& operator=(const TPersistent&) = delete;

    // Copies `source` into this object. The default asks `source` to AssignTo this object,
    // which raises EConvertError "Cannot assign a <source class> to a <this class>".
    virtual void Assign(const TPersistent& source);

    // Declares properties that the object streams itself (text or binary data of its own),
    // written after the published ones. The default declares none.
    virtual void DefineProperties(TFiler& filer);

    // The object this one belongs to (a component's owner, a sub-object's component, an
    // item's collection); nullptr when none.
    virtual TPersistent* GetOwner() const { return nullptr; }

protected:
    virtual void AssignTo(TPersistent& dest) const;
};

}  // namespace classes
