#include "platform/classes/TypInfo.h"

#include "platform/classes/Component.h"
#include "platform/classes/Persistent.h"
#include "platform/rtl/SysUtils.h"

namespace classes {

int TEnumInfo::ValueOf(std::string_view ident) const
{
    for (std::size_t i = 0; i < names.size(); ++i)
        if (rtl::SameText(names[i], ident)) return static_cast<int>(i);
    return -1;
}

std::string TEnumInfo::NameOf(std::int64_t ordinal) const
{
    if (ordinal < 0 || ordinal >= static_cast<std::int64_t>(names.size())) return {};
    return names[static_cast<std::size_t>(ordinal)];
}

bool SamePropValue(const TPropValue& a, const TPropValue& b)
{
    if (a.index() != b.index()) return false;
    if (const auto* ea = std::get_if<TEventValue>(&a)) return ea->name == std::get<TEventValue>(b).name;
    if (const auto* da = std::get_if<double>(&a)) return *da == std::get<double>(b);
    return std::visit(
        [&b](const auto& va) -> bool {
            using A = std::decay_t<decltype(va)>;
            if constexpr (std::is_same_v<A, TEventValue> || std::is_same_v<A, double>)
                return false;  // handled above
            else
                return va == std::get<A>(b);
        },
        a);
}

// ---- TPropInfo ---------------------------------------------------------------------------

TPropInfo::TPropInfo(std::string name, TPropKind kind, Getter getter, Setter setter)
    : name_(std::move(name)), kind_(kind), getter_(std::move(getter)), setter_(std::move(setter))
{
}

TPropValue TPropInfo::Get(const TPersistent& instance) const { return getter_(instance); }

void TPropInfo::Set(TPersistent& instance, const TPropValue& value) const
{
    if (!setter_) detail::ReadOnly(name_);
    setter_(instance, value);
}

bool TPropInfo::IsStored(const TPersistent& instance) const { return !stored_ || stored_(instance); }

// ---- TClassInfo --------------------------------------------------------------------------

TClassInfo::TClassInfo(std::string name, const TClassInfo* parent) : name_(std::move(name)), parent_(parent)
{
    if (parent_ != nullptr) all_ = parent_->all_;
}

bool TClassInfo::InheritsFrom(std::string_view className) const
{
    for (const TClassInfo* c = this; c != nullptr; c = c->parent_)
        if (rtl::SameText(c->name_, className)) return true;
    return false;
}

const TPropInfo* TClassInfo::FindProperty(std::string_view name) const
{
    for (const TPropInfo* p : all_)
        if (rtl::SameText(p->Name(), name)) return p;
    return nullptr;
}

TComponent* TClassInfo::CreateComponent(TComponent* owner) const
{
    if (componentFactory_ == nullptr) throw EClassNotFound("Class " + name_ + " cannot be created");
    return componentFactory_(owner);
}

TCollectionItem* TClassInfo::CreateItem(TCollection* collection) const
{
    if (itemFactory_ == nullptr) throw EClassNotFound("Class " + name_ + " cannot be created");
    return itemFactory_(collection);
}

TPropInfo& TClassInfo::AddProperty(std::unique_ptr<TPropInfo> prop)
{
    TPropInfo& added = *prop;
    bool replaced = false;
    for (const TPropInfo*& p : all_) {
        if (rtl::SameText(p->Name(), added.Name())) {
            p = &added;
            replaced = true;
            break;
        }
    }
    if (!replaced) all_.push_back(&added);
    own_.push_back(std::move(prop));
    return added;
}

namespace detail {

void InvalidValue(const std::string& prop) { throw EPropertyError("Invalid value for property " + prop); }

void OutOfRange(const std::string& prop, std::int64_t value)
{
    throw EPropertyError("Value " + std::to_string(value) + " is out of range for property " + prop);
}

void ReadOnly(const std::string& prop) { throw EPropertyError("Property " + prop + " is read-only"); }

void HandlerMismatch(const std::string& prop, const std::string& handler)
{
    throw EPropertyError("Handler " + handler + " does not fit event " + prop);
}

void WrongClass(const std::string& prop, const std::string& expected)
{
    throw EPropertyError("Property " + prop + " needs a " + expected);
}

void Assign(TPersistent& target, const TPersistent& source) { target.Assign(source); }

}  // namespace detail

// ---- Properties by name ------------------------------------------------------------------

namespace {

// Walks a dotted path down sub-objects; answers the object holding the last part and that
// part's descriptor.
std::pair<TPersistent*, const TPropInfo*> Resolve(const TPersistent& instance, std::string_view path)
{
    auto* object = const_cast<TPersistent*>(&instance);
    for (;;) {
        const std::size_t dot = path.find('.');
        const std::string_view head = path.substr(0, dot);
        const TPropInfo* prop = object->ClassInfo().FindProperty(head);
        if (prop == nullptr) return {nullptr, nullptr};
        if (dot == std::string_view::npos) return {object, prop};
        TPersistent* sub = nullptr;
        if (prop->Kind() == TPropKind::Object || prop->Kind() == TPropKind::Collection) {
            sub = std::get<TPersistent*>(prop->Get(*object));
        } else if (prop->Kind() == TPropKind::Strings) {
            sub = dynamic_cast<TPersistent*>(std::get<rtl::TStrings*>(prop->Get(*object)));
        }
        if (sub == nullptr) return {nullptr, nullptr};
        object = sub;
        path = path.substr(dot + 1);
    }
}

}  // namespace

const TPropInfo* FindProperty(const TPersistent& instance, std::string_view path)
{
    return Resolve(instance, path).second;
}

std::optional<TPropValue> GetPropValue(const TPersistent& instance, std::string_view path)
{
    const auto [object, prop] = Resolve(instance, path);
    if (prop == nullptr) return std::nullopt;
    return prop->Get(*object);
}

bool SetPropValue(TPersistent& instance, std::string_view path, const TPropValue& value)
{
    const auto [object, prop] = Resolve(instance, path);
    if (prop == nullptr) return false;
    prop->Set(*object, value);
    return true;
}

std::string GetStrProp(const TPersistent& instance, std::string_view path, const std::string& fallback)
{
    const auto v = GetPropValue(instance, path);
    if (v) {
        if (const auto* s = std::get_if<std::string>(&*v)) return *s;
    }
    return fallback;
}

bool GetBoolProp(const TPersistent& instance, std::string_view path, bool fallback)
{
    const auto v = GetPropValue(instance, path);
    if (v) {
        if (const auto* b = std::get_if<bool>(&*v)) return *b;
    }
    return fallback;
}

std::optional<std::int64_t> GetOrdProp(const TPersistent& instance, std::string_view path)
{
    const auto v = GetPropValue(instance, path);
    if (v) {
        if (const auto* n = std::get_if<std::int64_t>(&*v)) return *n;
        if (const auto* b = std::get_if<bool>(&*v)) return *b ? 1 : 0;
    }
    return std::nullopt;
}

rtl::TStrings* GetStringsProp(const TPersistent& instance, std::string_view path)
{
    const auto v = GetPropValue(instance, path);
    if (v) {
        if (const auto* s = std::get_if<rtl::TStrings*>(&*v)) return *s;
    }
    return nullptr;
}

TPersistent* GetObjectProp(const TPersistent& instance, std::string_view path)
{
    const auto v = GetPropValue(instance, path);
    if (v) {
        if (const auto* o = std::get_if<TPersistent*>(&*v)) return *o;
    }
    return nullptr;
}

std::optional<std::string> GetEnumProp(const TPersistent& instance, std::string_view path)
{
    const auto [object, prop] = Resolve(instance, path);
    if (prop == nullptr || prop->Kind() != TPropKind::Enumeration) return std::nullopt;
    return prop->EnumInfo()->NameOf(std::get<std::int64_t>(prop->Get(*object)));
}

bool SetEnumProp(TPersistent& instance, std::string_view path, std::string_view valueName)
{
    const auto [object, prop] = Resolve(instance, path);
    if (prop == nullptr || prop->Kind() != TPropKind::Enumeration) return false;
    const int ordinal = prop->EnumInfo()->ValueOf(valueName);
    if (ordinal < 0) return false;
    prop->Set(*object, TPropValue(static_cast<std::int64_t>(ordinal)));
    return true;
}

}  // namespace classes
