#include "platform/classes/Persistent.h"

#include "platform/classes/Filer.h"

namespace classes {

const TClassInfo& TObject::StaticClassInfo()
{
    static const TClassInfo info = TClassInfo::Make<TObject>("TObject", nullptr, nullptr);
    return info;
}

const TClassInfo& TObject::ClassInfo() const { return StaticClassInfo(); }

GW_IMPLEMENT_CLASS(TPersistent, TObject) {}

void TPersistent::Assign(const TPersistent& source) { source.AssignTo(*this); }

void TPersistent::AssignTo(TPersistent& dest) const
{
    throw rtl::EConvertError("Cannot assign a " + ClassName() + " to a " + dest.ClassName());
}

void TPersistent::DefineProperties(TFiler&) {}

}  // namespace classes
