#include "platform/classes/Filer.h"

#include "platform/classes/Errors.h"
#include "platform/rtl/Scope.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/SysUtils.h"

namespace classes {

// ---- TReader -----------------------------------------------------------------------------

TReader::TReader(const TTextValue& value) { stack_.push_back({&value, 1, 0, value.line}); }

const TTextValue* TReader::Peek() const
{
    const Level& top = stack_.back();
    return top.index < top.count ? &top.values[top.index] : nullptr;
}

int TReader::Line() const
{
    const TTextValue* v = Peek();
    return v != nullptr ? v->line : stack_.back().line;
}

const TTextValue& TReader::Next(TTextValue::Kind kind, const char* what)
{
    const TTextValue* v = Peek();
    if (v == nullptr || v->kind != kind) throw EReadError(std::string(what) + " expected", Line());
    ++stack_.back().index;
    return *v;
}

std::int64_t TReader::ReadInteger() { return Next(TTextValue::Kind::Integer, "Integer").integer; }

bool TReader::ReadBoolean()
{
    const int line = Line();
    const std::string ident = ReadIdent();
    if (rtl::SameText(ident, "True")) return true;
    if (rtl::SameText(ident, "False")) return false;
    throw EReadError("Boolean expected", line);
}

double TReader::ReadFloat()
{
    const TTextValue* v = Peek();
    if (v != nullptr && v->kind == TTextValue::Kind::Integer) return static_cast<double>(ReadInteger());
    return Next(TTextValue::Kind::Float, "Number").number;
}

std::string TReader::ReadString() { return Next(TTextValue::Kind::String, "String").text; }

std::string TReader::ReadIdent() { return Next(TTextValue::Kind::Ident, "Identifier").text; }

std::string TReader::ReadBinary() { return Next(TTextValue::Kind::Binary, "Binary value").text; }

void TReader::ReadListBegin()
{
    const TTextValue& list = Next(TTextValue::Kind::List, "List");
    stack_.push_back({list.list.data(), list.list.size(), 0, list.line});
}

bool TReader::EndOfList() const { return Peek() == nullptr; }

void TReader::ReadListEnd()
{
    if (stack_.size() < 2) throw EReadError("No list to end", Line());
    if (!EndOfList()) throw EReadError("End of list expected", Line());
    stack_.pop_back();
}

void TReader::CheckFinished() const
{
    if (stack_.size() != 1 || !EndOfList()) throw EReadError("Invalid property value", Line());
}

// ---- TWriter -----------------------------------------------------------------------------

void TWriter::Put(TTextValue v)
{
    if (open_.empty())
        top_.push_back(std::move(v));
    else
        open_.back().push_back(std::move(v));
}

void TWriter::WriteInteger(std::int64_t v) { Put(TTextValue::MakeInteger(v)); }
void TWriter::WriteBoolean(bool v) { Put(TTextValue::MakeIdent(v ? "True" : "False")); }
void TWriter::WriteFloat(double v) { Put(TTextValue::MakeFloat(v)); }
void TWriter::WriteString(std::string v) { Put(TTextValue::MakeString(std::move(v))); }
void TWriter::WriteIdent(std::string v) { Put(TTextValue::MakeIdent(std::move(v))); }
void TWriter::WriteBinary(std::string bytes) { Put(TTextValue::MakeBinary(std::move(bytes))); }
void TWriter::WriteListBegin() { open_.emplace_back(); }

void TWriter::WriteListEnd()
{
    if (open_.empty()) throw rtl::EStreamError("No list to end");
    TTextValue list = TTextValue::MakeList(std::move(open_.back()));
    open_.pop_back();
    Put(std::move(list));
}

TTextValue TWriter::Result() const
{
    if (!open_.empty() || top_.size() != 1) throw rtl::EStreamError("A defined property must write exactly one value");
    return top_.front();
}

// ---- Strings -----------------------------------------------------------------------------

void DefineStringsProperty(TFiler& filer, rtl::TStrings& strings)
{
    filer.DefineProperty(
        "Strings",
        [&strings](TReader& r) {
            r.ReadListBegin();
            std::vector<std::string> items;
            while (!r.EndOfList()) items.push_back(r.ReadString());
            r.ReadListEnd();
            auto update = rtl::MakeScope(strings, &rtl::TStrings::BeginUpdate, &rtl::TStrings::EndUpdate);
            strings.Clear();
            for (const std::string& s : items) strings.Add(s);
        },
        [&strings](TWriter& w) {
            w.WriteListBegin();
            for (int i = 0; i < strings.Count(); ++i) w.WriteString(strings.Get(i));
            w.WriteListEnd();
        },
        strings.Count() > 0);
}

}  // namespace classes
