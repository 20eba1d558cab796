#include "platform/classes/Streaming.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Collection.h"
#include "platform/classes/Filer.h"
#include "platform/rtl/Colors.h"
#include "platform/rtl/Scope.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/SysUtils.h"

namespace classes {

namespace {

// ---- Writing -----------------------------------------------------------------------------

class WritingFiler : public TFiler {
public:
    WritingFiler(std::string prefix, std::vector<TTextProperty>& out) : prefix_(std::move(prefix)), out_(out) {}

    void DefineProperty(std::string_view name, const std::function<void(TReader&)>&,
                        const std::function<void(TWriter&)>& write, bool hasData) override
    {
        if (!hasData || !write) return;
        TWriter writer;
        write(writer);
        out_.push_back({prefix_ + std::string(name), writer.Result(), 0});
    }

    void DefineBinaryProperty(std::string_view name, const std::function<void(std::string_view)>&,
                              const std::function<std::string()>& write, bool hasData) override
    {
        if (!hasData || !write) return;
        out_.push_back({prefix_ + std::string(name), TTextValue::MakeBinary(write()), 0});
    }

private:
    std::string prefix_;
    std::vector<TTextProperty>& out_;
};

// Finds out whether an object defines a property of that name.
class ProbingFiler : public TFiler {
public:
    explicit ProbingFiler(std::string_view name) : name_(name) {}
    bool Found() const noexcept { return found_; }
    void DefineProperty(std::string_view name, const std::function<void(TReader&)>&,
                        const std::function<void(TWriter&)>&, bool) override
    {
        found_ = found_ || rtl::SameText(name, name_);
    }
    void DefineBinaryProperty(std::string_view name, const std::function<void(std::string_view)>&,
                              const std::function<std::string()>&, bool) override
    {
        found_ = found_ || rtl::SameText(name, name_);
    }

private:
    std::string_view name_;
    bool found_ = false;
};

// The object that streams a string list's "Strings" itself: the list when it is a
// persistent object defining that property (an editor's lines), else nullptr.
TPersistent* OwnStringsStreamer(rtl::TStrings& strings)
{
    auto* persistent = dynamic_cast<TPersistent*>(&strings);
    if (persistent == nullptr) return nullptr;
    ProbingFiler probe("Strings");
    persistent->DefineProperties(probe);
    return probe.Found() ? persistent : nullptr;
}

class ObjectWriter {
public:
    explicit ObjectWriter(TComponent& root, std::vector<std::string> alwaysStored = {})
        : root_(root), alwaysStored_(std::move(alwaysStored))
    {
    }

    TTextObject WriteComponent(TComponent& c, bool withChildren, int depth)
    {
        if (depth > kMaxTextNesting) throw rtl::EStreamError("Components nested too deep to be written");
        TTextObject node;
        node.name = c.Name();
        node.className = c.ClassName();
        const bool wasWriting = c.ComponentState().Contains(csWriting);
        detail::TStreamAccess::SetState(c, csWriting, true);
        rtl::TScopeExit restore([&] { detail::TStreamAccess::SetState(c, csWriting, wasWriting); });
        writingRoot_ = &c == &root_;
        WriteProperties(c, "", node.properties);
        writingRoot_ = false;
        if (withChildren) {
            c.GetChildren([&](TComponent* child) {
                if (child != nullptr) node.children.push_back(WriteComponent(*child, true, depth + 1));
            }, &root_);
        }
        return node;
    }

private:
    void WriteProperties(TPersistent& object, const std::string& prefix, std::vector<TTextProperty>& out)
    {
        for (const TPropInfo* prop : object.ClassInfo().Properties()) {
            if (!prop->IsStored(object)) continue;
            const std::string name = prefix + prop->Name();
            const TPropValue value = prop->Get(object);
            switch (prop->Kind()) {
            case TPropKind::Object:
                if (TPersistent* sub = std::get<TPersistent*>(value)) WriteProperties(*sub, name + ".", out);
                break;
            case TPropKind::Strings:
                if (rtl::TStrings* strings = std::get<rtl::TStrings*>(value))
                    WriteStrings(*strings, name, prop->AlwaysStored() || Always(name), out);
                break;
            case TPropKind::Collection:
                if (auto* collection = dynamic_cast<TCollection*>(std::get<TPersistent*>(value)))
                    out.push_back({name, WriteCollection(*collection), 0});
                break;
            case TPropKind::Event: {
                const auto& event = std::get<TEventValue>(value);
                if (!event.name.empty()) out.push_back({name, TTextValue::MakeIdent(event.name), 0});
                break;
            }
            case TPropKind::Component: {
                const auto* c = dynamic_cast<const TComponent*>(std::get<TPersistent*>(value));
                if (c != nullptr && !c->Name().empty()) out.push_back({name, TTextValue::MakeIdent(ReferenceName(*c)), 0});
                break;
            }
            default:
                if (!prop->AlwaysStored() && !Always(name) && prop->Default() && SamePropValue(value, *prop->Default()))
                    break;
                out.push_back({name, EncodeValue(*prop, value), 0});
                break;
            }
        }
        WritingFiler filer(prefix, out);
        object.DefineProperties(filer);
    }

    bool Always(const std::string& name) const
    {
        return writingRoot_ && std::find(alwaysStored_.begin(), alwaysStored_.end(), name) != alwaysStored_.end();
    }

    // The name the reader finds `c` by: plain when it is the root, one of the root's
    // owners or owned by one of them; else qualified by its owner ("dmMain.dsQuery").
    std::string ReferenceName(const TComponent& c) const
    {
        for (const TComponent* o = &root_; o != nullptr; o = o->Owner())
            if (&c == o || c.Owner() == o) return c.Name();
        if (c.Owner() != nullptr && !c.Owner()->Name().empty()) return c.Owner()->Name() + "." + c.Name();
        return c.Name();
    }

    void WriteStrings(rtl::TStrings& strings, const std::string& name, bool always, std::vector<TTextProperty>& out)
    {
        // A list that is a persistent object of its own may say itself how it is written
        // (an editor's lines); its "Strings" are the list's items unless it defines them.
        auto* persistent = dynamic_cast<TPersistent*>(&strings);
        if (persistent != nullptr) WriteProperties(*persistent, name + ".", out);
        if (persistent != nullptr && OwnStringsStreamer(strings) != nullptr) return;
        const std::size_t before = out.size();
        WritingFiler filer(name + ".", out);
        DefineStringsProperty(filer, strings);
        if (always && out.size() == before) out.push_back({name + ".Strings", TTextValue::MakeList(), 0});
    }

    TTextValue WriteCollection(TCollection& collection)
    {
        std::vector<TTextItem> items;
        for (int i = 0; i < collection.Count(); ++i) {
            TTextItem item;
            WriteProperties(*collection.Items(i), "", item.properties);
            items.push_back(std::move(item));
        }
        return TTextValue::MakeCollection(std::move(items));
    }

    static TTextValue EncodeValue(const TPropInfo& prop, const TPropValue& value)
    {
        switch (prop.Kind()) {
        case TPropKind::Enumeration: {
            const std::int64_t ordinal = std::get<std::int64_t>(value);
            std::string name = prop.EnumInfo()->NameOf(ordinal);
            return name.empty() ? TTextValue::MakeInteger(ordinal) : TTextValue::MakeIdent(std::move(name));
        }
        case TPropKind::Boolean:
            return TTextValue::MakeIdent(std::get<bool>(value) ? "True" : "False");
        case TPropKind::Set: {
            std::vector<std::string> elements;
            const std::uint64_t bits = std::get<TSetBits>(value).bits;
            const auto& names = prop.EnumInfo()->names;
            for (std::size_t i = 0; i < names.size() && i < 64; ++i)
                if ((bits >> i) & 1) elements.push_back(names[i]);
            return TTextValue::MakeSet(std::move(elements));
        }
        case TPropKind::String:
            return TTextValue::MakeString(std::get<std::string>(value));
        case TPropKind::Char: {
            std::string s;
            char32_t c = std::get<char32_t>(value);
            if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = U'?';
            AppendUtf8(s, c);
            return TTextValue::MakeString(std::move(s));
        }
        case TPropKind::Float:
            return TTextValue::MakeFloat(std::get<double>(value));
        case TPropKind::Color: {
            const auto color = static_cast<rtl::TColor>(std::get<std::int64_t>(value));
            std::string ident;
            if (rtl::ColorToIdent(color, ident)) return TTextValue::MakeIdent(std::move(ident));
            return TTextValue::MakeInteger(color);
        }
        default:
            return TTextValue::MakeInteger(std::get<std::int64_t>(value));
        }
    }

    TComponent& root_;
    std::vector<std::string> alwaysStored_;
    bool writingRoot_ = false;
};

// ---- Reading -----------------------------------------------------------------------------

// Runs `f`; any failure other than a read error becomes one naming `line`.
template <class F>
void AtLine(int line, F&& f)
{
    try {
        f();
    } catch (const EReadError&) {
        throw;
    } catch (const std::exception& e) {
        throw EReadError(e.what(), line);
    }
}

class ReadingFiler : public TFiler {
public:
    ReadingFiler(std::string_view name, const TTextValue& value, int line) : name_(name), value_(value), line_(line) {}

    bool Handled() const noexcept { return handled_; }

    void DefineProperty(std::string_view name, const std::function<void(TReader&)>& read,
                        const std::function<void(TWriter&)>&, bool) override
    {
        if (handled_ || !rtl::SameText(name, name_) || !read) return;
        handled_ = true;
        AtLine(line_, [&] {
            TReader reader(value_);
            read(reader);
            reader.CheckFinished();
        });
    }

    void DefineBinaryProperty(std::string_view name, const std::function<void(std::string_view)>& read,
                              const std::function<std::string()>&, bool) override
    {
        if (handled_ || !rtl::SameText(name, name_) || !read) return;
        handled_ = true;
        if (value_.kind != TTextValue::Kind::Binary) throw EReadError("Binary value expected", line_);
        AtLine(line_, [&] { read(value_.text); });
    }

private:
    std::string_view name_;
    const TTextValue& value_;
    int line_;
    bool handled_ = false;
};

class ObjectReader {
public:
    ObjectReader(TComponent& root, const TReadOptions& options) : root_(root), options_(options) {}

    void Read(const TTextObject& tree)
    {
        // A read that fails undoes what it did; one that completes keeps it.
        rtl::TScopeExit undo([&] { Undo(); });
        BeginLoading(root_);
        if (root_.Name().empty() && !tree.name.empty()) AtLine(tree.line, [&] { root_.SetName(tree.name); });
        ReadBody(root_, tree);
        ResolveFixups();
        for (TComponent* c : loaded_) {
            detail::TStreamAccess::SetState(*c, csReading, false);
            c->Loaded();
            detail::TStreamAccess::SetState(*c, csLoading, false);
        }
        undo.Release();
    }

private:
    struct Fixup {
        TPersistent* object;
        const TPropInfo* prop;
        std::string name;
        int line;
    };

    void BeginLoading(TComponent& c)
    {
        detail::TStreamAccess::SetState(c, csLoading, true);
        detail::TStreamAccess::SetState(c, csReading, true);
        loaded_.push_back(&c);
    }

    void Undo() noexcept
    {
        for (auto it = created_.rbegin(); it != created_.rend(); ++it) {
            loaded_.erase(std::remove(loaded_.begin(), loaded_.end(), *it), loaded_.end());
            delete *it;
        }
        for (TComponent* c : loaded_) {
            detail::TStreamAccess::SetState(*c, csReading, false);
            detail::TStreamAccess::SetState(*c, csLoading, false);
        }
    }

    void ReadBody(TComponent& component, const TTextObject& node)
    {
        for (const TTextProperty& prop : node.properties) ReadProperty(component, prop.name, prop.name, prop.value, prop.line);
        for (const TTextObject& child : node.children) ReadChild(component, child);
    }

    void ReadChild(TComponent& parent, const TTextObject& node)
    {
        TComponent* c = node.name.empty() ? nullptr : root_.FindComponent(node.name);
        if (c != nullptr) {
            const bool readAlready = std::find(loaded_.begin(), loaded_.end(), c) != loaded_.end();
            if (readAlready || !rtl::SameText(c->ClassName(), node.className))
                throw EReadError("A component named " + node.name + " already exists", node.line);
        } else {
            const TClassInfo* info = FindClassInfo(node.className);
            if (info == nullptr || !info->CanCreateComponent())
                throw EReadError("Class " + node.className + " not found", node.line);
            AtLine(node.line, [&] { c = info->CreateComponent(&root_); });
            created_.push_back(c);
            AtLine(node.line, [&] { c->SetName(node.name); });
        }
        BeginLoading(*c);
        AtLine(node.line, [&] { c->SetParentComponent(&parent); });
        ReadBody(*c, node);
    }

    void Unknown(const std::string& path, int line)
    {
        if (options_.strict) throw EReadError("Property " + path + " does not exist", line);
    }

    void ReadProperty(TPersistent& object, std::string_view path, const std::string& fullPath,
                      const TTextValue& value, int line)
    {
        const std::size_t dot = path.find('.');
        const std::string_view head = path.substr(0, dot);
        const TPropInfo* prop = object.ClassInfo().FindProperty(head);
        if (dot == std::string_view::npos) {
            if (prop != nullptr) {
                ApplyValue(object, *prop, value, line);
                return;
            }
            ReadingFiler filer(head, value, line);
            AtLine(line, [&] { object.DefineProperties(filer); });
            if (!filer.Handled()) Unknown(fullPath, line);
            return;
        }
        const std::string_view rest = path.substr(dot + 1);
        if (prop == nullptr) {
            Unknown(fullPath, line);
            return;
        }
        const TPropValue sub = prop->Get(object);
        switch (prop->Kind()) {
        case TPropKind::Object:
        case TPropKind::Collection:
            if (TPersistent* p = std::get<TPersistent*>(sub)) {
                ReadProperty(*p, rest, fullPath, value, line);
                return;
            }
            break;
        case TPropKind::Strings:
            if (rtl::TStrings* strings = std::get<rtl::TStrings*>(sub)) {
                auto* p = dynamic_cast<TPersistent*>(strings);
                if (p != nullptr && (!rtl::SameText(rest, "Strings") || OwnStringsStreamer(*strings) != nullptr)) {
                    ReadProperty(*p, rest, fullPath, value, line);
                    return;
                }
                if (rtl::SameText(rest, "Strings")) {
                    ReadingFiler filer(rest, value, line);
                    DefineStringsProperty(filer, *strings);
                    return;
                }
            }
            break;
        default:
            break;
        }
        Unknown(fullPath, line);
    }

    [[noreturn]] static void Invalid(const TPropInfo& prop, int line)
    {
        throw EReadError("Invalid value for property " + prop.Name(), line);
    }

    void ApplyValue(TPersistent& object, const TPropInfo& prop, const TTextValue& value, int line)
    {
        using Kind = TTextValue::Kind;
        TPropValue v;
        switch (prop.Kind()) {
        case TPropKind::Integer:
            if (value.kind != Kind::Integer) Invalid(prop, line);
            v = value.integer;
            break;
        case TPropKind::Enumeration: {
            const int ordinal = value.kind == Kind::Ident ? prop.EnumInfo()->ValueOf(value.text) : -1;
            if (ordinal < 0) Invalid(prop, line);
            v = static_cast<std::int64_t>(ordinal);
            break;
        }
        case TPropKind::Boolean:
            if (value.kind == Kind::Ident && rtl::SameText(value.text, "True"))
                v = true;
            else if (value.kind == Kind::Ident && rtl::SameText(value.text, "False"))
                v = false;
            else
                Invalid(prop, line);
            break;
        case TPropKind::Set: {
            if (value.kind != Kind::Set) Invalid(prop, line);
            TSetBits bits;
            for (const std::string& element : value.elements) {
                const int ordinal = prop.EnumInfo()->ValueOf(element);
                if (ordinal < 0 || ordinal >= 64) Invalid(prop, line);
                bits.bits |= std::uint64_t{1} << ordinal;
            }
            v = bits;
            break;
        }
        case TPropKind::String:
            if (value.kind != Kind::String) Invalid(prop, line);
            v = value.text;
            break;
        case TPropKind::Char: {
            char32_t c = 0;
            if (value.kind != Kind::String || (!value.text.empty() && !DecodeSingleUtf8(value.text, c)))
                Invalid(prop, line);
            v = c;
            break;
        }
        case TPropKind::Float:
            if (value.kind == Kind::Float)
                v = value.number;
            else if (value.kind == Kind::Integer)
                v = static_cast<double>(value.integer);
            else if (value.kind == Kind::Ident && rtl::SameText(value.text, "NAN"))
                v = std::numeric_limits<double>::quiet_NaN();
            else if (value.kind == Kind::Ident && rtl::SameText(value.text, "INF"))
                v = std::numeric_limits<double>::infinity();
            else
                Invalid(prop, line);
            break;
        case TPropKind::Color: {
            rtl::TColor color = 0;
            if (value.kind == Kind::Ident) {
                if (!rtl::IdentToColor(value.text, color)) Invalid(prop, line);
            } else if (value.kind == Kind::Integer && value.integer >= std::numeric_limits<std::int32_t>::min() &&
                       value.integer <= std::numeric_limits<std::uint32_t>::max()) {
                // Colours are 32-bit patterns: 2147483653 and -2147483643 are the same
                // system colour.
                color = static_cast<rtl::TColor>(static_cast<std::uint32_t>(value.integer));
            } else {
                Invalid(prop, line);
            }
            v = static_cast<std::int64_t>(color);
            break;
        }
        case TPropKind::Collection: {
            auto* collection = dynamic_cast<TCollection*>(std::get<TPersistent*>(prop.Get(object)));
            if (value.kind != Kind::Collection || collection == nullptr) Invalid(prop, line);
            ReadCollection(*collection, value, line);
            return;
        }
        case TPropKind::Event:
            if (value.kind != Kind::Ident) Invalid(prop, line);
            if (rtl::SameText(value.text, "nil")) {
                v = TEventValue{};
            } else {
                const std::any* handler = FindHandler(value.text);
                if (handler == nullptr) throw EReadError("Event handler " + value.text + " not found", line);
                v = TEventValue{value.text, *handler};
            }
            break;
        case TPropKind::Component:
            if (value.kind != Kind::Ident) Invalid(prop, line);
            if (rtl::SameText(value.text, "nil")) {
                v = static_cast<TPersistent*>(nullptr);
                break;
            }
            fixups_.push_back({&object, &prop, value.text, line});
            return;
        case TPropKind::Strings:
        case TPropKind::Object:
            Invalid(prop, line);
        }
        AtLine(line, [&] { prop.Set(object, v); });
    }

    void ReadCollection(TCollection& collection, const TTextValue& value, int line)
    {
        // On failure the update ends quietly; on success its end is reported at the line, since
        // ending it notifies the collection's owner, which may fail.
        auto update = rtl::MakeScope(collection, &TCollection::BeginUpdate, &TCollection::EndUpdate);
        // References waiting to be resolved on the items about to go go with them.
        std::erase_if(fixups_, [&](const Fixup& f) {
            const auto* item = dynamic_cast<const TCollectionItem*>(f.object);
            return item != nullptr && item->Collection() == &collection;
        });
        AtLine(line, [&] { collection.Clear(); });
        for (const TTextItem& item : value.items) {
            TCollectionItem* added = nullptr;
            AtLine(item.line, [&] { added = collection.Add(); });
            for (const TTextProperty& prop : item.properties)
                ReadProperty(*added, prop.name, prop.name, prop.value, prop.line);
        }
        update.Release();
        AtLine(line, [&] { collection.EndUpdate(); });
    }

    const std::any* FindHandler(std::string_view name) const
    {
        for (const TComponent* c = &root_; c != nullptr; c = c->Owner())
            if (const std::any* h = c->FindHandler(name)) return h;
        return nullptr;
    }

    // A component named in the text: the root, one it owns, or one of its owners or the
    // components they own; "Owner.Name" names a component owned by another.
    TComponent* FindReference(std::string_view name) const
    {
        const std::size_t dot = name.find('.');
        if (dot != std::string_view::npos) {
            TComponent* owner = FindReference(name.substr(0, dot));
            return owner != nullptr ? owner->FindComponent(name.substr(dot + 1)) : nullptr;
        }
        for (TComponent* c = &root_; c != nullptr; c = c->Owner()) {
            if (rtl::SameText(c->Name(), name)) return c;
            if (TComponent* found = c->FindComponent(name)) return found;
        }
        return nullptr;
    }

    void ResolveFixups()
    {
        for (const Fixup& f : fixups_) {
            TComponent* target = FindReference(f.name);
            if (target == nullptr) throw EReadError("Component " + f.name + " not found", f.line);
            AtLine(f.line, [&] { f.prop->Set(*f.object, TPropValue(static_cast<TPersistent*>(target))); });
        }
    }

    TComponent& root_;
    TReadOptions options_;
    std::vector<TComponent*> created_;
    std::vector<TComponent*> loaded_;
    std::vector<Fixup> fixups_;
};

}  // namespace

TTextObject WriteComponentTree(TComponent& root, bool withChildren)
{
    ObjectWriter writer(root);
    return writer.WriteComponent(root, withChildren, 1);
}

std::string WriteComponentText(TComponent& root, bool withChildren)
{
    return FormatObjectText(WriteComponentTree(root, withChildren));
}

TTextObject WriteComponentTree(TComponent& root, const TWriteOptions& options)
{
    ObjectWriter writer(root, options.alwaysStored);
    return writer.WriteComponent(root, options.withChildren, 1);
}

std::string WriteComponentText(TComponent& root, const TWriteOptions& options)
{
    return FormatObjectText(WriteComponentTree(root, options));
}

void ReadComponentTree(TComponent& root, const TTextObject& tree, const TReadOptions& options)
{
    ObjectReader reader(root, options);
    reader.Read(tree);
}

void ReadComponentText(TComponent& root, std::string_view text, const TReadOptions& options)
{
    const TTextObject tree = ParseObjectText(text);
    ReadComponentTree(root, tree, options);
}

}  // namespace classes
