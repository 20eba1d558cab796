#pragma once
// Run-time type information of the component layer: one registry of published properties
// per class, in publish order, inherited by subclasses.
//
// A class takes part by putting GW_CLASS(TFoo) at the top of its body and, in its .cpp,
//
//     GW_IMPLEMENT_CLASS(TFoo, TBar)   // TBar: the direct base class
//     {
//         p.Integer("Left", &TFoo::Left, &TFoo::SetLeft);
//         p.Color("Color", &TFoo::Color, &TFoo::SetColor, rtl::clWindow).AlwaysStored();
//         p.Event("OnClick", &TFoo::OnClick);
//     }
//
// The publisher is type-safe: getters and setters are member functions (or any callables
// taking the object), values travel as TPropValue, and a value that does not fit the
// setter's type raises EPropertyError. Each property has a default (the value that is not
// written) and an optional stored rule; AlwaysStored() writes it even when it equals the
// default (design content that must survive over a form's own value). A subclass that
// publishes a name its ancestor published replaces that property in place.

#include <any>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "platform/classes/Errors.h"
#include "platform/classes/Sets.h"
#include "platform/rtl/Colors.h"
#include "platform/rtl/StringList.h"

namespace classes {

class TObject;
class TPersistent;
class TComponent;
class TCollection;
class TCollectionItem;
class TClassInfo;
template <class T>
class TPublisher;

// ---- Enumerations ------------------------------------------------------------------------

// The names of an enumeration's values, ordinal 0 first. Instances are static.
struct TEnumInfo {
    std::string name;
    std::vector<std::string> names;

    // Ordinal of `ident` (letter case ignored), -1 when it names no value.
    int ValueOf(std::string_view ident) const;
    // Name of `ordinal`; empty when out of range.
    std::string NameOf(std::int64_t ordinal) const;
};

// ---- Events ------------------------------------------------------------------------------

// An event: a handler and, when it was bound from a stored description, the handler's
// name (the name is what the text form writes).
template <class... Args>
class TEvent {
public:
    using Handler = std::function<void(Args...)>;

    TEvent() = default;
    // Assigns a handler from code (no name: it is not written).
    TEvent& operator=(Handler handler)
    {
        name_.clear();
        handler_ = std::move(handler);
        return *this;
    }
    void Bind(std::string name, Handler handler)
    {
        name_ = std::move(name);
        handler_ = std::move(handler);
    }
    void Clear()
    {
        name_.clear();
        handler_ = nullptr;
    }
    const std::string& Name() const noexcept { return name_; }
    const Handler& GetHandler() const noexcept { return handler_; }
    explicit operator bool() const noexcept { return static_cast<bool>(handler_); }

    // Fires the event when a handler is assigned.
    template <class... A>
    void operator()(A&&... args) const
    {
        if (handler_) handler_(std::forward<A>(args)...);
    }

private:
    std::string name_;
    Handler handler_;
};

using TNotifyEvent = TEvent<TObject*>;

// ---- Property values ---------------------------------------------------------------------

enum class TPropKind {
    Integer,      // std::int64_t
    Enumeration,  // std::int64_t ordinal
    Boolean,      // bool
    Set,          // TSetBits
    String,       // std::string
    Char,         // char32_t (a code point)
    Float,        // double
    Color,        // std::int64_t holding an rtl::TColor
    Strings,      // rtl::TStrings* (an owned list; setting assigns)
    Object,       // TPersistent* (an owned sub-object; setting assigns)
    Collection,   // TPersistent* (an owned TCollection)
    Event,        // TEventValue
    Component,    // TPersistent* (a TComponent referenced, not owned)
};

struct TSetBits {
    std::uint64_t bits = 0;
    friend bool operator==(TSetBits, TSetBits) = default;
};

// An event's value: the handler's name and the handler (an std::function of the event's
// exact signature, or empty when unassigned).
struct TEventValue {
    std::string name;
    std::any handler;
};

using TPropValue = std::variant<std::monostate, std::int64_t, bool, double, std::string, char32_t,
                                TSetBits, TPersistent*, rtl::TStrings*, TEventValue>;

// Equal values of the same alternative (events compare by name).
bool SamePropValue(const TPropValue& a, const TPropValue& b);

// ---- Property descriptors ----------------------------------------------------------------

class TPropInfo {
public:
    using Getter = std::function<TPropValue(const TPersistent&)>;
    using Setter = std::function<void(TPersistent&, const TPropValue&)>;
    using StoredRule = std::function<bool(const TPersistent&)>;

    TPropInfo(std::string name, TPropKind kind, Getter getter, Setter setter);

    const std::string& Name() const noexcept { return name_; }
    TPropKind Kind() const noexcept { return kind_; }
    // The value names of an Enumeration, the element names of a Set; else nullptr.
    const TEnumInfo* EnumInfo() const noexcept { return enumInfo_; }

    TPropValue Get(const TPersistent& instance) const;
    // EPropertyError when the value is of another kind, out of range, or does not fit.
    void Set(TPersistent& instance, const TPropValue& value) const;

    // The default, when the property has one (value kinds only).
    const std::optional<TPropValue>& Default() const noexcept { return default_; }
    // The stored rule alone (true when there is none).
    bool IsStored(const TPersistent& instance) const;
    bool AlwaysStored() const noexcept { return alwaysStored_; }

private:
    template <class T>
    friend class TPublisher;
    template <class T>
    friend class TPropBuilder;

    std::string name_;
    TPropKind kind_;
    Getter getter_;
    Setter setter_;
    const TEnumInfo* enumInfo_ = nullptr;
    std::optional<TPropValue> default_;
    StoredRule stored_;
    bool alwaysStored_ = false;
};

// Refines the property just published.
template <class T>
class TPropBuilder {
public:
    explicit TPropBuilder(TPropInfo& prop) : prop_(prop) {}
    // Written whatever its value (unless the stored rule says no).
    TPropBuilder& NoDefault()
    {
        prop_.default_.reset();
        return *this;
    }
    // Written only when `rule(object)` is true (a member function or a callable).
    template <class F>
    TPropBuilder& Stored(F rule)
    {
        prop_.stored_ = [rule](const TPersistent& o) {
            return static_cast<bool>(std::invoke(rule, static_cast<const T&>(o)));
        };
        return *this;
    }
    // Written even when it equals the default.
    TPropBuilder& AlwaysStored()
    {
        prop_.alwaysStored_ = true;
        return *this;
    }

private:
    TPropInfo& prop_;
};

// ---- Classes -----------------------------------------------------------------------------

class TClassInfo {
public:
    using ComponentFactory = TComponent* (*)(TComponent* owner);
    using ItemFactory = TCollectionItem* (*)(TCollection* collection);

    template <class T>
    static TClassInfo Make(std::string name, const TClassInfo* parent, void (*publish)(TPublisher<T>&));

    TClassInfo(TClassInfo&&) = default;
    TClassInfo(const TClassInfo&) = delete;
    TClassInfo& operator=(const TClassInfo&) = delete;

    const std::string& ClassName() const noexcept { return name_; }
    const TClassInfo* Parent() const noexcept { return parent_; }
    // True for this class and its descendants, by class name, letter case ignored
    // ("TCustomGrid" for any grid).
    bool InheritsFrom(std::string_view className) const;

    // Every published property, inherited ones first, each in publish order.
    const std::vector<const TPropInfo*>& Properties() const noexcept { return all_; }
    // By name, letter case ignored; nullptr when the class publishes none of that name.
    const TPropInfo* FindProperty(std::string_view name) const;

    bool CanCreateComponent() const noexcept { return componentFactory_ != nullptr; }
    // A new component of this class (EClassNotFound when the class is abstract or no
    // component class).
    TComponent* CreateComponent(TComponent* owner) const;
    bool CanCreateItem() const noexcept { return itemFactory_ != nullptr; }
    // A new collection item of this class, added to `collection`.
    TCollectionItem* CreateItem(TCollection* collection) const;

private:
    TClassInfo(std::string name, const TClassInfo* parent);
    TPropInfo& AddProperty(std::unique_ptr<TPropInfo> prop);
    template <class T>
    friend class TPublisher;

    std::string name_;
    const TClassInfo* parent_;
    std::vector<std::unique_ptr<TPropInfo>> own_;
    std::vector<const TPropInfo*> all_;
    ComponentFactory componentFactory_ = nullptr;
    ItemFactory itemFactory_ = nullptr;
};

namespace detail {

template <class G, class T>
using GetterResult = std::remove_cvref_t<std::invoke_result_t<G, const T&>>;

[[noreturn]] void InvalidValue(const std::string& prop);
[[noreturn]] void OutOfRange(const std::string& prop, std::int64_t value);
[[noreturn]] void ReadOnly(const std::string& prop);
[[noreturn]] void HandlerMismatch(const std::string& prop, const std::string& handler);
[[noreturn]] void WrongClass(const std::string& prop, const std::string& expected);
// target.Assign(source).
void Assign(TPersistent& target, const TPersistent& source);

template <class A>
const A& Expect(const TPropValue& v, const std::string& prop)
{
    if (const A* p = std::get_if<A>(&v)) return *p;
    InvalidValue(prop);
}

template <class V>
V CheckedIntegral(const TPropValue& v, const std::string& prop)
{
    const std::int64_t n = Expect<std::int64_t>(v, prop);
    if (!std::in_range<V>(n)) OutOfRange(prop, n);
    return static_cast<V>(n);
}

}  // namespace detail

// Publishes the properties of class T, in order.
template <class T>
class TPublisher {
public:
    explicit TPublisher(TClassInfo& info) : info_(info) {}

    template <class G, class S>
    TPropBuilder<T> Integer(const std::string& name, G get, S set, std::int64_t def = 0)
    {
        using V = detail::GetterResult<G, T>;
        static_assert(std::is_integral_v<V> && !std::is_same_v<V, bool>, "an integer property");
        TPropInfo& p = Add(
            name, TPropKind::Integer,
            [get](const TPersistent& o) { return TPropValue(static_cast<std::int64_t>(std::invoke(get, Self(o)))); },
            [set, name](TPersistent& o, const TPropValue& v) {
                std::invoke(set, Self(o), detail::CheckedIntegral<V>(v, name));
            });
        p.default_ = TPropValue(def);
        return TPropBuilder<T>(p);
    }

    template <class G, class S>
    TPropBuilder<T> Enumeration(const std::string& name, const TEnumInfo& info, G get, S set,
                                detail::GetterResult<G, T> def = {})
    {
        using V = detail::GetterResult<G, T>;
        static_assert(std::is_enum_v<V>, "an enumeration property");
        const auto count = static_cast<std::int64_t>(info.names.size());
        TPropInfo& p = Add(
            name, TPropKind::Enumeration,
            [get](const TPersistent& o) { return TPropValue(static_cast<std::int64_t>(std::invoke(get, Self(o)))); },
            [set, name, count](TPersistent& o, const TPropValue& v) {
                const std::int64_t n = detail::Expect<std::int64_t>(v, name);
                if (n < 0 || n >= count) detail::OutOfRange(name, n);
                std::invoke(set, Self(o), static_cast<V>(n));
            });
        p.enumInfo_ = &info;
        p.default_ = TPropValue(static_cast<std::int64_t>(def));
        return TPropBuilder<T>(p);
    }

    template <class G, class S>
    TPropBuilder<T> Boolean(const std::string& name, G get, S set, bool def = false)
    {
        static_assert(std::is_same_v<detail::GetterResult<G, T>, bool>, "a boolean property");
        TPropInfo& p = Add(
            name, TPropKind::Boolean,
            [get](const TPersistent& o) { return TPropValue(static_cast<bool>(std::invoke(get, Self(o)))); },
            [set, name](TPersistent& o, const TPropValue& v) {
                std::invoke(set, Self(o), detail::Expect<bool>(v, name));
            });
        p.default_ = TPropValue(def);
        return TPropBuilder<T>(p);
    }

    // A set of the enumeration `info` names; the getter returns a TSet<E>.
    template <class G, class S>
    TPropBuilder<T> Set(const std::string& name, const TEnumInfo& info, G get, S set,
                        detail::GetterResult<G, T> def = {})
    {
        using V = detail::GetterResult<G, T>;
        const std::uint64_t mask =
            info.names.size() >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << info.names.size()) - 1;
        TPropInfo& p = Add(
            name, TPropKind::Set,
            [get](const TPersistent& o) { return TPropValue(TSetBits{std::invoke(get, Self(o)).Bits()}); },
            [set, name, mask](TPersistent& o, const TPropValue& v) {
                const TSetBits bits = detail::Expect<TSetBits>(v, name);
                if ((bits.bits & ~mask) != 0) detail::InvalidValue(name);
                std::invoke(set, Self(o), V::FromBits(bits.bits));
            });
        p.enumInfo_ = &info;
        p.default_ = TPropValue(TSetBits{def.Bits()});
        return TPropBuilder<T>(p);
    }

    template <class G, class S>
    TPropBuilder<T> String(const std::string& name, G get, S set, std::string def = {})
    {
        TPropInfo& p = Add(
            name, TPropKind::String,
            [get](const TPersistent& o) { return TPropValue(std::string(std::invoke(get, Self(o)))); },
            [set, name](TPersistent& o, const TPropValue& v) {
                std::invoke(set, Self(o), detail::Expect<std::string>(v, name));
            });
        p.default_ = TPropValue(std::move(def));
        return TPropBuilder<T>(p);
    }

    // One character: the getter returns char32_t (a code point) or char (a byte).
    template <class G, class S>
    TPropBuilder<T> Char(const std::string& name, G get, S set, char32_t def = 0)
    {
        using V = detail::GetterResult<G, T>;
        static_assert(std::is_same_v<V, char32_t> || std::is_same_v<V, char>, "a character property");
        TPropInfo& p = Add(
            name, TPropKind::Char,
            [get](const TPersistent& o) {
                const V c = std::invoke(get, Self(o));
                if constexpr (std::is_same_v<V, char>)
                    return TPropValue(static_cast<char32_t>(static_cast<unsigned char>(c)));
                else
                    return TPropValue(c);
            },
            [set, name](TPersistent& o, const TPropValue& v) {
                const char32_t c = detail::Expect<char32_t>(v, name);
                if constexpr (std::is_same_v<V, char>) {
                    if (c > 0xFF) detail::OutOfRange(name, static_cast<std::int64_t>(c));
                    std::invoke(set, Self(o), static_cast<char>(static_cast<unsigned char>(c)));
                } else {
                    std::invoke(set, Self(o), c);
                }
            });
        p.default_ = TPropValue(def);
        return TPropBuilder<T>(p);
    }

    template <class G, class S>
    TPropBuilder<T> Float(const std::string& name, G get, S set, double def = 0.0)
    {
        using V = detail::GetterResult<G, T>;
        static_assert(std::is_floating_point_v<V>, "a floating-point property");
        TPropInfo& p = Add(
            name, TPropKind::Float,
            [get](const TPersistent& o) { return TPropValue(static_cast<double>(std::invoke(get, Self(o)))); },
            [set, name](TPersistent& o, const TPropValue& v) {
                std::invoke(set, Self(o), static_cast<V>(detail::Expect<double>(v, name)));
            });
        p.default_ = TPropValue(def);
        return TPropBuilder<T>(p);
    }

    // A colour, written as its constant name when it has one.
    template <class G, class S>
    TPropBuilder<T> Color(const std::string& name, G get, S set, rtl::TColor def)
    {
        static_assert(std::is_same_v<detail::GetterResult<G, T>, rtl::TColor>, "a colour property");
        TPropInfo& p = Add(
            name, TPropKind::Color,
            [get](const TPersistent& o) { return TPropValue(static_cast<std::int64_t>(std::invoke(get, Self(o)))); },
            [set, name](TPersistent& o, const TPropValue& v) {
                std::invoke(set, Self(o), detail::CheckedIntegral<rtl::TColor>(v, name));
            });
        p.default_ = TPropValue(static_cast<std::int64_t>(def));
        return TPropBuilder<T>(p);
    }

    // An owned string list (the getter returns a pointer to an rtl::TStrings or a class
    // derived from it). Setting a value assigns its items.
    template <class G>
    TPropBuilder<T> Strings(const std::string& name, G get)
    {
        using V = detail::GetterResult<G, T>;
        static_assert(std::is_pointer_v<V> && std::is_base_of_v<rtl::TStrings, std::remove_cv_t<std::remove_pointer_t<V>>>,
                      "a string-list property returns a TStrings pointer");
        TPropInfo& p = Add(
            name, TPropKind::Strings,
            [get](const TPersistent& o) {
                return TPropValue(static_cast<rtl::TStrings*>(const_cast<std::remove_cv_t<std::remove_pointer_t<V>>*>(
                    std::invoke(get, Self(o)))));
            },
            [get, name](TPersistent& o, const TPropValue& v) {
                rtl::TStrings* source = detail::Expect<rtl::TStrings*>(v, name);
                rtl::TStrings* target =
                    const_cast<std::remove_cv_t<std::remove_pointer_t<V>>*>(std::invoke(get, Self(o)));
                if (target == nullptr || target == source) return;
                if (source)
                    target->Assign(*source);
                else
                    target->Clear();
            });
        return TPropBuilder<T>(p);
    }

    // An owned sub-object (a font, an option object), written dotted: "Font.Color = clRed".
    template <class G>
    TPropBuilder<T> Object(const std::string& name, G get)
    {
        return OwnedObject(name, TPropKind::Object, get);
    }

    // An owned TCollection, written "Name = < item ... end >".
    template <class G>
    TPropBuilder<T> Collection(const std::string& name, G get)
    {
        return OwnedObject(name, TPropKind::Collection, get);
    }

    // An event field of the class (or of an ancestor), written as its handler's name.
    template <class C, class... A>
    TPropBuilder<T> Event(const std::string& name, TEvent<A...> C::*member)
    {
        static_assert(std::is_base_of_v<C, T>, "an event of the class or an ancestor");
        using Ev = TEvent<A...>;
        TPropInfo& p = Add(
            name, TPropKind::Event,
            [member](const TPersistent& o) {
                const Ev& ev = Self(o).*member;
                return TPropValue(TEventValue{ev.Name(), ev ? std::any(ev.GetHandler()) : std::any{}});
            },
            [member, name](TPersistent& o, const TPropValue& v) {
                const TEventValue& value = detail::Expect<TEventValue>(v, name);
                Ev& ev = Self(o).*member;
                if (!value.handler.has_value()) {
                    if (!value.name.empty()) detail::HandlerMismatch(name, value.name);
                    ev.Clear();
                } else if (const auto* h = std::any_cast<typename Ev::Handler>(&value.handler)) {
                    ev.Bind(value.name, *h);
                } else {
                    detail::HandlerMismatch(name, value.name);
                }
            });
        return TPropBuilder<T>(p);
    }

    // A reference to another component of class C (or a descendant), written as its name.
    template <class C, class G, class S>
    TPropBuilder<T> Component(const std::string& name, G get, S set)
    {
        TPropInfo& p = Add(
            name, TPropKind::Component,
            [get](const TPersistent& o) {
                C* c = std::invoke(get, Self(o));
                return TPropValue(static_cast<TPersistent*>(c));
            },
            [set, name](TPersistent& o, const TPropValue& v) {
                TPersistent* value = detail::Expect<TPersistent*>(v, name);
                C* c = dynamic_cast<C*>(value);
                if (value != nullptr && c == nullptr) detail::WrongClass(name, C::StaticClassInfo().ClassName());
                std::invoke(set, Self(o), c);
            });
        return TPropBuilder<T>(p);
    }

private:
    static const T& Self(const TPersistent& o) { return static_cast<const T&>(o); }
    static T& Self(TPersistent& o) { return static_cast<T&>(o); }

    TPropInfo& Add(const std::string& name, TPropKind kind, TPropInfo::Getter g, TPropInfo::Setter s)
    {
        return info_.AddProperty(std::make_unique<TPropInfo>(name, kind, std::move(g), std::move(s)));
    }

    template <class G>
    TPropBuilder<T> OwnedObject(const std::string& name, TPropKind kind, G get)
    {
        using V = detail::GetterResult<G, T>;
        using Sub = std::remove_cv_t<std::remove_pointer_t<V>>;
        static_assert(std::is_pointer_v<V> && std::is_base_of_v<TPersistent, Sub>,
                      "a sub-object property returns a TPersistent pointer");
        TPropInfo& p = Add(
            name, kind,
            [get](const TPersistent& o) {
                return TPropValue(static_cast<TPersistent*>(const_cast<Sub*>(std::invoke(get, Self(o)))));
            },
            [get, name](TPersistent& o, const TPropValue& v) {
                TPersistent* source = detail::Expect<TPersistent*>(v, name);
                TPersistent* target = const_cast<Sub*>(std::invoke(get, Self(o)));
                if (target != nullptr && source != nullptr && source != target) detail::Assign(*target, *source);
            });
        return TPropBuilder<T>(p);
    }

    TClassInfo& info_;
};

template <class T>
TClassInfo TClassInfo::Make(std::string name, const TClassInfo* parent, void (*publish)(TPublisher<T>&))
{
    TClassInfo info(std::move(name), parent);
    if constexpr (std::is_base_of_v<TComponent, T> && !std::is_abstract_v<T> &&
                  std::is_constructible_v<T, TComponent*>) {
        info.componentFactory_ = [](TComponent* owner) -> TComponent* { return new T(owner); };
    }
    if constexpr (std::is_base_of_v<TCollectionItem, T> && !std::is_abstract_v<T> &&
                  std::is_constructible_v<T, TCollection*>) {
        info.itemFactory_ = [](TCollection* collection) -> TCollectionItem* { return new T(collection); };
    }
    if (publish != nullptr) {
        TPublisher<T> publisher(info);
        publish(publisher);
    }
    return info;
}

// ---- Properties reached by name ----------------------------------------------------------
// A path names a property of the object, or, dotted, a property of a sub-object
// ("Font.Color"). A name the object does not publish answers "not found" (nullptr,
// nullopt, false), never an error.

const TPropInfo* FindProperty(const TPersistent& instance, std::string_view path);
std::optional<TPropValue> GetPropValue(const TPersistent& instance, std::string_view path);
// False when the property does not exist; EPropertyError when the value does not fit.
bool SetPropValue(TPersistent& instance, std::string_view path, const TPropValue& value);

// Typed shortcuts; the fallback is answered when the property is absent or of another kind.
std::string GetStrProp(const TPersistent& instance, std::string_view path, const std::string& fallback = {});
bool GetBoolProp(const TPersistent& instance, std::string_view path, bool fallback = false);
std::optional<std::int64_t> GetOrdProp(const TPersistent& instance, std::string_view path);
rtl::TStrings* GetStringsProp(const TPersistent& instance, std::string_view path);
TPersistent* GetObjectProp(const TPersistent& instance, std::string_view path);
// The name of an Enumeration property's value; nullopt when absent.
std::optional<std::string> GetEnumProp(const TPersistent& instance, std::string_view path);
// Sets an Enumeration property by value name; false when absent or the name is no value.
bool SetEnumProp(TPersistent& instance, std::string_view path, std::string_view valueName);

}  // namespace classes

// Declares the class's run-time type information; put it first in the class body.
#define GW_CLASS(Self)                                               \
public:                                                              \
    static const ::classes::TClassInfo& StaticClassInfo();           \
    const ::classes::TClassInfo& ClassInfo() const override;         \
                                                                     \
private:                                                             \
    static void Publish(::classes::TPublisher<Self>& p);             \
    friend class ::classes::TClassInfo;                              \
    friend class ::classes::TPublisher<Self>;

// Defines it, in the class's namespace; the braces that follow publish the properties
// through `p`.
#define GW_IMPLEMENT_CLASS(Self, Parent)                                                              \
    static_assert(std::is_base_of_v<Parent, Self>, #Self " must derive from " #Parent);              \
    const ::classes::TClassInfo& Self::StaticClassInfo()                                              \
    {                                                                                                 \
        static const ::classes::TClassInfo info =                                                    \
            ::classes::TClassInfo::Make<Self>(#Self, &Parent::StaticClassInfo(), &Self::Publish);     \
        return info;                                                                                  \
    }                                                                                                 \
    const ::classes::TClassInfo& Self::ClassInfo() const { return StaticClassInfo(); }               \
    void Self::Publish([[maybe_unused]] ::classes::TPublisher<Self>& p)
